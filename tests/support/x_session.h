// End-to-end plumbing: a private Xvfb per test, a scratch working directory, the real binary
// started in it, XTest input to its window, and an independent reader for the TGA files it writes.
// There is no window manager on the private server, so geometry requests apply directly and keys
// go to the window under the pointer (or the focus, which the helpers set to the window).
#pragma once

#include <gtest/gtest.h>  // the AppSessionTest fixture

#include <sys/types.h>  // pid_t

#include <string>
#include <vector>

// After gtest: Xlib defines macros such as None, Bool and Status.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "support/files.h"
#include "support/rgb.h"

namespace e2e {

using support::copyFile;
using support::fileSize;
using support::frameFileName;
using support::frameNames;
using support::listFiles;
using support::makeTempDir;
using support::pointLines;
using support::readTextFile;
using support::removeTree;
using support::sleepMs;

// A private X server and the tests' own connection to it.
struct XServer {
  pid_t pid = -1;            // Xvfb process, -1 when not running
  int number = -1;           // display number N of ":N"
  Display* display = nullptr;
  std::string name() const;  // ":N"
};

// Starts Xvfb with -displayfd and connects to it; false (with a reason) when either fails.
bool startXServer(XServer& server, std::string& error, int timeoutMs = 10000);
// Closes the connection, terminates Xvfb and reaps it; safe on a server that never started.
void stopXServer(XServer& server);

// Starts `binary` with cwd = workDir and DISPLAY = displayName; stdout and stderr go to
// workDir/stdout.txt and workDir/stderr.txt. Returns the pid, or -1 when fork failed.
pid_t launchProcess(const std::string& binary, const std::string& workDir,
                    const std::string& displayName);
// How the child is started beyond the defaults.
struct LaunchOptions {
  // RLIMIT_FSIZE in bytes for the child, which starts with SIGXFSZ at its default action;
  // negative for no limit.
  long fileSizeLimit = -1;
  // Command-line arguments after the program's name.
  std::vector<std::string> args;
  // Run as user nobody when the test runs as root, so that file modes bind the child.
  bool unprivileged = false;
};
// As above, with options. Every launch runs under PATCHLUME_E2E_WRAPPER when that is set.
pid_t launchProcess(const std::string& binary, const std::string& workDir,
                    const std::string& displayName, const LaunchOptions& options);
// The words of PATCHLUME_E2E_WRAPPER (a command prefix such as "valgrind --log-file=..."),
// split at white space; empty when unset.
std::vector<std::string> wrapperCommand();
// PATCHLUME_E2E_TIMEOUT_SCALE (a positive number, 1 when unset or invalid): every harness
// timeout is multiplied by it, for programs run under a slow wrapper.
double timeoutScale();
int scaledMs(int ms);
// Waits for the process to end; true with the raw wait status when it did within the timeout.
bool waitForExit(pid_t pid, int timeoutMs, int& waitStatus);
bool isRunning(pid_t pid);
// Terminates (then kills) and reaps the process; sets pid to -1.
void killProcess(pid_t& pid);
// Runs a command to completion, output discarded; its exit code, or -1.
int runCommand(const std::vector<std::string>& argv);

// Top-level window (child of the root) whose WM_NAME equals title; 0 after the timeout.
Window findWindowByTitle(Display* display, const std::string& title, int timeoutMs = 10000);
bool waitUntilViewable(Display* display, Window window, int timeoutMs = 10000);
// Waits until the window no longer exists (its program has ended, say).
bool waitUntilGone(Display* display, Window window, int timeoutMs = 10000);
std::string windowTitle(Display* display, Window window);

struct Geometry {
  int x = 0, y = 0;  // top-left corner in root coordinates
  int width = 0, height = 0;
};
bool windowGeometry(Display* display, Window window, Geometry& geometry);
// Requests the size and waits until the server reports it.
bool resizeWindow(Display* display, Window window, int width, int height, int timeoutMs = 10000);

// XTest input. Pointer coordinates are window pixels, origin top-left, y downwards.
void movePointer(Display* display, Window window, int x, int y);
void pressButton(Display* display, int button);  // 1 left, 2 middle, 3 right
void releaseButton(Display* display, int button);
// Puts the pointer inside the window and gives it the keyboard focus.
void focusWindow(Display* display, Window window);
// Press and release of the key of `keysym`, with Shift held around it when `shift`.
bool typeKey(Display* display, KeySym keysym, bool shift = false);
// Press and release of the key of `keysym` with the key of `modifier` (XK_Control_L, ...)
// held around it.
bool typeKeyWith(Display* display, KeySym modifier, KeySym keysym);

// Polls until the file exists with exactly expectedSize bytes (any size when negative) and the
// size holds still between two polls.
bool waitForFile(const std::string& path, long expectedSize, int timeoutMs = 10000);
// Polls until the file holds exactly `expected` (a program's stdout.txt, say).
bool waitForFileContents(const std::string& path, const std::string& expected,
                         int timeoutMs = 10000);

using Rgb = support::Rgb;

// An uncompressed 24-bit TGA as the program writes it: rows bottom-up, pixels B, G, R.
struct TgaImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> data;  // width * height * 3 bytes, exactly as stored
  // Pixel at window position (x, y), origin top-left, y downwards.
  Rgb at(int x, int y) const;
};

