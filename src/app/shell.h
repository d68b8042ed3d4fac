// Start-up sequence and the GLUT callbacks that draw: display, keyboard and motion (reshape
// and mouse, which draw nothing, are the window's and the picking's).
#pragma once

#include "app/state.h"

// Opens the window (double-buffered RGB with a depth buffer, warning once where the GL gives
// none), sets the fixed GL state, builds the model, loads the atlas and sets the camera.
// Leaves a current GL context, the depth test, blending and point/line smoothing on, point
// size 9, and the atlas texture (if any) bound to GL_TEXTURE_2D.
void initScene();

// Registers display, reshape, keyboard, mouse (a press during a turn only cancels it) and
// motion with GLUT, in that order, then the window's close, which finishes the recordings.
// Frames are drawn on demand; only a session video's timer and a turn's idle steps add more.
void registerCallbacks();

// Draws the four views into the back buffer, the camera view in analysisMode with the mode's
// legend last, saves it while recording, hands it to the videos and snapshots
// (captureDrawnFrame), swaps.
// Leaves the scissor test off, the depth test on, the matrix mode GL_PROJECTION.
void display();

// The display pass with drawPatch in place of the mode's patch drawing, which must leave the
// GL state as drawMirrorPatch does: in kMirrorMode display() is displayWith(drawMirrorPatch);
// benchmarks compare other drawings.
void displayWith(void (*drawPatch)());

// GLUT's motion callback: dragTo, then a redisplay.
void motion(int x, int y);

// Escape exits with status 0, first saying "NET: unsaved changes not saved" on stderr when
// controlPoints differ from savedControlPoints; a/A toggles the axes, s/S recording (a start
// lets the next failed frame be told again); w/W saves the net file (remembered when saved),
// o/O exports the OBJ; u/U/Ctrl+Z undoes a drag, r/R/Ctrl+Y redoes one; e/E reloads the
// atlas as start-up finds it, keeping the shown one when that fails; z/Z shows the next
// analysis mode (fitting the range of a curvature mode), x/X turns the zebra bands, [ and ]
// step their count down and up, = fits the shown curvature's range again; v/V starts or
// stops the session video (Escape finishes it first), t/T starts a turntable, p/P saves a
// snapshot; every other key only redraws. During a turn any key only cancels it.
void keyboard(unsigned char key, int x, int y);
