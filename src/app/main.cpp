// Process entry: --help, --version and a command line to refuse are answered before anything
// needs a display; GLUT takes its own options from what comes before "--", the net file named
// is read and checked before the window opens, then start-up, callbacks, main loop.
#include <GL/glut.h>

#include <cstring>

#include "app/command_line.h"
#include "app/data_dir.h"
#include "app/shell.h"
#include "app/state.h"
#include "capture/frame_file.h"
#include "model/basis.h"

namespace {

// glutInit on the words before the first "--" only, so that a net named like a GLUT option
// stays a net; the words from "--" on then close the gap of those GLUT took. netPath points
// into argv, so its words are moved, never copied.
void initGlut(int& argc, char** argv) {
  int end = 1;
  while (end < argc && std::strcmp(argv[end], "--") != 0) ++end;
  int glutArgc = end;
  glutInit(&glutArgc, argv);
  for (int i = end; i < argc; ++i) argv[glutArgc + i - end] = argv[i];
  argc = glutArgc + argc - end;
  argv[argc] = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const int answered = answerHelpOrVersion(argc, argv);
  if (answered >= 0) return answered;
  // Refused before glutInit, which would fail first without a display.
  const int refused = takeNetArgument(argc, argv);
  if (refused != 0) return refused;
  ignoreFileSizeSignal();
  initGlut(argc, argv);
  double netGrid[kGridSize][kGridSize][3];
  const int netFound = readStartNet(netGrid);
  if (netFound < 0) return 1;
  locateDefaultAtlas();
  initScene();
  // After the initial grid, which a saved net then replaces.
  if (netFound > 0) setControlGrid(netGrid);
  std::memcpy(savedControlPoints, controlPoints, sizeof savedControlPoints);
  registerCallbacks();
  glutMainLoop();
  return 0;
}
