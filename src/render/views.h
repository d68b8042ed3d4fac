// The four quadrant views: viewport, scissor box, orthographic projection, look-at, clear.
#pragma once

// Background of a view, RGBA in single precision.
void viewClearColour(int view, float rgba[4]);

// Viewport rectangle (x, y, width, height) of a view in GL window coordinates (origin
// bottom-left) for a window of the given size; every view is width/2 by height/2.
void viewRectangle(int view, int width, int height, int rect[4]);

// Prepares view 0..3 (any other number gets the camera) for drawing and clears it.
// Needs the scissor test on for the clear to stay in the quadrant. Leaves the matrix mode
// GL_PROJECTION with ortho(-W, W, -H, H, -1e5, 1e5) times the view's look-at on it, the
// viewport and scissor box on the quadrant, and the clear colour of the view.
void setupView(int view);
