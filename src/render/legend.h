// The legend of the analysis modes on the GL, drawn with GLUT's bitmap fonts.
#pragma once

// The legend of analysisMode in the top-left corner of the current view, over everything:
// the mode's title in black on a white card, and in the curvature modes the colour bar from
// blue through white to red with -range, 0 and range under it. Draws in pixels through the
// projection matrix (the modelview matrix stays the identity) with the depth test off.
// Leaves the matrix mode GL_PROJECTION holding that pixel projection, the depth test
// enabled and the current colour black. Nothing in kMirrorMode.
void drawLegend();
