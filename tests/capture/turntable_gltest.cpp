// The turntable on the real window, in process: frame k is drawn at pose k, and after the
// turn the camera is the one before it, bit for bit.
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
#include "support/viewer_gl_fixture.h"

using TurntableGlTest = support::ViewerGlTest;

TEST_F(TurntableGlTest, EachFrameTakesItsPoseAndTheCameraComesBackBitForBit) {
  const float eye[3] = {0.3f, 0.4f, 0.9f}, center[3] = {0.02f, -0.05f, 0.0f}, up[3] = {0.0f, 1.0f, -0.2f};
  support::setCamera(eye, center, up);
  const support::ViewerGlobals before = support::saveViewerGlobals();
  const std::string path = glScratchDirectory() + "/turn.mp4";
  ::testing::internal::CaptureStdout();
  ASSERT_TRUE(startTurntable(path.c_str(), 8, kVideoFps));
  for (int k = 0; k < 8; ++k) {
    // Each display pass draws the frame posed before it, and poses the next.
    float poseEye[3], poseUp[3];
    turntablePose(eye, center, up, k, 8, poseEye, poseUp);
    EXPECT_TRUE(std::memcmp(cameraEye, poseEye, sizeof poseEye) == 0 && std::memcmp(cameraUp, poseUp, sizeof poseUp) == 0) << k;
    display();
  }
  EXPECT_EQ(turntableFrame, -1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "recorded " + path + "\n");
  EXPECT_TRUE(support::cameraUnchangedSince(before));
  EXPECT_EQ(support::probeVideo(path), "h264,800,800,yuv420p,30/1,30/1,8\n0.267000\n");
  std::remove(path.c_str());
}
