// Start-up sequence and the three GLUT callbacks the shell owns: display, reshape, keyboard.
#pragma once

#include "app/state.h"

// What glutInit left of the command line: the program name and at most one net file. Sets
// netPath (to that argument, or "patch.net") and objPath. Two or more arguments, an empty
// one or one that begins with '-' print the usage line on stderr and return false.
bool takeNetArgument(int argc, char** argv);

// Reads netPath for the start: 1 grid filled, 0 no such file (start from the initial grid),
// -1 refused after printing "NET:LINE: what is wrong" on stderr.
int readStartNet(double grid[kGridSize][kGridSize][3]);

// Opens the window, sets the fixed GL state, builds the model, loads the atlas and sets the
// camera. Leaves a current GL context, the depth test, blending and point/line smoothing on,
// point size 9, and the atlas texture (if any) bound to GL_TEXTURE_2D.
void initScene();

// Registers display, reshape, keyboard, mouse and motion with GLUT, in that order; nothing
// else (no idle, timer or passive-motion callback: frames are drawn on demand).
void registerCallbacks();

// Draws the four views into the back buffer, saves it while recording, swaps.
// Leaves the scissor test off, the depth test on, the matrix mode GL_PROJECTION.
void display();

// The display pass with drawPatch in place of drawMirrorPatch, which must leave the GL state
// as that does: display() is displayWith(drawMirrorPatch); benchmarks compare other drawings.
void displayWith(void (*drawPatch)());

// Stores the new drawing-area size (pixels) and the trackball radius; sets no GL state.
void reshape(int width, int height);

// Escape exits with status 0; a/A toggles the axes, s/S recording; w/W saves the net file,
// o/O exports the OBJ; u/U/Ctrl+Z undoes a drag, r/R/Ctrl+Y redoes one; e/E reloads
// cubemap.png from the working directory, keeping the shown one when that fails; every
// other key only redraws.
void keyboard(unsigned char key, int x, int y);
