// Gaussian curvature on the real binary, in recorded frames: the hue of the start-up dome, a
// saddle and a plane, and the legend's range, which stays through a drag and follows =.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/recording_session.h"

namespace {

using e2e::TgaImage;

// The start-up grid's x and y with z = c x y + h, which a net reproduces exactly: bilinear.
std::string bilinearNet(double c, double h) {
  std::string net;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      const double x = (2 * i / 3.0 - 1) * 560, y = (1 - 2 * j / 3.0) * 560;
      char line[96];
      std::snprintf(line, sizeof line, "%.17g %.17g %.17g\n", x, y, c * x * y + h);
      net += line;
    }
  return net;
}

// Whether the pixels from (x0, y0) to (x1, y1), exclusive, of two frames are the same.
bool sameRegion(const TgaImage& a, const TgaImage& b, int x0, int y0, int x1, int y1) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (a.at(x, y) != b.at(x, y)) return false;
  return true;
}

class AnalysisE2eTest : public e2e::RecordingSessionTest {
 protected:
  // Starts the program on net (the initial grid when empty), recording afresh, and types z
  // twice: frame 2 shows the Gaussian curvature.
  void startGaussian(const std::string& net, TgaImage& frame) {
    e2e::removeTree(frameDir());
    std::remove(path("patch.net").c_str());
    if (!net.empty()) {
      FILE* file = std::fopen(path("patch.net").c_str(), "w");
      ASSERT_NE(file, nullptr);
      std::fputs(net.c_str(), file);
      std::fclose(file);
    }
    ASSERT_TRUE(startRecording(PATCHLUME_BINARY, frame));
    ASSERT_TRUE(keyRecords(XK_z, 1, frame));
    ASSERT_TRUE(keyRecords(XK_z, 2, frame));
  }

  // Whether the patch's middle, every 10th pixel within 130 of the camera view's centre, has
  // one hue: `full` channel(s) at 255 and the two others equal, at most `most`.
  void expectHue(const TgaImage& frame, bool redFull, bool blueFull, int most, const char* what) {
    int wrong = 0;
    for (int y = 70; y <= 330; y += 10)
      for (int x = 470; x <= 730; x += 10) {
        const e2e::Rgb p = frame.at(x, y);
        const bool ok = (redFull ? p.r == 255 && p.g == p.b && p.g <= most : true) &&
                        (blueFull ? p.b == 255 && p.r == p.g && p.r <= most : true);
        if (!ok && ++wrong <= 3) ADD_FAILURE() << what << ": (" << x << ", " << y << ") is " << p.r << "," << p.g << "," << p.b;
      }
    EXPECT_EQ(wrong, 0) << what;
  }
};

TEST_F(AnalysisE2eTest, SaddleIsBlueAndPlaneWhite) {
  TgaImage frame;
  startGaussian(bilinearNet(400.0 / (560 * 560), 0.0), frame);
  expectHue(frame, false, true, 250, "saddle");
  int status = 0;
  ASSERT_TRUE(quit(status));

  // The plane 200 units in front of the X axis hides it: white where the axis would be red.
  startGaussian(bilinearNet(0.0, 200.0), frame);
  expectHue(frame, true, true, 255, "plane");
  ASSERT_TRUE(keyRecords(XK_a, 3, frame));
  for (int x = 602; x < 700; x += 7) EXPECT_TRUE(e2e::pixelNear(frame, x, 200, {255, 255, 255}, 0)) << "axis at " << x;
}

TEST_F(AnalysisE2eTest, DomeIsRedAndItsRangeStaysThroughADragUntilEquals) {
  TgaImage start, dragged, fitted, fresh;
  startGaussian("", start);
  expectHue(start, true, false, 204, "dome");
  drag(1, 153, 553, 120, 500);  // control point (1, 1) in the front view
  int number = 0;
  ASSERT_TRUE(settledFrame(3, number, dragged));
  // The legend: the card in the camera view's top-left corner, above the patch.
  EXPECT_FALSE(sameRegion(start, dragged, 400, 60, 800, 400)) << "the drag changed nothing";
  EXPECT_TRUE(sameRegion(start, dragged, 400, 0, 700, 58)) << "the legend changed with the drag";
  ASSERT_TRUE(keyRecords(XK_equal, number + 1, fitted));
  EXPECT_FALSE(sameRegion(start, fitted, 400, 0, 700, 58)) << "= left the legend as it was";
  key(XK_w);
  int status = 0;
  ASSERT_TRUE(quit(status));
  // A start on the saved net fits the range anew: the same picture as = gave.
  startGaussian(e2e::readTextFile(path("patch.net")), fresh);
  EXPECT_TRUE(sameRegion(fitted, fresh, 400, 0, 800, 400));
}

}  // namespace
