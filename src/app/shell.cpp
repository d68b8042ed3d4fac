// The application shell: the command line, window and fixed GL state, the display pass,
// resizing and keys. Relies on GLUT calling reshape before the first display and after
// every size change.
#include "app/shell.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "analysis/curvature.h"
#include "analysis/zebra.h"
#include "app/data_dir.h"
#include "app/state.h"
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
// GLUT's keyboard callback gets Ctrl with a letter as its ASCII control code.
constexpr unsigned char kCtrlY = 25;
constexpr unsigned char kCtrlZ = 26;

const char* const kUsage = "usage: patchlume [GLUT options] [--] [NET]\n";

const char* const kHelp =
    "Views and edits one bicubic Bezier surface patch: the front, top and side views show\n"
    "its 4 by 4 control net, the camera view the patch as a mirror of a cube-map\n"
    "environment.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "  --         end of the options: the next word is the net, even if it begins with -\n"
    "GLUT takes its own options first: -display DISPLAY, -geometry WxH+X+Y, -sync, ...\n"
    "\n"
    "Mouse:\n"
    "  front, top or side view, any button   drag the control point within 5 pixels of\n"
    "                                        the press, within that view's plane\n"
    "  camera view, left button              orbit the camera about its look-at point\n"
    "  camera view, right button             up: eye 2.5 % nearer; otherwise farther\n"
    "  camera view, middle button            pan eye and look-at point together\n"
    "Keys:\n"
    "  a A           show or hide the X (red), Y (green) and Z (blue) axes\n"
    "  s S           start or stop recording every drawn frame\n"
    "  w W           save the control net to NET\n"
    "  o O           export the surface as a Wavefront OBJ beside NET\n"
    "  u U Ctrl+Z    undo the last drag of a control point\n"
    "  r R Ctrl+Y    redo the drag undone last\n"
    "  e E           reload cubemap.png (a failed load keeps the environment shown)\n"
    "  z Z           camera view: mirror, zebra, Gaussian curvature, mean curvature, mirror\n"
    "  x X           zebra bands vertical (about +Y) or horizontal (about +X)\n"
    "  [ ]           fewer or more zebra bands: 8, 12, 16, 24, 32, 48, 64, 96\n"
    "  =             fit the curvature colours' range to the surface shown\n"
    "  Escape        quit\n"
    "\n"
    "Files, relative to the working directory:\n"
    "  cubemap.png   read at start-up and by e: the environment, a 4 by 3 cube-map atlas; when\n"
    "                there is none, the default one installed with the program\n"
    "  NET           read at start-up, written by w: 16 lines \"x y z\" (patch.net if none)\n"
    "  NET.obj       written by o: NET with its extension made .obj (patch.obj)\n"
    "  screenshots/frame000.tga ... frame999.tga\n"
    "                written while recording; the directory must exist\n";

}  // namespace

int answerHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("patchlume %s\n", PATCHLUME_VERSION);
      return 0;
    }
  }
  return -1;
}

namespace {

// The options freeglut's glutInit takes, and whether each takes the next word as its value.
struct GlutOption {
  const char* name;
  bool takesValue;
};
constexpr GlutOption kGlutOptions[] = {{"-display", true}, {"-geometry", true},  {"-iconic", false},
                                       {"-direct", false}, {"-indirect", false}, {"-gldebug", false},
                                       {"-sync", false}};

// The option of kGlutOptions named word, or nullptr.
const GlutOption* glutOption(const char* word) {
  for (const GlutOption& option : kGlutOptions)
    if (std::strcmp(word, option.name) == 0) return &option;
  return nullptr;
}

}  // namespace

bool takeNetArgument(int argc, char** argv) {
  const char* path = nullptr;
  int nets = 0;
  bool optionsEnded = false;
  bool refused = false;
  for (int i = 1; i < argc; ++i) {
    const GlutOption* glut = optionsEnded ? nullptr : glutOption(argv[i]);
    if (glut != nullptr) {
      // GLUT's own, left for glutInit; one without its value would make GLUT exit.
      if (glut->takesValue && ++i >= argc) refused = true;
    } else if (!optionsEnded && std::strcmp(argv[i], "--") == 0) {
      optionsEnded = true;
    } else if (!optionsEnded && argv[i][0] == '-') {
      refused = true;
    } else {
      path = argv[i];
      ++nets;
    }
  }
  if (nets == 0) path = "patch.net";
  if (refused || nets > 1 || path[0] == '\0' || !objPathForNet(path, objPath, sizeof objPath)) {
    std::fputs(kUsage, stderr);
    std::fputs("Try 'patchlume --help' for more information.\n", stderr);
    return false;
  }
  netPath = path;
  return true;
}

int readStartNet(double grid[kGridSize][kGridSize][3]) {
  NetError error;
  const int found = readNetFile(netPath, grid, &error);
  if (found < 0 && error.line == 0) std::fprintf(stderr, "%s: %s\n", netPath, error.what);
  if (found < 0 && error.line > 0) {
    std::fprintf(stderr, "%s:%d: %s\n", netPath, error.line, error.what);
  }
  return found;
}

bool warnWithoutDepthBuffer(int depthSize) {
  if (depthSize > 0) return false;
  std::fprintf(stderr, "no depth buffer: overlapping surfaces may show in drawing order\n");
  return true;
}

void initScene() {
  // With a depth buffer the nearer surface shows, whichever is drawn later.
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
  glutInitWindowPosition(300, 100);
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
    if (view == 3) {
      // No colour is set here: the patch keeps the one the side view's last point left.
      drawPatch();
    } else {
      drawControlNet();
    }
    drawAxes();
    if (view != 3) drawControlPoints();
    else drawLegend();
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
      reloadCubemap(atlasFileToRead());
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
    default:
      break;
  }
  glutPostRedisplay();
}
