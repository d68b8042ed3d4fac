// Implementation of the end-to-end plumbing: processes through fork/exec, X through Xlib and
// XTest, files through POSIX calls. Every wait polls with a deadline so a broken program fails a
// test instead of hanging it.
#include "support/x_session.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>  // setgroups
#include <pwd.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// Every wait stretches by PATCHLUME_E2E_TIMEOUT_SCALE, for programs run under a slow wrapper.
Clock::time_point deadlineAfter(int ms) {
  return Clock::now() + std::chrono::milliseconds(scaledMs(ms));
}

// Windows may vanish between XQueryTree and the next request; Xlib's default handler would exit.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

// execv wants mutable char*; the strings outlive the call.
std::vector<char*> argvOf(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  return argv;
}

void redirect(int targetFd, const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) {
    dup2(fd, targetFd);
    close(fd);
  }
}

void terminate(pid_t pid) {
  kill(pid, SIGTERM);
  int status = 0;
  if (!waitForExit(pid, 3000, status)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
}

}  // namespace

std::string XServer::name() const { return ":" + std::to_string(number); }

bool startXServer(XServer& server, std::string& error, int timeoutMs) {
  int fds[2];
  if (pipe(fds) != 0) {
    error = "pipe failed";
    return false;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    error = "fork failed";
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    close(fds[0]);
    redirect(STDOUT_FILENO, "/dev/null");
    redirect(STDERR_FILENO, "/dev/null");
    const std::vector<std::string> args = {"Xvfb",     "-displayfd",   std::to_string(fds[1]),
                                           "-screen",  "0",            "1280x1024x24",
                                           "-noreset", "-nolisten",    "tcp"};
    std::vector<char*> argv = argvOf(args);
    // A sanitizer run preloads its runtime for the test programs; the server is not one.
    unsetenv("LD_PRELOAD");
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  server.pid = pid;

  // Xvfb writes the display number and a newline once it accepts connections.
  std::string text;
  const Clock::time_point deadline = deadlineAfter(timeoutMs);
  while (text.find('\n') == std::string::npos && Clock::now() < deadline) {
    pollfd pfd = {fds[0], POLLIN, 0};
    if (poll(&pfd, 1, 100) <= 0) continue;
    char buffer[32];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  if (text.find('\n') == std::string::npos) {
    error = "Xvfb did not report a display number";
    stopXServer(server);
    return false;
  }
  server.number = std::atoi(text.c_str());
  XSetErrorHandler(ignoreXError);
  server.display = XOpenDisplay(server.name().c_str());
  if (server.display == nullptr) {
    error = "cannot connect to " + server.name();
    stopXServer(server);
    return false;
  }
  int eventBase, errorBase, major, minor;
  if (!XTestQueryExtension(server.display, &eventBase, &errorBase, &major, &minor)) {
    error = "XTest missing on " + server.name();
    stopXServer(server);
    return false;
  }
  return true;
}

void stopXServer(XServer& server) {
  if (server.display != nullptr) XCloseDisplay(server.display);
  server.display = nullptr;
  if (server.pid > 0) terminate(server.pid);
  server.pid = -1;
  server.number = -1;
}

pid_t launchProcess(const std::string& binary, const std::string& workDir,
                    const std::string& displayName) {
  return launchProcess(binary, workDir, displayName, LaunchOptions());
}

pid_t launchProcess(const std::string& binary, const std::string& workDir,
                    const std::string& displayName, const LaunchOptions& options) {
  // Built before the fork: the child only execs.
  std::vector<std::string> args = wrapperCommand();
  const bool wrapped = !args.empty();
  args.push_back(binary);
  args.insert(args.end(), options.args.begin(), options.args.end());
  const passwd* nobody = options.unprivileged && geteuid() == 0 ? getpwnam("nobody") : nullptr;
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (chdir(workDir.c_str()) != 0) _exit(126);
  setenv("DISPLAY", displayName.c_str(), 1);
  redirect(STDOUT_FILENO, "stdout.txt");
  redirect(STDERR_FILENO, "stderr.txt");
  if (options.fileSizeLimit >= 0) {
    // At its default, as a shell leaves it: what happens past the limit is the program's own
    // doing.
    signal(SIGXFSZ, SIG_DFL);
    const rlimit limit = {static_cast<rlim_t>(options.fileSizeLimit),
                          static_cast<rlim_t>(options.fileSizeLimit)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
  }
  if (nobody != nullptr &&
      (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
    _exit(124);
  std::vector<char*> argv = argvOf(args);
  if (wrapped) {
    execvp(argv[0], argv.data());
  } else {
    execv(argv[0], argv.data());
  }
  // Into stderr.txt, so that a launch that never starts says why.
  std::fprintf(stderr, "exec %s: %s\n", argv[0], std::strerror(errno));
  _exit(127);
}

bool waitForExit(pid_t pid, int timeoutMs, int& waitStatus) {
  const Clock::time_point deadline = deadlineAfter(timeoutMs);
  do {
    const pid_t done = waitpid(pid, &waitStatus, WNOHANG);
    if (done == pid) return true;
    if (done < 0) return false;
    sleepMs(10);
  } while (Clock::now() < deadline);
  return false;
}

bool isRunning(pid_t pid) {
  int status = 0;
  return pid > 0 && waitpid(pid, &status, WNOHANG) == 0;
}

void killProcess(pid_t& pid) {
  if (pid > 0) terminate(pid);
  pid = -1;
}

int runCommand(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    redirect(STDOUT_FILENO, "/dev/null");
    redirect(STDERR_FILENO, "/dev/null");
    std::vector<char*> argv = argvOf(args);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string windowTitle(Display* display, Window window) {
  char* name = nullptr;
  std::string title;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) title = name;
  if (name != nullptr) XFree(name);
  return title;
}

Window findWindowByTitle(Display* display, const std::string& title, int timeoutMs) {
  const Clock::time_point deadline = deadlineAfter(timeoutMs);
  do {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
      for (unsigned int i = 0; i < count && found == 0; ++i) {
        if (windowTitle(display, children[i]) == title) found = children[i];
      }
      if (children != nullptr) XFree(children);
    }
    if (found != 0) return found;
    sleepMs(50);
  } while (Clock::now() < deadline);
  return 0;
}

bool waitUntilViewable(Display* display, Window window, int timeoutMs) {
  const Clock::time_point deadline = deadlineAfter(timeoutMs);
  do {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) &&
        attributes.map_state == IsViewable) {
      return true;
    }
    sleepMs(20);
  } while (Clock::now() < deadline);
  return false;
}

bool windowGeometry(Display* display, Window window, Geometry& geometry) {
  Window root = 0, child = 0;
  int x = 0, y = 0;
  unsigned int width = 0, height = 0, border = 0, depth = 0;
  if (!XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth)) {
    return false;
  }
  if (!XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child)) return false;
  geometry.x = x;
  geometry.y = y;
  geometry.width = static_cast<int>(width);
  geometry.height = static_cast<int>(height);
  return true;
}

