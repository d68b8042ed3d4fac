// The recordings' arithmetic without GL: frame timing against hand-computed times, picture
// fitting against a plain per-pixel copy, turntable poses against the closed-form rotation
// about Y in double, numbered names on a scratch directory. The PNG's bytes are read back
// end to end, against the TGA of the same frame.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/frames.h"
#include "support/x_session.h"

TEST(Frames, AFrameIsDueFromItsTimeOn) {
  const long long cases[][3] = {{-1, 30, 0},       {0, 30, 1},     {33333, 30, 1}, {33334, 30, 2},
                                {2000000, 30, 61}, {41666, 24, 1}, {41667, 24, 2}};  // us, fps, due
  for (const auto& c : cases) EXPECT_EQ(videoFramesDue(c[0], static_cast<int>(c[1])), c[2]) << c[0];
  // The timer wakes at a frame's time: it is due then, and not a microsecond before.
  for (long long k = 0; k < 3000; ++k) {
    ASSERT_EQ(videoFramesDue(videoFrameTimeUs(k, 30), 30), k + 1) << k;
    ASSERT_EQ(videoFramesDue(videoFrameTimeUs(k, 30) - 1, 30), k) << k;
  }
  EXPECT_EQ(evenVideoSize(801) + evenVideoSize(800), 1600);
}

TEST(Frames, APictureKeepsItsTopLeftCornerCroppedOrPaddedWithBlack) {
  const int sizes[][4] = {{3, 2, 3, 2}, {3, 2, 2, 3}, {3, 2, 4, 1}, {5, 7, 2, 2}};  // from w, h into w, h
  for (const auto& s : sizes) {
    std::vector<unsigned char> from(3 * s[0] * s[1]), to(3 * s[2] * s[3], 0x55);
    for (std::size_t i = 0; i < from.size(); ++i) from[i] = static_cast<unsigned char>(1 + i);  // all distinct
    fitPicture(from.data(), s[0], s[1], to.data(), s[2], s[3]);
    // Rows bottom first in both: row `top` from the top is row h - 1 - top in memory.
    for (int top = 0; top < s[3]; ++top)
      for (int x = 0; x < s[2]; ++x)
        for (int k = 0; k < 3; ++k) {
          const int want = x < s[0] && top < s[1] ? from[3 * ((s[1] - 1 - top) * s[0] + x) + k] : 0;
          ASSERT_EQ(to[3 * ((s[3] - 1 - top) * s[2] + x) + k], want) << s[2] << "x" << s[3] << " at " << x << "," << top;
        }
  }
}

TEST(Frames, TurntablePosesTurnAboutYThroughTheLookAtPoint) {
  const float eye[3] = {0.3f, 0.2f, 1.1f}, center[3] = {0.1f, -0.2f, 0.05f}, up[3] = {0.05f, 1.0f, 0.1f};
  for (int frame : {0, 1, 30, 61, 119}) {  // 119: 357 degrees, one step short of the start
    float gotEye[3], gotUp[3];
    turntablePose(eye, center, up, frame, 120, gotEye, gotUp);
    // Right-handed about +Y: x' = x cos + z sin, z' = z cos - x sin, y kept.
    const double a = frame * 3.0 * M_PI / 180.0, dx = eye[0] - center[0], dz = eye[2] - center[2];
    const double wantEye[3] = {center[0] + dx * cos(a) + dz * sin(a), eye[1], center[2] + dz * cos(a) - dx * sin(a)};
    const double wantUp[3] = {up[0] * cos(a) + up[2] * sin(a), up[1], up[2] * cos(a) - up[0] * sin(a)};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(k < 3 ? gotEye[k] : gotUp[k - 3], k < 3 ? wantEye[k] : wantUp[k - 3], 1e-6) << frame;
  }
}

TEST(Frames, TheFirstFreeNumberIsTakenAndNoneWhenAllAreUsed) {
  const std::string dir = e2e::makeTempDir(), pattern = dir + "/v%03d.mp4";
  ASSERT_EQ(symlink("nowhere", (dir + "/v001.mp4").c_str()), 0);  // dangling, still taken
  char name[4200], want[16];
  for (int i = 0; i < 999; ++i) {
    ASSERT_TRUE(firstFreeName(pattern.c_str(), name, sizeof name)) << i;
    std::snprintf(want, sizeof want, "/v%03d.mp4", i == 0 ? 0 : i + 1);
    ASSERT_EQ(name, dir + want);
    std::fclose(std::fopen(name, "w"));
  }
  EXPECT_FALSE(firstFreeName(pattern.c_str(), name, sizeof name));
  e2e::removeTree(dir);
}
