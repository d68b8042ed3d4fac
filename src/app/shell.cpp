// The application shell: the command line, window and fixed GL state, the display pass,
// resizing and keys. Relies on GLUT calling reshape before the first display and after
// every size change.
#include "app/shell.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/state.h"
#include "capture/screenshot.h"
#include "files/net_file.h"
#include "files/obj_file.h"
#include "interact/camera.h"
#include "interact/history.h"
#include "interact/picking.h"
#include "model/basis.h"
#include "render/cubemap.h"
#include "render/mirror.h"
#include "render/net.h"
#include "render/views.h"

namespace {
// GLUT's keyboard callback gets Ctrl with a letter as its ASCII control code.
constexpr unsigned char kCtrlY = 25;
constexpr unsigned char kCtrlZ = 26;
}  // namespace

bool takeNetArgument(int argc, char** argv) {
  const char* path = argc >= 2 ? argv[1] : "patch.net";
  if (argc > 2 || path[0] == '\0' || path[0] == '-' ||
      !objPathForNet(path, objPath, sizeof objPath)) {
    std::fprintf(stderr, "usage: patchlume [NET]\n");
    return false;
  }
  netPath = path;
  return true;
}

int readStartNet(double grid[kGridSize][kGridSize][3]) {
  NetError error;
  const int found = readNetFile(netPath, grid, &error);
  if (found < 0) std::fprintf(stderr, "%s:%d: %s\n", netPath, error.line, error.what);
  return found;
}

void initScene() {
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);
  glutInitWindowPosition(300, 100);
  glutInitWindowSize(windowWidth, windowHeight);
  glutCreateWindow("Patchlume");

  glEnable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  glEnable(GL_POINT_SMOOTH);
  glEnable(GL_LINE_SMOOTH);
  glPointSize(9.0f);

  initBinomials();
  initBernstein();
  initControlGrid();

  // Only the binding matters afterwards; the name itself is not kept.
  GLuint cubemapTexture = 0;
  loadCubemap(cubemapTexture);

  setDefaultCamera();
}

void registerCallbacks() {
  glutDisplayFunc(display);
  glutReshapeFunc(reshape);
  glutKeyboardFunc(keyboard);
  glutMouseFunc(mouse);
  glutMotionFunc(motion);
}

void display() { displayWith(drawMirrorPatch); }

void displayWith(void (*drawPatch)()) {
  glEnable(GL_SCISSOR_TEST);
  for (int view = 0; view < kViewCount; ++view) {
    setupView(view);
    if (view == 3) {
      // No colour is set here: the patch keeps the one the side view's last point left.
      drawPatch();
    } else {
      drawControlNet();
    }
    drawAxes();
    if (view != 3) drawControlPoints();
  }
  glDisable(GL_SCISSOR_TEST);
  if (recording) saveScreenshot();
  glutSwapBuffers();
}

void reshape(int width, int height) {
  windowWidth = width;
  windowHeight = height;
  // 64-bit so that no window size can overflow the sum of squares.
  const std::int64_t sumOfSquares =
      static_cast<std::int64_t>(width) * width + static_cast<std::int64_t>(height) * height;
  trackballRadius = 0.25 * std::sqrt(static_cast<double>(sumOfSquares));
}

void keyboard(unsigned char key, int /*x*/, int /*y*/) {
  switch (key) {
    case 27:
      std::exit(0);
    case 'a':
    case 'A':
      showAxes = !showAxes;
      break;
    case 's':
    case 'S':
      recording = !recording;
      break;
    case 'w':
    case 'W':
      saveNetFile(netPath, controlPoints);
      break;
    case 'o':
    case 'O':
      exportObjFile(objPath, surfacePoints, surfaceNormals);
      break;
    case 'u':
    case 'U':
    case kCtrlZ:
      undoLastDrag();
      break;
    case 'r':
    case 'R':
    case kCtrlY:
      redoLastDrag();
      break;
    case 'e':
    case 'E':
      reloadCubemap("cubemap.png");
      break;
    default:
      break;
  }
  glutPostRedisplay();
}