bool resizeWindow(Display* display, Window window, int width, int height, int timeoutMs) {
  XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(display, False);
  const Clock::time_point deadline = deadlineAfter(timeoutMs);
  do {
    Geometry geometry;
    if (windowGeometry(display, window, geometry) && geometry.width == width &&
        geometry.height == height) {
      return true;
    }
    sleepMs(20);
  } while (Clock::now() < deadline);
  return false;
}

void movePointer(Display* display, Window window, int x, int y) {
  int rootX = 0, rootY = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
  XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
  XSync(display, False);
}

void pressButton(Display* display, int button) {
  XTestFakeButtonEvent(display, static_cast<unsigned>(button), True, CurrentTime);
  XSync(display, False);
}

void releaseButton(Display* display, int button) {
  XTestFakeButtonEvent(display, static_cast<unsigned>(button), False, CurrentTime);
  XSync(display, False);
}

void focusWindow(Display* display, Window window) {
  Geometry geometry;
  if (windowGeometry(display, window, geometry)) {
    movePointer(display, window, geometry.width / 2, geometry.height / 2);
  }
  XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
  XSync(display, False);
}

bool typeKey(Display* display, KeySym keysym, bool shift) {
  const KeyCode code = XKeysymToKeycode(display, keysym);
  const KeyCode shiftCode = XKeysymToKeycode(display, XK_Shift_L);
  if (code == 0 || (shift && shiftCode == 0)) return false;
  if (shift) XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
  if (shift) XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
  XSync(display, False);
  return true;
}