// Bytes of a whole frame file of a window of that size.
constexpr long frameBytes(int width, int height) { return 18L + 3L * width * height; }
constexpr long kFullFrameBytes = frameBytes(800, 800);  // the initial window, 1,920,018
// True when the pixel is within `tolerance` of `expected` in each channel; a message otherwise.
::testing::AssertionResult pixelNear(const TgaImage& image, int x, int y, Rgb expected,
                                     int tolerance = 2);
// Whether the red X axis shows in the front view: a 100-pixel line from the view's centre to
// the right, which nothing else in that view draws in red. Needs a window at least 400 wide.
bool frameShowsAxes(const TgaImage& image);

// What the window shows on the screen now (XGetImage), as a frame the program would record.
bool grabWindow(Display* display, Window window, TgaImage& image);
// Waits until the window on the screen shows the axes, or no longer does (`shown`). Input
// is handled in order, so this marks everything typed before the axes key as done, with
// nothing written to disk.
bool waitForWindowAxes(Display* display, Window window, bool shown, int timeoutMs = 10000);

// Reads and validates the header (type 2, 24 bits, descriptor 0, no ID, no colour map) and
// requires the file to be exactly 18 + 3 * width * height bytes; false with a reason otherwise.
bool readTga(const std::string& path, TgaImage& image, std::string& error);
// Debugging aid: converts a TGA to PNG with ImageMagick; true when convert succeeded.
bool convertToPng(const std::string& tgaPath, const std::string& pngPath);

// A test with its own X server and working directory; launch() starts the real binary there.
// Set PATCHLUME_E2E_KEEP=1 to keep the working directories for inspection.
class AppSessionTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the binary and waits until its window "Patchlume" is viewable.
  ::testing::AssertionResult launch(const std::string& binary);
  // Types one key into the program's window.
  void key(KeySym keysym, bool shift = false);
  std::string path(const std::string& relative) const;  // inside the working directory
  // Escape, then the exit; the raw wait status through waitStatus.
  ::testing::AssertionResult quit(int& waitStatus, int timeoutMs = 10000);

  // launch() with options for the child.
  ::testing::AssertionResult launch(const std::string& binary, const LaunchOptions& options);

  // A copy of `binary` in workDir/bin, with no data directory beside it: the program as it
  // starts where neither the working directory nor an install holds an atlas. Empty on failure.
  std::string binaryWithoutData(const std::string& binary);

  // Recording: frames are written to workDir/screenshots, which the program never creates.
  std::string frameDir() const;
  std::string framePath(int number) const;
  ::testing::AssertionResult createFrameDir();
  // Waits until frame `number` is whole (exactly `bytes` long), then reads it.
  ::testing::AssertionResult waitFrame(int number, TgaImage& image,
                                       long bytes = kFullFrameBytes);
  // Types a key and waits for the frame it must record.
  ::testing::AssertionResult keyRecords(KeySym keysym, int number, TgaImage& image,
                                        long bytes = kFullFrameBytes);
  // Redraws coalesce, so the number of frames a run of input gives is unknown. With recording
  // on and the axes off, this types a to find the first frame drawn after all earlier input
  // (the first with axes, scanning from `fromNumber`), then a again for a frame of the same
  // state without axes, which it returns. Window of 800 by 800 unless `bytes` says otherwise.
  ::testing::AssertionResult settledFrame(int fromNumber, int& number, TgaImage& image,
                                          long bytes = kFullFrameBytes);
  // Copies the atlas at `atlas` into the working directory as cubemap.png, creates the frame
  // directory, launches `binary` and types s: `first` is frame 0, the start-up picture.
  ::testing::AssertionResult launchRecording(const std::string& binary, const std::string& atlas,
                                             TgaImage& first);
  // X button (1 left, 2 middle, 3 right) pressed at `from`, moved to `to` in `steps` equal
  // steps, released; window pixels.
  void drag(int button, int fromX, int fromY, int toX, int toY, int steps = 8);

  XServer server;
  std::string workDir;
  pid_t app = -1;
  Window window = 0;
};

}  // namespace e2e
