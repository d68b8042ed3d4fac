// The application shell: the window and its fixed GL state, the display pass, the keys and
// the pointer's redraws. Relies on GLUT calling reshape before the first display and after
// every size change.
#include "app/shell.h"

#include <GL/freeglut.h>  // glutCloseFunc besides the GLUT API

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "analysis/curvature.h"
#include "render/zebra.h"
#include "app/data_dir.h"
#include "app/state.h"
#include "app/window.h"
#include "capture/frames.h"
#include "capture/recorder.h"
#include "capture/screenshot.h"
#include "files/net_file.h"
#include "files/obj_file.h"
#include "interact/camera.h"
#include "interact/history.h"
#include "interact/picking.h"
#include "model/basis.h"
#include "render/cubemap.h"
#include "render/curvature_patch.h"
#include "render/legend.h"
#include "render/mirror.h"
#include "render/net.h"
#include "render/views.h"
#include "render/zebra_patch.h"

namespace {

// Keys GLUT's keyboard callback gets as ASCII codes: Ctrl with a letter as its control code.
constexpr unsigned char kEscape = 27;
constexpr unsigned char kCtrlY = 25;
constexpr unsigned char kCtrlZ = 26;

// Where the window opens, in screen pixels.
constexpr int kWindowX = 300;
constexpr int kWindowY = 100;

// The pointer handlers of the model take GLUT's numbers as they come.
static_assert(kLeftButton == GLUT_LEFT_BUTTON && kMiddleButton == GLUT_MIDDLE_BUTTON &&
                  kRightButton == GLUT_RIGHT_BUTTON,
              "GLUT's button numbers");
static_assert(kButtonDown == GLUT_DOWN && kButtonUp == GLUT_UP, "GLUT's button states");

}  // namespace

void initScene() {
  // With a depth buffer the nearer surface shows, whichever is drawn later.
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
  glutInitWindowPosition(kWindowX, kWindowY);
  glutInitWindowSize(windowWidth, windowHeight);
  glutCreateWindow("Patchlume");
  warnWithoutDepthBuffer(glutGet(GLUT_WINDOW_DEPTH_SIZE));

  glEnable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  glEnable(GL_POINT_SMOOTH);
  glEnable(GL_LINE_SMOOTH);
  glPointSize(9.0f);

  initBinomials();
  initBernstein();
  initControlGrid();

  loadCubemap(atlasFileToRead());

  setDefaultCamera();
}

namespace {

// A press during a turn only cancels it.
void mouseUnlessTurning(int button, int state, int x, int y) {
  if (state == kButtonDown && cancelTurntable()) {
    glutPostRedisplay();
    return;
  }
  mouse(button, state, x, y);
}

}  // namespace

void registerCallbacks() {
  glutDisplayFunc(display);
  glutReshapeFunc(reshape);
  glutKeyboardFunc(keyboard);
  glutMouseFunc(mouseUnlessTurning);
  glutMotionFunc(motion);
  glutCloseFunc(closeRecordings);
}

void motion(int x, int y) {
  dragTo(x, y);
  glutPostRedisplay();
}

void display() {
  // The camera view's patch in the mode shown.
  void (*const drawings[kModeCount])() = {drawMirrorPatch, drawZebraPatch, drawCurvaturePatch,
                                          drawCurvaturePatch};
  displayWith(drawings[analysisMode]);
}

void displayWith(void (*drawPatch)()) {
  glEnable(GL_SCISSOR_TEST);
  for (int view = 0; view < kViewCount; ++view) {
    setupView(view);
    if (view == kCameraView) {
      // No colour is set here: the patch keeps the one the side view's last point left.
      drawPatch();
    } else {
      drawControlNet();
    }
    drawAxes();
    if (view != kCameraView) drawControlPoints();
    else drawLegend();
  }
  glDisable(GL_SCISSOR_TEST);
  if (recording) saveScreenshot();
  captureDrawnFrame();
  glutSwapBuffers();
}

void keyboard(unsigned char key, int /*x*/, int /*y*/) {
  // A key during a turn only cancels it.
  if (cancelTurntable()) {
    glutPostRedisplay();
    return;
  }
  switch (key) {
    case kEscape:
      finishSessionVideo();
      // Nothing is written at the exit, but the loss is not silent.
      if (std::memcmp(controlPoints, savedControlPoints, sizeof savedControlPoints) != 0) {
        std::fprintf(stderr, "%s: unsaved changes not saved\n", netPath);
      }
      std::exit(0);
    case 'a':
    case 'A':
      showAxes = !showAxes;
      break;
    case 's':
    case 'S':
      recording = !recording;
      if (recording) frameFailureTold = false;
      break;
    case 'w':
    case 'W':
      if (saveNetFile(netPath, controlPoints)) {
        std::memcpy(savedControlPoints, controlPoints, sizeof savedControlPoints);
      }
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
      if (!loadCubemap(atlasFileToRead())) {
        std::printf("%s not loaded: the environment stays as it was\n", atlasFileToRead());
        std::fflush(stdout);
      }
      break;
    case 'z':
    case 'Z':
      analysisMode = (analysisMode + 1) % kModeCount;
      fitShownCurvatureRange();
      break;
    case 'x':
    case 'X':
      zebraAxis = 1 - zebraAxis;
      break;
    case '[':
    case ']':
      zebraBands = steppedBandCount(zebraBands, key == ']' ? 1 : -1);
      break;
    case '=':
      fitShownCurvatureRange();
      break;
    case 'v':
    case 'V':
      toggleSessionVideo();
      break;
    case 't':
    case 'T':
      startTurntable(nullptr, kTurntableFrames, kVideoFps);
      break;
    case 'p':
    case 'P':
      requestSnapshot();
      break;
    default:
      break;
  }
  glutPostRedisplay();
}
