// What the views and the net look like, as numbers: the quadrants, their backgrounds and the
// control points' colours. No GL.
#pragma once

// Background of a view, RGBA in single precision.
void viewClearColour(int view, float rgba[4]);

// Viewport rectangle (x, y, width, height) of a view in GL window coordinates (origin
// bottom-left) for a window of the given size; every view is width/2 by height/2.
void viewRectangle(int view, int width, int height, int rect[4]);

// Colour of controlPoints[row][column] in single precision: the row gives the hue
// (magenta, yellow, green, blue), the column the lightness (0 darkest, 3 palest).
void controlPointColour(int row, int column, float rgb[3]);
