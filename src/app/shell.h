// Start-up sequence and the three GLUT callbacks the shell owns: display, reshape, keyboard.
#pragma once

#include "app/state.h"

// Before glutInit, which needs a display: --help before any "--" prints the usage and help
// (keys, mouse, files) on stdout, --version "patchlume VERSION"; returns 0, the exit status,
// then, and -1 when neither was asked for.
int answerHelpOrVersion(int argc, char** argv);

// The whole command line, before glutInit, which needs a display: GLUT's own options
// (-display and -geometry with their values, -iconic, -direct, -indirect, -gldebug, -sync)
// are left for it, the recording options --turntable FILE, --frames N, --fps F and
// --snapshot FILE are taken, and at most one net file may follow, "--" ending the options so
// that the next word is the net whatever it begins with. Returns 0 after setting netPath (to
// that argument, or "patch.net"), objPath and the recording options' state. Two or more
// nets, an empty one, any other option before "--" or a GLUT option without its value print
// the usage on stderr and return 2; a recording option's value refused (missing, empty, not
// a number in range, given twice, --frames or --fps without --turntable, --snapshot with it)
// is told in one line "patchlume: OPTION VALUE: reason" on stderr and returns 1.
int takeNetArgument(int argc, char** argv);

// Reads netPath for the start: 1 grid filled, 0 no such file (start from the initial grid),
// -1 refused after printing "NET:LINE: what is wrong" on stderr ("NET: what is wrong" when the
// whole file is at fault).
int readStartNet(double grid[kGridSize][kGridSize][3]);

// Where the window has no depth buffer (depthSize, in bits, as GLUT_WINDOW_DEPTH_SIZE gives
// it, is 0), says so in one line on stderr and returns true; the drawing order then decides
// what shows. Any other size prints nothing and returns false.
bool warnWithoutDepthBuffer(int depthSize);

// Opens the window (double-buffered RGB with a depth buffer, warning once where the GL gives
// none), sets the fixed GL state, builds the model, loads the atlas and sets the camera.
// Leaves a current GL context, the depth test, blending and point/line smoothing on, point
// size 9, and the atlas texture (if any) bound to GL_TEXTURE_2D.
void initScene();

// Registers display, reshape, keyboard, mouse (a press during a turn only cancels it) and
// motion with GLUT, in that order, then the window's close, which finishes the recordings.
// Frames are drawn on demand; only a session video's timer and a turn's idle steps add more.
void registerCallbacks();

// Draws the four views into the back buffer, saves it while recording, hands it to the
// videos and snapshots (captureDrawnFrame), swaps.
// Leaves the scissor test off, the depth test on, the matrix mode GL_PROJECTION.
void display();

// The display pass with drawPatch in place of drawMirrorPatch, which must leave the GL state
// as that does: display() is displayWith(drawMirrorPatch); benchmarks compare other drawings.
void displayWith(void (*drawPatch)());

// Stores the new drawing-area size (pixels) and the trackball radius; sets no GL state.
void reshape(int width, int height);

// Escape exits with status 0, first saying "NET: unsaved changes not saved" on stderr when
// controlPoints differ from savedControlPoints; a/A toggles the axes, s/S recording (a start
// lets the next failed frame be told again); w/W saves the net file (remembered when saved),
// o/O exports the OBJ; u/U/Ctrl+Z undoes a drag, r/R/Ctrl+Y redoes one; e/E reloads the
// atlas as start-up finds it, keeping the shown one when that fails; v/V starts or stops the
// session video (Escape finishes it first), t/T starts a turntable, p/P saves a snapshot;
// every other key only redraws. During a turn any key only cancels it.
void keyboard(unsigned char key, int x, int y);
