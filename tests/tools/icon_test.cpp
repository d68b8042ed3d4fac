// The icon's square and its area-averaged resampling.
#include "icon.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A white width x height picture with a grey rectangle [x0, x1) x [y0, y1).
std::vector<unsigned char> picture(int width, int height, int x0, int y0, int x1, int y1) {
  std::vector<unsigned char> rgb(3 * width * height, 255);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      for (int c = 0; c < 3; ++c) rgb[3 * (y * width + x) + c] = 100;
  return rgb;
}

}  // namespace

TEST(Icon, SquareAroundWhatIsNotBackground) {
  const struct {
    int width, height, x0, y0, x1, y1;
    bool found;
    int box[3];
  } cases[] = {
      {10, 8, 2, 3, 7, 5, true, {2, 2, 5}},   // wider than high: centred vertically
      {10, 8, 8, 1, 10, 8, true, {3, 1, 7}},  // at the right edge: kept inside
      {10, 8, 0, 2, 10, 6, true, {1, 0, 8}},  // as wide as the image: its shorter side
      {10, 8, 0, 0, 0, 0, false, {0, 0, 0}},  // all background
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1);
    const std::vector<unsigned char> rgb = picture(c.width, c.height, c.x0, c.y0, c.x1, c.y1);
    int box[3] = {0, 0, 0};
    ASSERT_EQ(findPictureSquare(rgb.data(), c.width, c.height, box), c.found);
    if (c.found) {
      EXPECT_EQ(std::vector<int>(box, box + 3), std::vector<int>(c.box, c.box + 3));
    }
  }
}

TEST(Icon, EveryPixelTheMeanOfTheAreaItCovers) {
  // 3 source pixels to 2: the middle one is shared half and half. Rows 0..2 of column 0 are
  // 0, 90 and 180; every other pixel is 255.
  std::vector<unsigned char> rgb(3 * 3 * 3, 255);
  for (int y = 0; y < 3; ++y)
    for (int c = 0; c < 3; ++c) rgb[3 * (y * 3) + c] = static_cast<unsigned char>(90 * y);
  const int box[3] = {0, 0, 3};
  unsigned char rgba[2 * 2 * 4];
  resampleSquare(rgb.data(), 3, box, 2, rgba);
  // Top-left covers 1.5 x 1.5 pixels: (0 + 0.5 * 90) from column 0 and half a column of 255s.
  const double topLeft = (1.0 * 0 + 0.5 * 90 + 0.5 * (255 + 0.5 * 255)) / 2.25;
  const double bottomLeft = (0.5 * 90 + 1.0 * 180 + 0.5 * (0.5 * 255 + 255)) / 2.25;
  EXPECT_EQ(rgba[0], static_cast<int>(topLeft + 0.5));
  EXPECT_EQ(rgba[4 * 2 + 2], static_cast<int>(bottomLeft + 0.5));
  EXPECT_EQ(rgba[4 * 1 + 1], 255);  // top-right, all white
  EXPECT_EQ(rgba[3], 255);          // opaque
}