bool waitForFile(const std::string& path, long expectedSize, int timeoutMs) {
  const Clock::time_point deadline = deadlineAfter(timeoutMs);
  long previous = -2;
  do {
    const long size = fileSize(path);
    const bool wanted = size >= 0 && (expectedSize < 0 || size == expectedSize);
    if (wanted && size == previous) return true;
    previous = size;
    sleepMs(25);
  } while (Clock::now() < deadline);
  return false;
}

Rgb TgaImage::at(int x, int y) const {
  // The file's first row is the bottom row of the window.
  const size_t offset = (static_cast<size_t>(height - 1 - y) * width + x) * 3;
  return Rgb{data[offset + 2], data[offset + 1], data[offset]};
}

bool grabWindow(Display* display, Window window, TgaImage& image) {
  Geometry geometry;
  if (!windowGeometry(display, window, geometry)) return false;
  XImage* grabbed = XGetImage(display, window, 0, 0, static_cast<unsigned>(geometry.width),
                              static_cast<unsigned>(geometry.height), AllPlanes, ZPixmap);
  if (grabbed == nullptr) return false;
  image.width = geometry.width;
  image.height = geometry.height;
  image.data.assign(static_cast<size_t>(image.width) * image.height * 3, 0);
  const auto channel = [](unsigned long pixel, unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) mask >>= 1, ++shift;
    return static_cast<unsigned char>((pixel >> shift) & 0xff);
  };
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const unsigned long pixel = XGetPixel(grabbed, x, y);
      unsigned char* out = &image.data[(static_cast<size_t>(image.height - 1 - y) * image.width + x) * 3];
      out[0] = channel(pixel, grabbed->blue_mask);
      out[1] = channel(pixel, grabbed->green_mask);
      out[2] = channel(pixel, grabbed->red_mask);
    }
  }
  XDestroyImage(grabbed);
  return true;
}

bool waitForWindowAxes(Display* display, Window window, bool shown, int timeoutMs) {
  const Clock::time_point deadline = deadlineAfter(timeoutMs);
  TgaImage image;
  do {
    if (grabWindow(display, window, image) && frameShowsAxes(image) == shown) return true;
    sleepMs(20);
  } while (Clock::now() < deadline);
  return false;
}

bool readTga(const std::string& path, TgaImage& image, std::string& error) {
  const std::string bytes = readTextFile(path);
  if (bytes.size() < 18) {
    error = path + ": " + std::to_string(bytes.size()) + " bytes, shorter than a TGA header";
    return false;
  }
  const unsigned char* header = reinterpret_cast<const unsigned char*>(bytes.data());
  std::ostringstream fields;
  for (int i = 0; i < 18; ++i) fields << (i ? " " : "") << static_cast<int>(header[i]);
  // Everything but the size fields is fixed: no ID, no colour map, type 2, origin 0, 24 bits.
  const int fixed[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, -1, -1, -1, 24, 0};
  for (int i = 0; i < 18; ++i) {
    if (fixed[i] >= 0 && header[i] != fixed[i]) {
      error = path + ": header byte " + std::to_string(i) + " unexpected in [" + fields.str() +
              "]";
      return false;
    }
  }
  image.width = header[12] | (header[13] << 8);
  image.height = header[14] | (header[15] << 8);
  const size_t pixelBytes = static_cast<size_t>(image.width) * image.height * 3;
  if (bytes.size() != 18 + pixelBytes) {
    error = path + ": " + std::to_string(bytes.size()) + " bytes for a " +
            std::to_string(image.width) + "x" + std::to_string(image.height) + " image";
    return false;
  }
  image.data.assign(bytes.begin() + 18, bytes.end());
  return true;
}

bool convertToPng(const std::string& tgaPath, const std::string& pngPath) {
  return runCommand({"convert", "-auto-orient", tgaPath, pngPath}) == 0;
}

void AppSessionTest::SetUp() {
  std::string error;
  ASSERT_TRUE(startXServer(server, error)) << error;
  workDir = makeTempDir();
  ASSERT_FALSE(workDir.empty()) << "mkdtemp failed";
}

