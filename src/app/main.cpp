// Process entry: GLUT gets the command line unchanged, then start-up, callbacks, main loop.
#include <GL/glut.h>

#include "app/shell.h"
#include "capture/screenshot.h"

int main(int argc, char** argv) {
  ignoreFileSizeSignal();
  glutInit(&argc, argv);
  initScene();
  registerCallbacks();
  glutMainLoop();
  return 0;
}
