// Six flat faces converted by the real patchlume-atlas, shown by the real viewer, then turned
// and reloaded with e, then a broken file reloaded: the mirror keeps what it showed.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/atlas.h"
#include "support/x_session.h"

namespace {

using support::kFlatFaceColours;

class CubemapE2eTest : public e2e::AppSessionTest {
 protected:
  // Six 16 by 16 faces, each in its flat colour, converted into cubemap.png with the extra
  // options. The converter takes the faces as +X -X +Y -Y +Z -Z.
  void convert(const std::string& options) {
    const CubeFace order[6] = {kFacePlusX, kFaceMinusX, kFacePlusY, kFaceMinusY, kFacePlusZ, kFaceMinusZ};
    std::string faces;
    for (int f = 0; f < 6; ++f) {
      const support::Rgb c = kFlatFaceColours[order[f]];
      const int channels[3] = {c.r, c.g, c.b};
      std::vector<unsigned char> rgb(3 * 16 * 16);
      for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>(channels[i % 3]);
      const std::string name = "face" + std::to_string(f) + ".png";
      ASSERT_EQ(lodepng::encode(path(name), rgb, 16, 16, LCT_RGB), 0u);
      faces += name + " ";
    }
    const std::string line = "cd '" + workDir + "' && '" PATCHLUME_ATLAS_BINARY "' --size 64 " +
                             options + " " + faces + "cubemap.png";
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

TEST_F(CubemapE2eTest, ConvertedFacesShowAndReloadWithE) {
  convert("");
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  ASSERT_TRUE(keyRecords(XK_s, 0, frame));
  // Facing the mirror, +Z straight ahead in the middle, -X (to your right) on the left.
  expectMirror(kFacePlusZ, kFaceMinusX, kFacePlusX);
  // Turned by 90 degrees, what was at -X is ahead, and +Z on the mirror's right.
  convert("--yaw 90");
  key(XK_e);
  expectMirror(kFaceMinusX, kFaceMinusZ, kFacePlusZ);
  // A broken file changes nothing on the screen.
  std::ofstream(path("cubemap.png")) << "not a PNG";
  key(XK_e, true);
  expectMirror(kFaceMinusX, kFaceMinusZ, kFacePlusZ);
  int status = 0;
  ASSERT_TRUE(quit(status));
  EXPECT_EQ(e2e::readTextFile(path("stdout.txt")),
            "width: 256 height: 192\nwidth: 256 height: 192\nCouldn't open file\n"
            "cubemap.png not loaded: the environment stays as it was\n");
}
