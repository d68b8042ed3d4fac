// The recordings' arithmetic without GL: frame timing against hand-computed times, picture
// fitting against a plain per-pixel copy, turntable poses against the closed-form rotation
// about Y in double, numbered names on a scratch directory, PNG bytes read back by LodePNG.
#include <gtest/gtest.h>

#include <lodepng.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/frames.h"
#include "support/x_session.h"

TEST(Frames, AFrameIsDueFromItsTimeOnAndTheVideoCoversTheRecording) {
  const struct {
    long long elapsedUs;
    int fps;
    long long due;
  } cases[] = {
      {-1, 30, 0},        {0, 30, 1},         {33333, 30, 1},  // frame 1 at 33,333.3 us
      {33334, 30, 2},     {1000000, 30, 31},  {2000000, 30, 61},
      {41666, 24, 1},     {41667, 24, 2},     {999999, 1, 1},  {1000000, 1, 2},
  };
  for (const auto& c : cases) EXPECT_EQ(videoFramesDue(c.elapsedUs, c.fps), c.due) << c.elapsedUs;
  EXPECT_EQ(videoFrameTimeUs(0, 30), 0);
  EXPECT_EQ(videoFrameTimeUs(1, 30), 33334);
  EXPECT_EQ(videoFrameTimeUs(3, 30), 100000);
  EXPECT_EQ(videoFrameTimeUs(1, 24), 41667);
  for (int fps : {24, 30, 60}) {
    for (long long k = 0; k < 2000; ++k) {
      // The timer wakes at a frame's time: it is due then and not a microsecond before.
      ASSERT_EQ(videoFramesDue(videoFrameTimeUs(k, fps), fps), k + 1) << k;
      if (k > 0) {
        ASSERT_EQ(videoFramesDue(videoFrameTimeUs(k, fps) - 1, fps), k) << k;
      }
    }
    // Frames due at the stop cover the recording, overshooting by less than a frame.
    for (long long us = 0; us < 5000000; us += 7919) {
      const double seconds = static_cast<double>(videoFramesDue(us, fps)) / fps;
      ASSERT_GT(seconds, us / 1e6);
      ASSERT_LE(seconds, us / 1e6 + 1.0 / fps + 1e-12);
    }
  }
  EXPECT_EQ(evenVideoSize(800), 800);
  EXPECT_EQ(evenVideoSize(801), 800);
  EXPECT_EQ(evenVideoSize(1), 0);
}

TEST(Frames, APictureKeepsItsTopLeftCornerCroppedOrPaddedWithBlack) {
  // Every pixel of a picture unique, rows bottom first as GL reads them.
  const auto picture = [](int w, int h) {
    std::vector<unsigned char> rgb(3 * w * h);
    for (int i = 0; i < w * h; ++i) rgb[3 * i] = 1 + i, rgb[3 * i + 1] = 100 + i, rgb[3 * i + 2] = 200 - i;
    return rgb;
  };
  const struct {
    int w, h, frameW, frameH;
  } cases[] = {{3, 2, 3, 2}, {3, 2, 2, 3}, {3, 2, 4, 1}, {5, 7, 2, 2}, {2, 2, 6, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << " into " << c.frameW << "x" << c.frameH);
    const std::vector<unsigned char> from = picture(c.w, c.h);
    std::vector<unsigned char> to(3 * c.frameW * c.frameH, 0x55);
    fitPicture(from.data(), c.w, c.h, to.data(), c.frameW, c.frameH);
    for (int top = 0; top < c.frameH; ++top)
      for (int x = 0; x < c.frameW; ++x)
        for (int k = 0; k < 3; ++k) {
          const bool inside = x < c.w && top < c.h;
          const int want = inside ? from[3 * ((c.h - 1 - top) * c.w + x) + k] : 0;
          ASSERT_EQ(to[3 * ((c.frameH - 1 - top) * c.frameW + x) + k], want) << x << "," << top;
        }
  }
}

