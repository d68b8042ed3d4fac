#include "atlas/convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "cubemap_scene.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Direction of panorama point (u, v), both 0..1, as documented: +Z in the middle, -X a
// quarter right of it, +Y at the top.
void panoramaDirection(double u, double v, double d[3]) {
  const double lon = (u - 0.5) * 2 * kPi, lat = (0.5 - v) * kPi;
  d[0] = -std::sin(lon) * std::cos(lat), d[1] = std::sin(lat), d[2] = std::cos(lon) * std::cos(lat);
}

// A world whose sRGB colour tells the direction: 0.5 + 0.5 * (x, y, z) of the unit vector.
void directionColour(const double d[3], unsigned char rgb[3]) {
  const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  for (int k = 0; k < 3; ++k) rgb[k] = static_cast<unsigned char>(std::lround(127.5 + 127.5 * d[k] / len));
}

double srgbEncode(double v) {
  v = std::min(1.0, std::max(0.0, v));
  return 255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
}

std::vector<unsigned char> convertAll(const AtlasJob& job) {
  std::vector<unsigned char> atlas(36L * job.cell * job.cell, 7);
  convertAtlasRows(job, 0, 3 * job.cell, atlas.data());
  return atlas;
}

bool usedTexel(int px, int py, int cell) { return py / cell == 1 || px / cell == 1; }

}  // namespace

// Every texel holds the world along the direction the viewer's lookup maps to it (the
// scene's tested inverse of that lookup), for a panorama and for six faces, turned by yaw.
TEST(AtlasConvert, TexelsHoldTheDirectionTheViewerMapsToThem) {
  const int cell = 32, pw = 256, ph = 128, fs = 48;
  std::vector<unsigned char> pano(3 * pw * ph), faces(6 * 3 * fs * fs);
  double d[3];
  for (int j = 0; j < ph; ++j)
    for (int i = 0; i < pw; ++i)
      panoramaDirection((i + 0.5) / pw, (j + 0.5) / ph, d), directionColour(d, &pano[3 * (j * pw + i)]);
  // Face images are the atlas cells as the viewer reads them; (column, row) by input order.
  const int cells[6][2] = {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {3, 1}, {1, 1}};
  for (int f = 0; f < 6; ++f)
    for (int j = 0; j < fs; ++j)
      for (int i = 0; i < fs; ++i)
        atlasTexelDirection(cells[f][0] * fs + i, cells[f][1] * fs + j, 4 * fs, 3 * fs, d),
            directionColour(d, &faces[3 * ((f * fs + j) * fs + i)]);
  const struct { bool panorama; double yaw; } cases[] = {{true, 0}, {true, 90}, {true, -30}, {false, 0}, {false, 90}};
  for (const auto& c : cases) {
    AtlasJob job;
    job.panorama = c.panorama, job.cell = cell, job.yawDegrees = c.yaw;
    job.images[0] = {pw, ph, pano.data(), nullptr};
    for (int f = 0; !c.panorama && f < 6; ++f) job.images[f] = {fs, fs, &faces[3 * f * fs * fs], nullptr};
    const std::vector<unsigned char> atlas = convertAll(job);
    int worst = 0;
    for (int py = 0; py < 3 * cell; ++py) {
      for (int px = 0; px < 4 * cell; ++px) {
        const unsigned char* got = &atlas[3 * (py * 4 * cell + px)];
        if (!usedTexel(px, py, cell)) {
          // Black but for 2 texels beside a used cell, repeating its edge (the later copy,
          // from the same row, wins at a corner).
          const int hx = std::clamp(px, cell, 2 * cell - 1), vy = std::clamp(py, cell, 2 * cell - 1);
          const unsigned char black[3] = {0, 0, 0}, *want = std::abs(px - hx) <= 2 ? &atlas[3 * (py * 4 * cell + hx)]
                                                          : std::abs(py - vy) <= 2 ? &atlas[3 * (vy * 4 * cell + px)] : black;
          ASSERT_TRUE(std::equal(got, got + 3, want)) << px << ", " << py;
          continue;
        }
        // Turning the world by yaw shows at d what was at d turned back.
        atlasTexelDirection(px, py, 4 * cell, 3 * cell, d);
        const double y = c.yaw * kPi / 180, back[3] = {d[0] * std::cos(y) - d[2] * std::sin(y), d[1],
                                                       d[0] * std::sin(y) + d[2] * std::cos(y)};
        unsigned char want[3];
        directionColour(back, want);
        for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(got[k] - want[k]));
      }
    }
    EXPECT_LE(worst, 4) << (c.panorama ? "panorama" : "faces") << " at yaw " << c.yaw;
  }
}

