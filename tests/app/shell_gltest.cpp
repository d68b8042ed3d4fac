// The keyboard table and the redraws it asks for, on the real GLUT window.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/shell.h"
#include "app/window.h"
#include "app/state.h"
#include "support/gl_window.h"
#include "support/viewer_state.h"

namespace {

class ShellGl : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureGlWindow();
    axes_ = showAxes;
    recording_ = recording;
    counter_ = frameCounter;
    showAxes = false;
    recording = false;
  }
  void TearDown() override {
    glutDisplayFunc(display);
    showAxes = axes_;
    recording = recording_;
    frameCounter = counter_;
  }

 private:
  bool axes_ = false, recording_ = false;
  int counter_ = 0;
};

}  // namespace

TEST_F(ShellGl, LetterKeysToggleTheirFlagIndependently) {
  // a and A flip the axes, wherever the mouse is
  keyboard('a', 0, 0);
  EXPECT_TRUE(showAxes);
  EXPECT_FALSE(recording);
  keyboard('A', -5000, 123456);
  EXPECT_FALSE(showAxes);
  keyboard('A', 799, 799);
  EXPECT_TRUE(showAxes);
  keyboard('a', 400, 400);
  EXPECT_FALSE(showAxes);

  // s and S flip recording, the axes stay as they are
  showAxes = true;
  keyboard('s', 10, 20);
  EXPECT_TRUE(recording);
  EXPECT_TRUE(showAxes);
  keyboard('S', 10, 20);
  EXPECT_FALSE(recording);
  keyboard('S', -1, -1);
  EXPECT_TRUE(recording);
  keyboard('s', 0, 0);
  EXPECT_FALSE(recording);
  EXPECT_TRUE(showAxes);
}

TEST_F(ShellGl, EveryOtherKeyChangesNothing) {
  showAxes = true;
  for (int code = 0; code < 256; ++code) {
    // Commands: Escape, the flags, the kept-file, history and analysis keys, tested on their own.
    if (std::strchr("aAsSwWoOuUrRzZxX[]\x19\x1a\x1b", code) != nullptr && code != 0) continue;
    // everything a key could conceivably change
    const support::ViewerGlobals before = support::saveViewerGlobals();
    keyboard(static_cast<unsigned char>(code), code * 3, -code);
    EXPECT_TRUE(support::sameViewerGlobals(support::saveViewerGlobals(), before)) << "key code " << code;
  }
}

TEST_F(ShellGl, EveryKeyButEscapePostsOneRedisplay) {
  glutDisplayFunc(countingDisplay);
  // nothing pending: serving events asks for no redraw on its own
  const int idle = postedRedisplays();
  pumpGlEvents();
  EXPECT_EQ(postedRedisplays(), idle);

  // a key without a command, and each command key, asks for exactly one
  for (const unsigned char key : {'x', '1', ' ', 'a', 'A', 's', 'S'}) {
    const int before = postedRedisplays();
    keyboard(key, 0, 0);
    EXPECT_EQ(postedRedisplays() - before, 1) << "key '" << key << "'";
  }
  EXPECT_FALSE(showAxes);
  EXPECT_FALSE(recording);
  // and the request is served
  EXPECT_TRUE(nextFrameDrawn());
}

TEST_F(ShellGl, EscapeExitsWithStatusZeroEvenWhileRecording) {
  // A separate process started afresh: forking one that holds a GL context is not safe.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(keyboard(27, 0, 0), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        recording = true;
        keyboard(27, 400, 400);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(ShellGl, RecordingKeyWritesTheFirstFrameAtOnce) {
  ASSERT_TRUE(setGlWindowSize(800, 800));
  char dirTemplate[] = "/tmp/patchlume-keys-XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  const std::string previous = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(dirTemplate), 0);
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  frameCounter = 0;
  glutDisplayFunc(countingViewerDisplay);

  // s switches recording on and its redraw saves frame000 straight away; nothing else is
  // pumped until S, so no second redraw can record in between
  keyboard('s', 0, 0);
  const bool drawn = nextFrameDrawn();
  const bool first = std::filesystem::exists("screenshots/frame000.tga");
  std::error_code noFile;
  const auto firstSize = std::filesystem::file_size("screenshots/frame000.tga", noFile);
  const int counterAfterFirst = frameCounter;

  // S switches it off before the next pass: nothing more is written
  keyboard('S', 0, 0);
  const bool redrawn = nextFrameDrawn();
  const bool second = std::filesystem::exists("screenshots/frame001.tga");

  ASSERT_EQ(chdir(previous.c_str()), 0);
  std::filesystem::remove_all(dirTemplate);
  EXPECT_TRUE(drawn);
  EXPECT_TRUE(redrawn);
  EXPECT_TRUE(first);
  EXPECT_EQ(firstSize, 18u + 800u * 800u * 3u) << noFile.message();
  EXPECT_EQ(counterAfterFirst, 1);
  EXPECT_FALSE(second);
  EXPECT_EQ(frameCounter, 1);
  EXPECT_FALSE(recording);
}

TEST_F(ShellGl, ReshapeLeavesTheViewportAlone) {
  const int width = windowWidth, height = windowHeight;
  glViewport(1, 2, 3, 4);
  reshape(640, 480);
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  reshape(width, height);
  EXPECT_EQ(viewport[0], 1);
  EXPECT_EQ(viewport[1], 2);
  EXPECT_EQ(viewport[2], 3);
  EXPECT_EQ(viewport[3], 4);
}

TEST_F(ShellGl, TheWindowHasADepthBuffer) {
  GLint depthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  EXPECT_GE(depthBits, 16);
  EXPECT_EQ(glutGet(GLUT_WINDOW_DEPTH_SIZE), depthBits);
}
