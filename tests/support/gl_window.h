// In-process GL test support: one real GLUT window (initScene's own) on $DISPLAY, shared by
// every test of the process, plus read-back helpers.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Creates the window once per process through glutInit and initScene, in a scratch working
// directory (no cubemap.png there), and registers the viewer's callbacks. Fails the calling
// test when there is no display.
void ensureGlWindow();

// Resizes the window and pumps GLUT events until reshape has reported the new size.
// Returns false when the size did not arrive in time.
bool resizeGlWindow(int width, int height);

// Pumps pending GLUT events (reshape, expose) without blocking.
void pumpGlEvents();

// Reads the back buffer's RGB pixels of the rectangle, rows bottom first.
std::vector<unsigned char> readBackRgb(int x, int y, int width, int height);

// RGB of one back-buffer pixel, GL window coordinates (origin bottom-left).
void backPixel(int x, int y, unsigned char rgb[3]);

// The scratch working directory the window was made in.
const std::string& glScratchDirectory();

// Brings the window and the size globals to width by height. A window that already has that
// size gets no reshape from GLUT, so then reshape is called directly (another test may have
// called it with other sizes). Returns false when a needed resize did not arrive in time.
bool setGlWindowSize(int width, int height);

// How many redisplays the program has asked for (glutPostRedisplay calls) in this process.
// The support library stands in for GLUT's function: it counts the call and passes it on,
// so a test can see a request itself rather than wait for the frame it brings.
int postedRedisplays();

// Pumps GLUT events until done() holds, or for at most timeoutMs; whether it held. Other
// windows on the display may cover this one, and GLUT holds back the redisplay of a hidden
// window, so deadlines are generous.
bool pumpGlEventsUntil(const std::function<bool()>& done, int timeoutMs = 30000);

// Display callbacks that count their calls: one draws nothing, the other is the viewer's own.
void countingDisplay();
void countingViewerDisplay();
// Pumps GLUT events until the next counted display has run, and no further; whether it ran.
bool nextFrameDrawn();
