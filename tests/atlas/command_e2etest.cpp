// The real patchlume-atlas in a scratch directory: every input format, every failure, the
// exit statuses and that a failure leaves the output alone.
#include <ImfRgbaFile.h>
#include <gtest/gtest.h>
#include <lodepng.h>
#include <stb/stb_image_write.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "atlas/convert.h"
#include "support/x_session.h"

namespace {

// A small world of w by h, sRGB bytes: red rising to the right, green downwards, blue checks.
std::vector<unsigned char> worldRgb(int w, int h) {
  std::vector<unsigned char> rgb(3 * w * h);
  for (int i = 0; i < 3 * w * h; i += 3) {
    const int x = i / 3 % w, y = i / 3 / w;
    rgb[i] = x * 255 / (w - 1), rgb[i + 1] = y * 255 / (h - 1),
    rgb[i + 2] = (x / 8 + y / 8) % 2 ? 200 : 40;
  }
  return rgb;
}

class AtlasCommandTest : public ::testing::Test {
 protected:
  // The world at 128 by 64 as good.png, .jpg, .hdr and .exr, and at other sizes.
  void SetUp() override {
    dir = e2e::makeTempDir();
    ASSERT_FALSE(dir.empty());
    const int w = 128, h = 64;
    const std::vector<unsigned char> rgb = worldRgb(w, h);
    std::vector<float> linear(rgb.size());
    std::vector<Imf::Rgba> half(w * h);
    for (size_t i = 0; i < rgb.size(); ++i) linear[i] = srgbToLinear(rgb[i]);
    for (int i = 0; i < w * h; ++i)
      half[i] = Imf::Rgba(linear[3 * i], linear[3 * i + 1], linear[3 * i + 2]);
    ASSERT_EQ(lodepng::encode(at("good.png"), rgb, w, h, LCT_RGB), 0u);
    ASSERT_EQ(lodepng::encode(at("wide.png"), worldRgb(w + 2, h), w + 2, h, LCT_RGB), 0u);
    ASSERT_EQ(lodepng::encode(at("face.png"), worldRgb(16, 16), 16, 16, LCT_RGB), 0u);
    ASSERT_TRUE(stbi_write_jpg(at("good.jpg").c_str(), w, h, 3, rgb.data(), 97));
    ASSERT_TRUE(stbi_write_hdr(at("good.hdr").c_str(), w, h, 3, linear.data()));
    Imf::RgbaOutputFile exr(at("good.exr").c_str(), w, h, Imf::WRITE_RGB);
    exr.setFrameBuffer(half.data(), 1, w);
    exr.writePixels(h);
  }
  void TearDown() override { e2e::removeTree(dir); }
  std::string at(const std::string& name) const { return dir + "/" + name; }
  int shell(const std::string& command) {
    return std::system(("cd '" + dir + "' && " + command).c_str());
  }
  // Exit status of the command with those arguments; its output in out and err.
  int run(const std::string& args) {
    const int status = shell("'" PATCHLUME_ATLAS_BINARY "' " + args + " >out.txt 2>err.txt");
    out = e2e::readTextFile(at("out.txt")), err = e2e::readTextFile(at("err.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string dir, out, err;
};

}  // namespace

// The same world as PNG, JPEG, HDR and EXR, the last two behind a misleading name, gives
// the same atlas within each format's precision (all tone mapped alike by --exposure 0):
// HDR's shared exponent leaves a dim channel beside a bright one few mantissa bits.
TEST_F(AtlasCommandTest, EveryFormatGivesTheSameAtlas) {
  ASSERT_EQ(shell("cp good.hdr hdr.png && cp good.exr exr.jpg"), 0);
  const struct {
    const char* name;
    int tolerance;
  } cases[] = {{"good.png", 0}, {"good.jpg", 12}, {"hdr.png", 5}, {"exr.jpg", 1}};
  std::vector<unsigned char> reference;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(run(std::string("--exposure 0 --size 16 ") + c.name + " atlas.png"), 0) << err;
    std::vector<unsigned char> atlas;
    unsigned aw = 0, ah = 0;
    ASSERT_EQ(lodepng::decode(atlas, aw, ah, at("atlas.png"), LCT_RGB), 0u);
    ASSERT_EQ(aw * 10 + ah, 64u * 10 + 48);
    if (reference.empty()) reference = atlas;
    int worst = 0;
    for (size_t i = 0; i < atlas.size(); ++i)
      worst = std::max(worst, std::abs(atlas[i] - reference[i]));
    EXPECT_LE(worst, c.tolerance);
  }
}

TEST_F(AtlasCommandTest, FailuresNameTheFileAndLeaveTheOutputAlone) {
  // Two thirds of each good file, a directory and a file of no known format.
  ASSERT_EQ(shell("for f in png jpg hdr exr; do head -c $(($(stat -c %s good.$f) * 2 / 3)) good.$f "
                  ">cut.$f; done"
                  " && mkdir folder && echo junk >junk.png"),
            0);
  const struct {
    std::string args;
    int status;
    const char* says;
  } cases[] = {
      {"missing.png out.png", 1, "missing.png: No such file"},
      {"folder out.png", 1, "folder: not a regular file"},
      {"junk.png out.png", 1, "junk.png: not a PNG, JPEG"},
      {"cut.png out.png", 1, "cut.png: corrupt or truncated PNG"},
      {"cut.jpg out.png", 1, "cut.jpg: truncated JPEG"},
      {"cut.hdr out.png", 1, "cut.hdr: truncated Radiance HDR"},
      {"cut.exr out.png", 1, "cut.exr: corrupt or truncated OpenEXR"},
      {"wide.png out.png", 1, "wide.png: a panorama must be twice as wide"},
      {"face.png face.png face.png good.png face.png face.png out.png", 1,
       "good.png: faces must be square"},
      {"--size 8 good.png out.png", 1, "--size: must be a whole number from 16 to 4096"},
      {"good.png nowhere/out.png", 1, "nowhere/out.png: No such file"},
      {"good.png out.png extra.png", 2, "Usage: patchlume-atlas"},
      {"--bogus --size big good.png out.png", 2, "Usage: patchlume-atlas"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    ASSERT_EQ(shell("echo old >out.png"), 0);
    EXPECT_EQ(run(c.args), c.status);
    EXPECT_NE(err.find(c.says), std::string::npos) << err;
    if (c.status == 1) {
      EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    EXPECT_EQ(e2e::readTextFile(at("out.png")), "old\n");
    EXPECT_EQ(e2e::listFiles(dir).size(), 15u) << "no temporary left behind";
  }
  // Help and version on stdout, status 0; a converted file replaces the old one.
  EXPECT_EQ(run("--help"), 0);
  EXPECT_NE(out.find("a quarter of its width right of the middle is to your right (-X)"),
            std::string::npos);
  EXPECT_EQ(run("--version"), 0);
  EXPECT_EQ(out, "patchlume-atlas " PATCHLUME_VERSION "\n");
  EXPECT_EQ(run("-- good.exr out.png"), 0) << err;
  EXPECT_GT(e2e::fileSize(at("out.png")), 100);
}
