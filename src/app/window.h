// The window's size and depth buffer as GLUT reports them; no GL.
#pragma once

// Where the window has no depth buffer (depthSize, in bits, as GLUT_WINDOW_DEPTH_SIZE gives
// it, is 0), says so in one line on stderr and returns true; the drawing order then decides
// what shows. Any other size prints nothing and returns false.
bool warnWithoutDepthBuffer(int depthSize);

// Stores the new drawing-area size (pixels) and the trackball radius; sets no GL state.
void reshape(int width, int height);
