// The turntable on the real window, in process: each frame of the file shows its own pose
// (the test draws every pose itself and finds the nearest), the camera after the turn is the
// camera before it bit for bit, and a key during the turn cancels it, leaving no file.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/shell.h"
#include "app/state.h"
#include "capture/frames.h"
#include "capture/recorder.h"
#include "render/mirror.h"
#include "render/net.h"
#include "render/views.h"
#include "support/gl_window.h"
#include "support/video_reader.h"
#include "support/viewer_gl_test.h"
#include "support/x_session.h"

namespace {

constexpr int kFrames = 8;  // 45 degrees apart: poses far enough apart to tell
const float kEye[3] = {0.3f, 0.4f, 0.9f}, kCenter[3] = {0.02f, -0.05f, 0.0f}, kUp[3] = {0.0f, 1.0f, -0.2f};

// The display pass without its swap, so that the back buffer still holds the frame.
void drawFrame() {
  glEnable(GL_SCISSOR_TEST);
  for (int view = 0; view < kViewCount; ++view) {
    setupView(view);
    if (view == 3) {
      drawMirrorPatch();
    } else {
      drawControlNet();
    }
    drawAxes();
    if (view != 3) drawControlPoints();
  }
  glDisable(GL_SCISSOR_TEST);
}

// Mean absolute difference over the camera view (the top-right quadrant) of a decoded frame
// (top row first) and a drawn picture (bottom row first).
double cameraViewDifference(const support::VideoContents& video, int frame,
                            const std::vector<unsigned char>& drawn) {
  long long sum = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 400; x < 800; ++x) {
      const support::Rgb got = video.at(frame, x, y);
      const unsigned char* want = &drawn[3 * ((799 - y) * 800 + x)];
      sum += std::abs(got.r - want[0]) + std::abs(got.g - want[1]) + std::abs(got.b - want[2]);
    }
  return sum / (400.0 * 400.0 * 3.0);
}

class TurntableGlTest : public support::ViewerGlTest {
 protected:
  void SetUp() override {
    ViewerGlTest::SetUp();
    support::setCamera(kEye, kCenter, kUp);
    before = support::saveViewerGlobals();
  }
  void TearDown() override {
    cancelTurntable();
    ViewerGlTest::TearDown();
  }
  support::ViewerGlobals before{};
};

TEST_F(TurntableGlTest, EachFrameShowsItsPoseAndTheCameraComesBackBitForBit) {
  std::vector<std::vector<unsigned char>> poses;
  for (int k = 0; k < kFrames; ++k) {
    turntablePose(kEye, kCenter, kUp, k, kFrames, cameraEye, cameraUp);
    drawFrame();
    poses.push_back(readBackRgb(0, 0, 800, 800));
  }
  support::setCamera(kEye, kCenter, kUp);

  const std::string path = glScratchDirectory() + "/turn.mp4";
  ::testing::internal::CaptureStdout();
  ASSERT_TRUE(startTurntable(path.c_str(), kFrames, kVideoFps));
  for (int step = 0; step < kFrames && turntableFrame >= 0; ++step) drawTurntableFrame();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "recorded " + path + "\n");
  EXPECT_EQ(turntableFrame, -1);
  EXPECT_TRUE(support::cameraUnchangedSince(before));

  support::VideoContents video;
  std::string error;
  ASSERT_TRUE(support::readVideo(path, video, error, true)) << error;
  std::remove(path.c_str());
  ASSERT_EQ(static_cast<int>(video.pictures.size()), kFrames);
  for (int frame = 0; frame < kFrames; ++frame) {
    int nearest = 0;
    for (int k = 1; k < kFrames; ++k)
      if (cameraViewDifference(video, frame, poses[k]) < cameraViewDifference(video, frame, poses[nearest])) nearest = k;
    EXPECT_EQ(nearest, frame);
  }
}

TEST_F(TurntableGlTest, AKeyDuringTheTurnCancelsItAndLeavesNoFile) {
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(startTurntable(nullptr, kFrames, kVideoFps));
  drawTurntableFrame();
  drawTurntableFrame();
  EXPECT_FALSE(support::cameraUnchangedSince(before));
  keyboard('a', 0, 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "turntable000.mp4: turntable cancelled, nothing written\n");
  EXPECT_EQ(turntableFrame, -1);
  EXPECT_FALSE(showAxes);  // the key did nothing else
  EXPECT_TRUE(support::cameraUnchangedSince(before));
  EXPECT_TRUE(e2e::listFiles(glScratchDirectory()).empty());
}

}  // namespace
