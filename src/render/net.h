// The positive axes, the grey control net and the sixteen coloured control points.
#pragma once

// Line width 3; with showAxes set, X red, Y green, Z blue from the origin to 400 units.
// Leaves line width 3 and, when shown, the current colour blue (0, 0, 1).
void drawAxes();

// Line width 1.5, colour (0.7, 0.7, 0.7): four row strips, then four column strips.
// Leaves line width 1.5 and that grey current.
void drawControlNet();

// Points column by column, rows within a column, with the depth test off so nothing covers
// them. Leaves the depth test enabled and the colour of [3][3], (0.5, 0.5, 1.0), current.
void drawControlPoints();
