// One GLUT window per test process, created lazily so that listing tests needs no display.
#include "support/gl_window.h"

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/shell.h"
#include "app/window.h"
#include "app/state.h"

namespace {
bool windowReady = false;
int redisplayRequests = 0;
int displaysCounted = 0;
std::string scratch;

// The scratch directory goes when the process ends; tests remove what they put in it.
void removeScratchDirectory() {
  if (!scratch.empty()) rmdir(scratch.c_str());
}
}  // namespace

void ensureGlWindow() {
  if (windowReady) return;
  const char* displayName = std::getenv("DISPLAY");
  ASSERT_TRUE(displayName != nullptr && *displayName != '\0') << "GL tests need an X display";
  char dirTemplate[] = "/tmp/patchlume-gl-XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  scratch = dirTemplate;
  std::atexit(removeScratchDirectory);
  ASSERT_EQ(chdir(dirTemplate), 0);
  int argc = 1;
  char name[] = "patchlume_gl_tests";
  char* argv[] = {name, nullptr};
  glutInit(&argc, argv);
  initScene();
  registerCallbacks();
  windowReady = true;
  ASSERT_TRUE(resizeGlWindow(800, 800));
}

void pumpGlEvents() {
  for (int i = 0; i < 5; ++i) glutMainLoopEvent();
}

bool resizeGlWindow(int width, int height) {
  glutReshapeWindow(width, height);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    glutMainLoopEvent();
    if (windowWidth == width && windowHeight == height && trackballRadius > 0.0) {
      pumpGlEvents();
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

std::vector<unsigned char> readBackRgb(int x, int y, int width, int height) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  return pixels;
}

void backPixel(int x, int y, unsigned char rgb[3]) {
  const std::vector<unsigned char> p = readBackRgb(x, y, 1, 1);
  rgb[0] = p[0];
  rgb[1] = p[1];
  rgb[2] = p[2];
}

const std::string& glScratchDirectory() { return scratch; }

bool setGlWindowSize(int width, int height) {
  pumpGlEvents();
  if (glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height) {
    reshape(width, height);
    return true;
  }
  return resizeGlWindow(width, height);
}

// The program's references to glutPostRedisplay bind to this definition at link time.
extern "C" void glutPostRedisplay() {
  using Function = void (*)();
  static const Function glutsOwn = reinterpret_cast<Function>(dlsym(RTLD_NEXT, "glutPostRedisplay"));
  ++redisplayRequests;
  glutsOwn();
}

int postedRedisplays() { return redisplayRequests; }

bool pumpGlEventsUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    glutMainLoopEvent();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void countingDisplay() { ++displaysCounted; }

void countingViewerDisplay() {
  display();
  ++displaysCounted;
}

bool nextFrameDrawn() {
  const int target = displaysCounted + 1;
  return pumpGlEventsUntil([target] { return displaysCounted >= target; });
}
