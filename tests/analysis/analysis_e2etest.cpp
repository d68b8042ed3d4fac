// Gaussian curvature on the real binary, in recorded frames: the hue of the start-up dome, a
// saddle and a plane, and the legend's range, which stays through a drag and follows =.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "support/recording_session.h"

namespace {

// Pixels of the patch's middle, every 10th within 130 of the camera view's centre, not of the hue.
int offHue(const e2e::TgaImage& frame, bool (*hue)(e2e::Rgb)) {
  int off = 0;
  for (int y = 70; y <= 330; y += 10)
    for (int x = 470; x <= 730; x += 10) off += !hue(frame.at(x, y));
  return off;
}

// Whether the window's top 58 rows, the last stored, are the same in both frames: the legend's
// card in the camera view, nothing but background in the top view.
bool sameLegend(const e2e::TgaImage& a, const e2e::TgaImage& b) {
  const std::size_t from = a.data.size() - 58 * 800 * 3;
  return std::equal(a.data.begin() + from, a.data.end(), b.data.begin() + from);
}

class AnalysisE2eTest : public e2e::RecordingSessionTest {};

TEST_F(AnalysisE2eTest, DomeRedSaddleBluePlaneWhiteAndTheRangeFollowsEquals) {
  e2e::TgaImage start, dragged, fitted;
  // Ends the program if one runs, starts it recording afresh on the net of z = c x y + h over
  // the start-up grid's x and y (bilinear, so the net reproduces it; with net false the
  // initial grid), and types z twice: frame 2 shows the Gaussian curvature.
  auto startGaussian = [this](bool net, double c, double h, e2e::TgaImage& frame) {
    int status = 0;
    if (app >= 0) { ASSERT_TRUE(quit(status)); }
    e2e::removeTree(frameDir());
    std::ofstream file;  // left closed for the initial grid, so that it writes nothing
    if (net) file.open(path("patch.net"));
    for (int i = 0; i < 16; ++i) {
      const double x = (i / 4 * 2 / 3.0 - 1) * 560, y = (1 - i % 4 * 2 / 3.0) * 560;
      file << x << " " << y << " " << c * x * y + h << "\n";
    }
    file.close();
    ASSERT_TRUE(startRecording(PATCHLUME_BINARY, frame));
    ASSERT_TRUE(keyRecords(XK_z, 1, frame) && keyRecords(XK_z, 2, frame));
  };
  startGaussian(false, 0, 0, start);
  EXPECT_EQ(offHue(start, [](e2e::Rgb p) { return p.r == 255 && p.g == p.b && p.g <= 204; }), 0) << "dome";
  drag(1, 153, 553, 120, 500);  // control point (1, 1) in the front view
  int number = 0;
  ASSERT_TRUE(settledFrame(3, number, dragged));
  EXPECT_TRUE(sameLegend(start, dragged)) << "the legend changed with the drag";
  ASSERT_TRUE(keyRecords(XK_equal, number + 1, fitted));
  EXPECT_FALSE(sameLegend(dragged, fitted)) << "= left the legend as it was";

  startGaussian(true, 400.0 / (560 * 560), 0, start);
  EXPECT_EQ(offHue(start, [](e2e::Rgb p) { return p.b == 255 && p.r == p.g && p.r <= 250; }), 0) << "saddle";
  // 200 units in front of the X axis the plane hides it: white even on the axis.
  startGaussian(true, 0, 200, start);
  ASSERT_TRUE(keyRecords(XK_a, 3, start));
  EXPECT_EQ(offHue(start, [](e2e::Rgb p) { return p == e2e::Rgb{255, 255, 255}; }), 0) << "plane";
}

}  // namespace
