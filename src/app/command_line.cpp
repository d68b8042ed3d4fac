// The command line, read before GLUT starts: --help and --version, the one net file, and
// the net's first reading, which refuses a file it cannot use before any window opens.
#include "app/command_line.h"

#include <cstdio>
#include <cstring>

#include "app/state.h"
#include "files/net_file.h"
#include "files/obj_file.h"

namespace {

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
