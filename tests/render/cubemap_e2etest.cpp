// A panorama converted by the real patchlume-atlas, shown by the real viewer, then turned
// and reloaded with e, then a broken file reloaded: the mirror keeps what it showed.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/atlas.h"
#include "support/x_session.h"

namespace {

using support::kFlatFaceColours;

class CubemapE2eTest : public e2e::AppSessionTest {
 protected:
  // A 256 x 128 panorama in which each axis direction's region has its face's flat colour,
  // converted into cubemap.png with the extra options.
  void convert(const std::string& options) {
    const int w = 256, h = 128;
    std::vector<unsigned char> rgb;
    for (int p = 0; p < w * h; ++p) {
      const double lon = ((p % w + 0.5) / w - 0.5) * 2 * M_PI,
                   lat = (0.5 - (p / w + 0.5) / h) * M_PI;
      const double d[3] = {-std::sin(lon) * std::cos(lat), std::sin(lat),
                           std::cos(lon) * std::cos(lat)};
      const int axis = std::fabs(d[0]) > std::fabs(d[1]) && std::fabs(d[0]) > std::fabs(d[2]) ? 0
                       : std::fabs(d[1]) > std::fabs(d[2])                                    ? 1
                                                                                              : 2;
      const support::Rgb c = kFlatFaceColours[2 * axis + (d[axis] > 0)];
      rgb.insert(rgb.end(), {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                             static_cast<unsigned char>(c.b)});
    }
    ASSERT_EQ(lodepng::encode(path("pano.png"), rgb, w, h, LCT_RGB), 0u);
    const std::string line = "cd '" + workDir + "' && '" PATCHLUME_ATLAS_BINARY "' --size 64 " +
                             options + " pano.png cubemap.png";
    ASSERT_EQ(std::system(line.c_str()), 0);
  }
  // The settled frame shows these faces' colours at the middle, left and right of the mirror.
  void expectMirror(int middle, int left, int right) {
    ASSERT_TRUE(settledFrame(next, next, frame));
    ++next;
    EXPECT_TRUE(e2e::pixelNear(frame, 600, 200, kFlatFaceColours[middle], 3));
    EXPECT_TRUE(e2e::pixelNear(frame, 500, 200, kFlatFaceColours[left], 3));
    EXPECT_TRUE(e2e::pixelNear(frame, 700, 200, kFlatFaceColours[right], 3));
  }
  e2e::TgaImage frame;
  int next = 1;
};

}  // namespace

TEST_F(CubemapE2eTest, ConvertedPanoramaShowsAndReloadsWithE) {
  convert("");
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  ASSERT_TRUE(keyRecords(XK_s, 0, frame));
  // Facing the mirror, +Z straight ahead in the middle, the panorama's right (-X) on the left.
  expectMirror(support::kPlusZ, support::kMinusX, support::kPlusX);
  // Turned by 90 degrees, what was at -X is ahead, and +Z on the mirror's right.
  convert("--yaw 90");
  key(XK_e);
  expectMirror(support::kMinusX, support::kMinusZ, support::kPlusZ);
  // A broken file changes nothing on the screen.
  FILE* f = std::fopen(path("cubemap.png").c_str(), "w");
  std::fputs("not a PNG", f);
  std::fclose(f);
  key(XK_e, true);
  expectMirror(support::kMinusX, support::kMinusZ, support::kPlusZ);
  int status = 0;
  ASSERT_TRUE(quit(status));
  EXPECT_EQ(e2e::readTextFile(path("stdout.txt")),
            "width: 256 height: 192\nwidth: 256 height: 192\nCouldn't open file\n"
            "cubemap.png not loaded: the environment stays as it was\n");
}
