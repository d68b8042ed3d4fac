// The four quadrant views: viewport, scissor box, orthographic projection, look-at, clear.
#pragma once

// Prepares view 0..3 (any other number gets the camera) for drawing and clears it.
// Needs the scissor test on for the clear to stay in the quadrant. Leaves the matrix mode
// GL_PROJECTION with ortho(-W, W, -H, H, -1e5, 1e5) times the view's look-at on it, the
// viewport and scissor box on the quadrant, and the clear colour of the view.
void setupView(int view);
