// Pointer input: picking a control point in the orthographic views and dragging it within
// the view's plane; drags that start in the camera view go to cameraDrag. No GL.
#pragma once

// View under a press at window pixel (x, y) (origin top-left, y down) of a width by height
// window: 3 camera (strictly inside its quadrant), 0 front, 1 top, 2 side, or -1 for the
// row and column between the camera view and the others, which belong to no view.
int classifyPress(int x, int y, int width, int height);

// Scans all 16 control points in row-major order for those drawn within 20 world units of
// the press in orthographic view 0..2; the last one in scan order wins. Returns false, and
// leaves row and column alone, when none is in range or the window is narrower or lower
// than 2 pixels (no quadrant to measure in).
bool pickControlPoint(int view, int x, int y, int width, int height, int* row, int* column);

// Moves p to the pointer's absolute position in orthographic view 0..2, keeping the
// coordinate the view does not show. Unclamped: a pointer outside the window places the
// point beyond the visible range by the same linear mapping.
void placeControlPoint(int view, int x, int y, int width, int height, double p[3]);

// GLUT's mouse callback (button and state numbered as GLUT numbers them: kLeftButton,
// kButtonDown, ...): a press picks or starts a camera drag and stores the button; any
// release ends the drag. A point drag that ends (by the release, or by a press that takes
// another drag over) becomes an undo step if it moved its point. Draws nothing.
void mouse(int button, int state, int x, int y);

// One motion event with a button held, at window pixel (x, y): moves the picked point or the
// camera, then re-tessellates, whatever the drag. The shell's motion callback then redraws.
void dragTo(int x, int y);
