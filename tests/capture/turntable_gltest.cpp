// The turntable on the real window, in process: frame k is drawn at pose k, the camera after
// the turn is the camera before it bit for bit, and a key during the turn cancels it,
// leaving no file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/shell.h"
#include "app/state.h"
#include "capture/frames.h"
#include "capture/recorder.h"
#include "support/gl_window.h"
#include "support/video_probe.h"
#include "support/viewer_gl_test.h"
#include "support/x_session.h"

namespace {

const float kEye[3] = {0.3f, 0.4f, 0.9f}, kCenter[3] = {0.02f, -0.05f, 0.0f}, kUp[3] = {0.0f, 1.0f, -0.2f};

class TurntableGlTest : public support::ViewerGlTest {
 protected:
  void SetUp() override {
    ViewerGlTest::SetUp();
    support::setCamera(kEye, kCenter, kUp);
    before = support::saveViewerGlobals();
  }
  support::ViewerGlobals before{};
};

TEST_F(TurntableGlTest, EachFrameTakesItsPoseAndTheCameraComesBackBitForBit) {
  const std::string path = glScratchDirectory() + "/turn.mp4";
  ::testing::internal::CaptureStdout();
  ASSERT_TRUE(startTurntable(path.c_str(), 8, kVideoFps));
  for (int k = 0; k < 8; ++k) {
    float eye[3], up[3];
    turntablePose(kEye, kCenter, kUp, k, 8, eye, up);
    drawTurntableFrame();
    // The last frame's pose is gone at once: the camera is put back when the file is done.
    if (k < 7) {
      EXPECT_TRUE(std::memcmp(cameraEye, eye, sizeof eye) == 0 && std::memcmp(cameraUp, up, sizeof up) == 0) << k;
    }
  }
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "recorded " + path + "\n");
  EXPECT_TRUE(support::cameraUnchangedSince(before));
  EXPECT_EQ(support::probeVideo(path)["nb_read_frames"], "8");
  std::remove(path.c_str());
}

TEST_F(TurntableGlTest, AKeyDuringTheTurnCancelsItAndLeavesNoFile) {
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(startTurntable(nullptr, 8, kVideoFps));
  drawTurntableFrame();
  drawTurntableFrame();
  keyboard('a', 0, 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "turntable000.mp4: turntable cancelled, nothing written\n");
  EXPECT_EQ(turntableFrame, -1);
  EXPECT_FALSE(showAxes) << "the key did nothing else";
  EXPECT_TRUE(support::cameraUnchangedSince(before));
  EXPECT_TRUE(e2e::listFiles(glScratchDirectory()).empty());
}

}  // namespace