// A smooth HDR panorama, brighter than white towards the sun, within 2/255 of the exact
// tone-mapped value at every texel centre.
TEST(AtlasConvert, HdrPanoramaMatchesTheToneMappedRadiance) {
  const int pw = 512, ph = 256, cell = 32;
  auto radiance = [](const double d[3], int k) {
    const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    return std::exp(2.5 * d[1] / len + 0.3 * k) * (1.2 + 0.6 * d[0] / len - 0.3 * d[2] / len);
  };
  std::vector<float> pano(3 * pw * ph);
  double d[3];
  for (int j = 0; j < ph; ++j)
    for (int i = 0; i < pw; ++i)
      for (int k = 0; k < 3; ++k)
        panoramaDirection((i + 0.5) / pw, (j + 0.5) / ph, d), pano[3 * (j * pw + i) + k] = radiance(d, k);
  AtlasJob job;
  job.cell = cell, job.toneMap = true, job.exposure = -1.5;
  job.images[0] = {pw, ph, nullptr, pano.data()};
  const std::vector<unsigned char> atlas = convertAll(job);
  int worst = 0;
  for (int py = 0; py < 3 * cell; ++py)
    for (int px = 0; px < 4 * cell; ++px)
      for (int k = 0; usedTexel(px, py, cell) && k < 3; ++k) {
        atlasTexelDirection(px, py, 4 * cell, 3 * cell, d);
        const double want = srgbEncode(toneCurve(static_cast<float>(radiance(d, k) * std::exp2(-1.5))));
        worst = std::max(worst, static_cast<int>(std::ceil(std::fabs(atlas[3 * (py * 4 * cell + px) + k] - want))));
      }
  EXPECT_LE(worst, 2);
}

// The atlas from make_cubemap's own panorama agrees with make_cubemap's atlas: mean gap at
// most 1/255, 96 % of all texels and 99.9 % of those away from the scene's hard edges within
// 4/255. At an edge any resampling of a raster blurs: the 3 to 4 % of texels on the checks' and
// grid lines' edges differ more. Every other texel of every other row is checked.
TEST(AtlasConvert, SceneRoundTripsThroughItsPanorama) {
  const int pw = 4096, ph = 2048, cell = 512, sw = 2 * cell, sh = 3 * cell / 2;
  std::vector<unsigned char> rgba(4L * pw * ph), pano(3L * pw * ph), want(3L * sw * sh), got(3L * sw * sh);
  renderPanorama(pw, ph, rgba.data());
  for (long i = 0; i < long(pw) * ph; ++i) std::copy(&rgba[4 * i], &rgba[4 * i + 3], &pano[3 * i]);
  AtlasJob job;
  job.cell = cell;
  job.images[0] = {pw, ph, pano.data(), nullptr};
  std::vector<unsigned char> atlas(36L * cell * cell);
  for (int y = 0; y < sh; ++y) {
    convertAtlasRows(job, 2 * y, 2 * y + 1, atlas.data());
    for (int x = 0; x < sw; ++x) {
      if (!usedTexel(2 * x, 2 * y, cell)) continue;
      renderAtlasTexel(2 * x, 2 * y, cell, &want[3 * (y * sw + x)]);
      std::copy_n(&atlas[3 * (4L * cell * 2 * y + 2 * x)], 3, &got[3 * (y * sw + x)]);
    }
  }
  auto gap = [](const unsigned char* p, const unsigned char* q) {
    return std::max({std::abs(p[0] - q[0]), std::abs(p[1] - q[1]), std::abs(p[2] - q[2])});
  };
  long texels = 0, close = 0, smooth = 0, within = 0;
  double gapSum = 0;
  for (int y = 1; y + 1 < sh; ++y) {
    for (int x = 1; x + 1 < sw; ++x) {
      const long i = 3 * (y * sw + x);
      if (!usedTexel(2 * x, 2 * y, cell)) continue;
      for (int k = 0; k < 3; ++k) gapSum += std::abs(got[i + k] - want[i + k]);
      ++texels, close += gap(&got[i], &want[i]) <= 4;
      // Smooth: the reference two texels away on each side is within 8/255 of this one.
      if (std::max({gap(&want[i], &want[i - 3]), gap(&want[i], &want[i + 3]), gap(&want[i], &want[i - 3 * sw]),
                    gap(&want[i], &want[i + 3 * sw])}) > 8) continue;
      ++smooth, within += gap(&got[i], &want[i]) <= 4;
    }
  }
  EXPECT_LE(gapSum / (3.0 * texels), 1.0);
  EXPECT_GE(close, 0.96 * texels);
  EXPECT_GE(smooth, 0.75 * texels);
  EXPECT_GE(within, 0.999 * smooth);
}

TEST(AtlasConvert, TransferAndToneCurves) {
  // sRGB: every byte survives decode and encode, and encoding rounds to the nearest byte.
  for (int b = 0; b < 256; ++b) EXPECT_EQ(linearToSrgb(srgbToLinear(static_cast<unsigned char>(b))), b);
  for (double v = 0; v <= 1.0; v += 1.0 / 4093) EXPECT_EQ(linearToSrgb(float(v)), std::lround(srgbEncode(float(v)))) << v;
  EXPECT_EQ(linearToSrgb(-1.0f), 0);
  EXPECT_EQ(linearToSrgb(2.0f), 255);
  // Tone curve: black stays black, the sun goes to white, the sky keeps its steps.
  EXPECT_EQ(toneCurve(0.0f), 0.0f);
  EXPECT_EQ(toneCurve(1e4f), 1.0f);
  EXPECT_LT(toneCurve(1.0f), toneCurve(2.0f));
  EXPECT_LT(toneCurve(2.0f), 1.0f);
  // Decoded HDR values: non-finite and negative ones become 0, huge ones the half maximum.
  float v[4] = {NAN, -1.0f, INFINITY, 0.25f};
  sanitiseLinear(v, 4);
  const float want[4] = {0.0f, 0.0f, 65504.0f, 0.25f};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], want[i]) << i;
}