void AppSessionTest::TearDown() {
  killProcess(app);
  stopXServer(server);
  if (workDir.empty()) return;
  const char* keep = std::getenv("PATCHLUME_E2E_KEEP");
  if (keep != nullptr && *keep != '\0' && *keep != '0') {
    std::printf("kept working directory %s\n", workDir.c_str());
  } else {
    removeTree(workDir);
  }
}

::testing::AssertionResult AppSessionTest::launch(const std::string& binary) {
  return launch(binary, LaunchOptions());
}

void AppSessionTest::key(KeySym keysym, bool shift) {
  focusWindow(server.display, window);
  ASSERT_TRUE(typeKey(server.display, keysym, shift)) << "no key code for keysym " << keysym;
}

std::string AppSessionTest::path(const std::string& relative) const {
  return workDir + "/" + relative;
}

::testing::AssertionResult AppSessionTest::quit(int& waitStatus, int timeoutMs) {
  focusWindow(server.display, window);
  typeKey(server.display, XK_Escape);
  if (!waitForExit(app, timeoutMs, waitStatus)) {
    return ::testing::AssertionFailure()
           << "still running " << scaledMs(timeoutMs) << " ms after Escape";
  }
  app = -1;
  return ::testing::AssertionSuccess();
}

std::vector<std::string> wrapperCommand() {
  std::vector<std::string> words;
  const char* wrapper = std::getenv("PATCHLUME_E2E_WRAPPER");
  if (wrapper == nullptr) return words;
  std::istringstream in(wrapper);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

double timeoutScale() {
  const char* text = std::getenv("PATCHLUME_E2E_TIMEOUT_SCALE");
  if (text == nullptr || *text == '\0') return 1.0;
  char* end = nullptr;
  const double scale = std::strtod(text, &end);
  return end != text && *end == '\0' && scale > 0.0 ? scale : 1.0;
}

int scaledMs(int ms) {
  const double scaled = ms * timeoutScale();
  return scaled < 2.0e9 ? static_cast<int>(scaled) : 2000000000;
}

::testing::AssertionResult pixelNear(const TgaImage& image, int x, int y, Rgb expected,
                                     int tolerance) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) {
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") outside the "
                                         << image.width << "x" << image.height << " frame";
  }
  const Rgb got = image.at(x, y);
  if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
      std::abs(got.b - expected.b) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "pixel (" << x << ", " << y << ") is (" << got.r << ", " << got.g << ", " << got.b
         << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b
         << ") within " << tolerance;
}

bool frameShowsAxes(const TgaImage& image) {
  // The front view is the bottom-left quadrant; its centre is the world origin.
  const int halfW = image.width / 2;
  const int halfH = image.height / 2;
  const int originX = halfW / 2;
  const int originY = image.height - 1 - halfH / 2;
  // A smoothed 3-pixel line may fall on either of two rows; a grey net line may cross it.
  int redColumns = 0;
  for (int dx = 20; dx <= 80; dx += 20) {
    int best = -1000;
    for (int y = originY - 3; y <= originY + 3; ++y) {
      const Rgb p = image.at(originX + dx, y);
      best = std::max(best, p.r - std::max(p.g, p.b));
    }
    if (best > 150) ++redColumns;
  }
  return redColumns >= 3;
}

::testing::AssertionResult AppSessionTest::launch(const std::string& binary,
                                                  const LaunchOptions& options) {
  app = launchProcess(binary, workDir, server.name(), options);
  if (app < 0) return ::testing::AssertionFailure() << "fork failed";
  window = findWindowByTitle(server.display, "Patchlume");
  if (window == 0) {
    int status = 0;
    const bool ended = waitForExit(app, 0, status);
    if (ended) app = -1;
    return ::testing::AssertionFailure()
           << "no window titled Patchlume" << (ended ? " (the program ended)" : "")
           << "; stderr: " << readTextFile(path("stderr.txt"));
  }
  if (!waitUntilViewable(server.display, window)) {
    return ::testing::AssertionFailure() << "window never became viewable";
  }
  focusWindow(server.display, window);
  return ::testing::AssertionSuccess();
}

std::string AppSessionTest::binaryWithoutData(const std::string& binary) {
  const std::string copy = path("bin/patchlume");
  const bool made = mkdir(path("bin").c_str(), 0755) == 0 && copyFile(binary, copy);
  return made && chmod(copy.c_str(), 0755) == 0 ? copy : "";
}

