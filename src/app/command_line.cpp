// The command line, read before GLUT starts: --help and --version, the one net file, and
// the net's first reading, which refuses a file it cannot use before any window opens.
#include "app/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/state.h"
#include "capture/frames.h"
#include "files/net_file.h"
#include "files/obj_file.h"

namespace {

const char* const kUsage = "usage: patchlume [GLUT options] [--] [NET]\n";

const char* const kHelp =
    "Views and edits one bicubic Bezier surface patch: the front, top and side views show\n"
    "its 4 by 4 control net, the camera view the patch as a mirror of a cube-map\n"
    "environment.\n"
    "\n"
    "  --help            print this help and exit\n"
    "  --version         print the version and exit\n"
    "  --turntable FILE  draw one turn of the camera about its look-at point, write it as\n"
    "                    the video FILE (H.264 in MP4) and exit: 0 written, 1 failed\n"
    "  --frames N        frames of that turn, 1 to 100000 (default 120)\n"
    "  --fps F           its frames a second, 1 to 240 (default 30)\n"
    "  --snapshot FILE   write the first frame drawn as the PNG FILE and exit\n"
    "  --                end of the options: the next word is the net, even if it begins with -\n"
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
    "  v V           start or stop recording the window as a video, 30 frames a second\n"
    "  t T           record one turn of the camera, 120 frames (a key or a click cancels)\n"
    "  p P           save the window as a PNG picture\n"
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
    "                written while recording; the directory must exist\n"
    "  patchlume000.mp4 ... patchlume999.mp4   written by v: the first free number\n"
    "  turntable000.mp4 ... turntable999.mp4   written by t\n"
    "  patchlume000.png ... patchlume999.png   written by p\n";

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

// The options of the recordings made from the command line, each with a value.
enum RecordingOption { kTurntableOption, kFramesOption, kFpsOption, kSnapshotOption, kRecordingOptionCount };
constexpr const char* kRecordingOptions[kRecordingOptionCount] = {"--turntable", "--frames", "--fps",
                                                                  "--snapshot"};

// The RecordingOption named word, or -1.
int recordingOption(const char* word) {
  for (int option = 0; option < kRecordingOptionCount; ++option)
    if (std::strcmp(word, kRecordingOptions[option]) == 0) return option;
  return -1;
}

// Keeps the first problem only, as "OPTION VALUE: reason" ("OPTION: reason" without a
// value): one message however many values are wrong.
void noteProblem(char* problem, std::size_t capacity, const char* option, const char* value,
                 const char* reason) {
  if (problem[0] != '\0') return;
  std::snprintf(problem, capacity, "%s%s%s: %s", option, value != nullptr ? " " : "",
                value != nullptr ? value : "", reason);
}

// value as a whole number from 1 to most, written in decimal digits only; -1 otherwise.
int wholeNumber(const char* value, int most) {
  if (value[0] < '0' || value[0] > '9') return -1;
  errno = 0;
  char* end = nullptr;
  const long number = std::strtol(value, &end, 10);
  if (*end != '\0' || errno != 0 || number < 1 || number > most) return -1;
  return static_cast<int>(number);
}

// Notes the first value of values (indexed by RecordingOption, nullptr when not given) that
// is refused; returns the turn's frames (kTurntableFrames when not given).
int checkRecordingValues(const char* const values[kRecordingOptionCount], char* problem,
                         std::size_t capacity) {
  const int fileOptions[] = {kTurntableOption, kSnapshotOption};
  for (int option : fileOptions) {
    if (values[option] != nullptr && values[option][0] == '\0') {
      noteProblem(problem, capacity, kRecordingOptions[option], "''", "empty file name");
    }
  }
  const struct {
    int option, most;
  } numbers[] = {{kFramesOption, kMaxTurntableFrames}, {kFpsOption, kMaxVideoFps}};
  for (const auto& number : numbers) {
    const char* value = values[number.option];
    if (value == nullptr) continue;
    char range[64];
    std::snprintf(range, sizeof range, "not a whole number from 1 to %d", number.most);
    const char* option = kRecordingOptions[number.option];
    if (wholeNumber(value, number.most) < 0) noteProblem(problem, capacity, option, value, range);
    if (values[kTurntableOption] == nullptr) {
      noteProblem(problem, capacity, option, value, "only with --turntable");
    }
  }
  if (values[kSnapshotOption] != nullptr && values[kTurntableOption] != nullptr) {
    noteProblem(problem, capacity, "--snapshot", values[kSnapshotOption], "not with --turntable");
  }
  return values[kFramesOption] != nullptr ? wholeNumber(values[kFramesOption], kMaxTurntableFrames)
                                          : kTurntableFrames;
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

int takeNetArgument(int argc, char** argv) {
  const char* path = nullptr;
  int nets = 0;
  bool optionsEnded = false;
  bool refused = false;
  const char* values[kRecordingOptionCount] = {};
  char problem[kPathCapacity + 100] = "";  // the first value refused, told when nothing else is wrong
  for (int i = 1; i < argc; ++i) {
    const GlutOption* glut = optionsEnded ? nullptr : glutOption(argv[i]);
    const int own = optionsEnded ? -1 : recordingOption(argv[i]);
    if (glut != nullptr) {
      // GLUT's own, left for glutInit; one without its value would make GLUT exit.
      if (glut->takesValue && ++i >= argc) refused = true;
    } else if (own >= 0) {
      if (i + 1 >= argc) {
        noteProblem(problem, sizeof problem, argv[i], nullptr, "missing value");
      } else if (values[own] != nullptr) {
        noteProblem(problem, sizeof problem, argv[i], argv[i + 1], "given twice");
      }
      if (i + 1 < argc) values[own] = argv[++i];
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
    return 2;
  }
  const int frames = checkRecordingValues(values, problem, sizeof problem);
  if (problem[0] != '\0') {
    std::fprintf(stderr, "patchlume: %s\n", problem);
    return 1;
  }
  netPath = path;
  turntableArgument = values[kTurntableOption];
  snapshotArgument = values[kSnapshotOption];
  turntableFramesArgument = frames;
  turntableFpsArgument = values[kFpsOption] != nullptr ? wholeNumber(values[kFpsOption], kMaxVideoFps) : kVideoFps;
  return 0;
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
