// Process entry: GLUT gets the command line unchanged, then start-up, callbacks, main loop.
#include <GL/glut.h>

#include "app/shell.h"
#include "interact/picking.h"

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  initScene();
  glutDisplayFunc(display);
  glutReshapeFunc(reshape);
  glutKeyboardFunc(keyboard);
  glutMouseFunc(mouse);
  glutMotionFunc(motion);
  glutMainLoop();
  return 0;
}