std::string AppSessionTest::frameDir() const { return path("screenshots"); }

std::string AppSessionTest::framePath(int number) const {
  return frameDir() + "/" + frameFileName(number);
}

::testing::AssertionResult AppSessionTest::createFrameDir() {
  if (mkdir(frameDir().c_str(), 0755) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "mkdir " << frameDir() << ": " << std::strerror(errno);
}

::testing::AssertionResult AppSessionTest::waitFrame(int number, TgaImage& image, long bytes) {
  if (!waitForFile(framePath(number), bytes)) {
    return ::testing::AssertionFailure()
           << frameFileName(number) << " of " << bytes << " bytes did not appear; size "
           << fileSize(framePath(number)) << ", files: "
           << ::testing::PrintToString(listFiles(frameDir()));
  }
  std::string error;
  if (!readTga(framePath(number), image, error)) return ::testing::AssertionFailure() << error;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult AppSessionTest::keyRecords(KeySym keysym, int number,
                                                      TgaImage& image, long bytes) {
  focusWindow(server.display, window);
  if (!typeKey(server.display, keysym)) {
    return ::testing::AssertionFailure() << "no key code for keysym " << keysym;
  }
  return waitFrame(number, image, bytes);
}

::testing::AssertionResult AppSessionTest::settledFrame(int fromNumber, int& number,
                                                        TgaImage& image, long bytes) {
  // X delivers the a after every earlier event, so the first frame with axes shows them all.
  focusWindow(server.display, window);
  typeKey(server.display, XK_a);
  int marker = fromNumber;
  for (;; ++marker) {
    const ::testing::AssertionResult got = waitFrame(marker, image, bytes);
    if (!got) {
      return ::testing::AssertionFailure() << "looking for the frame with axes: " << got.message();
    }
    if (frameShowsAxes(image)) break;
  }
  // Only the second a can be pending now, so the next frame is the same state without axes.
  focusWindow(server.display, window);
  typeKey(server.display, XK_a);
  number = marker + 1;
  const ::testing::AssertionResult got = waitFrame(number, image, bytes);
  if (!got) return got;
  if (frameShowsAxes(image)) {
    return ::testing::AssertionFailure() << frameFileName(number) << " still shows the axes";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult AppSessionTest::launchRecording(const std::string& binary,
                                                           const std::string& atlas,
                                                           TgaImage& first) {
  if (!copyFile(atlas, path("cubemap.png"))) {
    return ::testing::AssertionFailure() << "cannot copy " << atlas;
  }
  const ::testing::AssertionResult made = createFrameDir();
  if (!made) return made;
  const ::testing::AssertionResult launched = launch(binary);
  if (!launched) return launched;
  return keyRecords(XK_s, 0, first);
}

void AppSessionTest::drag(int button, int fromX, int fromY, int toX, int toY, int steps) {
  movePointer(server.display, window, fromX, fromY);
  pressButton(server.display, button);
  for (int i = 1; i <= steps; ++i) {
    movePointer(server.display, window, fromX + (toX - fromX) * i / steps,
                fromY + (toY - fromY) * i / steps);
  }
  releaseButton(server.display, button);
}

bool typeKeyWith(Display* display, KeySym modifier, KeySym keysym) {
  const KeyCode code = XKeysymToKeycode(display, keysym);
  const KeyCode modifierCode = XKeysymToKeycode(display, modifier);
  if (code == 0 || modifierCode == 0) return false;
  XTestFakeKeyEvent(display, modifierCode, True, CurrentTime);
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
  XTestFakeKeyEvent(display, modifierCode, False, CurrentTime);
  XSync(display, False);
  return true;
}

bool waitUntilGone(Display* display, Window window, int timeoutMs) {
  const Clock::time_point deadline = deadlineAfter(timeoutMs);
  do {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return true;
    sleepMs(20);
  } while (Clock::now() < deadline);
  return false;
}

bool waitForFileContents(const std::string& path, const std::string& expected, int timeoutMs) {
  const Clock::time_point deadline = deadlineAfter(timeoutMs);
  do {
    if (readTextFile(path) == expected) return true;
    sleepMs(20);
  } while (Clock::now() < deadline);
  return false;
}

}  // namespace e2e
