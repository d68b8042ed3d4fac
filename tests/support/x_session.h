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

namespace e2e {

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

// Creates a fresh directory under $TMPDIR (or /tmp); empty string on failure.
std::string makeTempDir();
// Deletes a directory tree, not following symbolic links.
void removeTree(const std::string& path);
bool copyFile(const std::string& from, const std::string& to);
std::string readTextFile(const std::string& path);  // empty when missing

// Starts `binary` with cwd = workDir and DISPLAY = displayName; stdout and stderr go to
// workDir/stdout.txt and workDir/stderr.txt. Returns the pid, or -1 when fork failed.
pid_t launchProcess(const std::string& binary, const std::string& workDir,
                    const std::string& displayName);
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

// Polls until the file exists with exactly expectedSize bytes (any size when negative) and the
// size holds still between two polls.
bool waitForFile(const std::string& path, long expectedSize, int timeoutMs = 10000);
std::vector<std::string> listFiles(const std::string& dir);  // sorted names; empty when missing
long fileSize(const std::string& path);                      // -1 when missing
void sleepMs(int ms);

struct Rgb {
  int r, g, b;
};

// An uncompressed 24-bit TGA as the program writes it: rows bottom-up, pixels B, G, R.
struct TgaImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> data;  // width * height * 3 bytes, exactly as stored
  // Pixel at window position (x, y), origin top-left, y downwards.
  Rgb at(int x, int y) const;
};

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

  XServer server;
  std::string workDir;
  pid_t app = -1;
  Window window = 0;
};

}  // namespace e2e
