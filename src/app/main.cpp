// Process entry: GLUT takes its own options from the command line, a net file named in what
// is left is read and checked before the window opens, then start-up, callbacks, main loop.
#include <GL/glut.h>

#include <cstring>

#include "app/shell.h"
#include "app/state.h"
#include "capture/screenshot.h"
#include "model/basis.h"

int main(int argc, char** argv) {
  ignoreFileSizeSignal();
  glutInit(&argc, argv);
  if (!takeNetArgument(argc, argv)) return 2;
  double netGrid[kGridSize][kGridSize][3];
  const int netFound = readStartNet(netGrid);
  if (netFound < 0) return 1;
  initScene();
  // After the initial grid, which a saved net then replaces.
  if (netFound > 0) setControlGrid(netGrid);
  std::memcpy(savedControlPoints, controlPoints, sizeof savedControlPoints);
  registerCallbacks();
  glutMainLoop();
  return 0;
}