TEST(Frames, TurntablePosesTurnAboutYThroughTheLookAtPoint) {
  const float eye[3] = {0.3f, 0.2f, 1.1f}, center[3] = {0.1f, -0.2f, 0.05f}, up[3] = {0.05f, 1.0f, 0.1f};
  for (int frame : {0, 1, 30, 60, 61, 119}) {
    float gotEye[3], gotUp[3];
    turntablePose(eye, center, up, frame, 120, gotEye, gotUp);
    // Right-handed about +Y: x' = x cos + z sin, z' = z cos - x sin, y kept.
    const double a = frame * 3.0 * M_PI / 180.0;
    const double dx = eye[0] - center[0], dz = eye[2] - center[2];
    const double wantEye[3] = {center[0] + dx * cos(a) + dz * sin(a), eye[1],
                               center[2] + dz * cos(a) - dx * sin(a)};
    const double wantUp[3] = {up[0] * cos(a) + up[2] * sin(a), up[1], up[2] * cos(a) - up[0] * sin(a)};
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(gotEye[k], wantEye[k], 1e-6) << frame << " eye " << k;
      EXPECT_NEAR(gotUp[k], wantUp[k], 1e-6) << frame << " up " << k;
    }
  }
  // A quarter of a four-frame turn carries an eye on +Z to +X, exactly as far away.
  const float onZ[3] = {0.0f, 0.0f, 2.0f}, origin[3] = {0.0f, 0.0f, 0.0f}, y[3] = {0.0f, 1.0f, 0.0f};
  float quarter[3], quarterUp[3];
  turntablePose(onZ, origin, y, 1, 4, quarter, quarterUp);
  EXPECT_NEAR(quarter[0], 2.0f, 1e-6);
  EXPECT_NEAR(quarter[2], 0.0f, 1e-6);
  EXPECT_NEAR(quarterUp[1], 1.0f, 1e-7);
}

TEST(Frames, TheFirstFreeNumberIsTakenAndNoneWhenAllAreUsed) {
  const std::string dir = e2e::makeTempDir();
  const std::string pattern = dir + "/v%03d.mp4";
  char name[4200];
  const auto touch = [&](const char* file) { std::fclose(std::fopen((dir + "/" + file).c_str(), "w")); };
  ASSERT_TRUE(firstFreeName(pattern.c_str(), name, sizeof name));
  EXPECT_EQ(name, dir + "/v000.mp4");
  touch("v000.mp4");
  touch("v001.mp4");
  ASSERT_EQ(symlink("nowhere", (dir + "/v002.mp4").c_str()), 0);  // dangling, still taken
  ASSERT_TRUE(firstFreeName(pattern.c_str(), name, sizeof name));
  EXPECT_EQ(name, dir + "/v003.mp4");
  std::remove((dir + "/v001.mp4").c_str());
  ASSERT_TRUE(firstFreeName(pattern.c_str(), name, sizeof name));
  EXPECT_EQ(name, dir + "/v001.mp4");
  EXPECT_FALSE(firstFreeName(pattern.c_str(), name, 8));  // does not fit
  for (int i = 1; i < 1000; ++i) {
    char file[16];
    std::snprintf(file, sizeof file, "v%03d.mp4", i);
    if (i != 2) touch(file);
  }
  EXPECT_FALSE(firstFreeName(pattern.c_str(), name, sizeof name));
  e2e::removeTree(dir);
}

TEST(Frames, APngHoldsThePictureTopRowFirstInEightBitRgb) {
  // 3 by 2, bottom row first: bottom (red, green, blue), top (white, black, grey).
  const unsigned char bottomFirst[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};
  unsigned char* png = nullptr;
  std::size_t size = 0;
  ASSERT_TRUE(encodePng(bottomFirst, 3, 2, &png, &size));
  unsigned width = 0, height = 0;
  LodePNGState state;
  lodepng_state_init(&state);
  ASSERT_EQ(lodepng_inspect(&width, &height, &state, png, size), 0u);
  EXPECT_EQ(state.info_png.color.colortype, LCT_RGB);
  EXPECT_EQ(state.info_png.color.bitdepth, 8u);
  lodepng_state_cleanup(&state);
  unsigned char* decoded = nullptr;
  ASSERT_EQ(lodepng_decode24(&decoded, &width, &height, png, size), 0u);
  const std::vector<unsigned char> topFirst(decoded, decoded + 18);
  EXPECT_EQ(topFirst, (std::vector<unsigned char>{255, 255, 255, 0, 0, 0, 128, 128, 128, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
  std::free(decoded);
  std::free(png);
}
