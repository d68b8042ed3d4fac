// Process entry: GLUT gets the command line unchanged, then start-up, callbacks, main loop.
#include <GL/glut.h>

#include <csignal>

#include "app/shell.h"

int main(int argc, char** argv) {
  // Under a file-size limit a frame that does not fit must fail with EFBIG, which the
  // recorder handles, instead of ending the process with a truncated file on disk.
  std::signal(SIGXFSZ, SIG_IGN);
  glutInit(&argc, argv);
  initScene();
  registerCallbacks();
  glutMainLoop();
  return 0;
}
