#include "atlas/convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "cubemap_scene.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
using World = std::function<double(const double d[3], int channel)>;  // d of unit length

// Direction of the centre of panorama pixel (i, j), as documented: +Z in the middle, -X a
// quarter right of it, +Y at the top.
void panoramaDirection(int i, int j, int w, int h, double d[3]) {
  const double lon = ((i + 0.5) / w - 0.5) * 2 * kPi, lat = (0.5 - (j + 0.5) / h) * kPi;
  d[0] = -std::sin(lon) * std::cos(lat), d[1] = std::sin(lat), d[2] = std::cos(lon) * std::cos(lat);
}

double srgbEncode(double v) {
  v = std::min(1.0, std::max(0.0, v));
  return 255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
}

bool usedTexel(int px, int py, int cell) {
  return py / cell == 1 || px / cell == 1;
}

// Converts the whole atlas; returns the largest gap from want over the used texels, each
// along the direction the viewer's lookup maps to it (the scene's tested inverse of that
// lookup), turned back by the yaw. Unused texels must be black but for 2 texels beside a
// used cell repeating its edge (the later copy, from the same row, wins at a corner).
double worstGap(const AtlasJob& job, const World& want) {
  const int cell = job.cell, w = 4 * cell;
  std::vector<unsigned char> atlas(36L * cell * cell, 7);
  convertAtlasRows(job, 0, 3 * cell, atlas.data());
  const double y = job.yawDegrees * kPi / 180, black[3] = {0, 0, 0};
  double worst = 0, d[3];
  for (int py = 0; py < 3 * cell; ++py) {
    for (int px = 0; px < w; ++px) {
      const unsigned char* got = &atlas[3 * (py * w + px)];
      const int hx = std::clamp(px, cell, 2 * cell - 1), vy = std::clamp(py, cell, 2 * cell - 1);
      for (int k = 0; k < 3 && !usedTexel(px, py, cell); ++k) {
        EXPECT_EQ(got[k], std::abs(px - hx) <= 2   ? atlas[3 * (py * w + hx) + k]
                          : std::abs(py - vy) <= 2 ? atlas[3 * (vy * w + px) + k]
                                                   : black[k])
            << px << ", " << py;
      }
      if (!usedTexel(px, py, cell)) continue;
      atlasTexelDirection(px, py, w, 3 * cell, d);
      const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
      const double back[3] = {(d[0] * std::cos(y) - d[2] * std::sin(y)) / len, d[1] / len,
                              (d[0] * std::sin(y) + d[2] * std::cos(y)) / len};
      for (int k = 0; k < 3; ++k) worst = std::max(worst, std::fabs(got[k] - want(back, k)));
    }
  }
  return worst;
}

}  // namespace

// A world whose sRGB colour tells the direction, and a smooth HDR world brighter than white
// above, as a panorama and as six faces, turned by yaw: every texel within a few 255ths of
// the world along its direction, exactly tone mapped for the HDR one. And a panorama of noise,
// one lookup a texel: each texel is the panorama's bilinear lookup along its direction, with
// pixel centres at half pixels, columns wrapping and rows held at the poles.
TEST(AtlasConvert, TexelsHoldTheWorldAlongTheDirectionTheViewerMapsToThem) {
  const World colour = [](const double d[3], int k) { return std::round(127.5 + 127.5 * d[k]); };
  const World radiance = [](const double d[3], int k) {
    return std::exp(2.5 * d[1] + 0.3 * k) * (1.2 + 0.6 * d[0] - 0.3 * d[2]);
  };
  const World toned = [&](const double d[3], int k) {  // the filmic fit, written out
    const double x = radiance(d, k) * std::exp2(-1.5);
    return srgbEncode(x * (2.51 * x + 0.03) / (x * (2.43 * x + 0.59) + 0.14));
  };
  const int nw = 60, nh = 30;
  std::vector<float> noise(3 * nw * nh);
  std::mt19937 rng(7);
  for (float& v : noise) v = std::uniform_real_distribution<float>(0, 1)(rng);
  const World lookup = [&](const double d[3], int k) {
    const double fx = (std::atan2(-d[0], d[2]) / (2 * kPi) + 0.5) * nw - 0.5;
    const double fy = (0.5 - std::asin(d[1]) / kPi) * nh - 0.5;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    double sum = 0;
    for (int dy = 0; dy < 2; ++dy)
      for (int dx = 0; dx < 2; ++dx)
        sum += (dx ? fx - x0 : 1 - fx + x0) * (dy ? fy - y0 : 1 - fy + y0) *
               noise[3 * (std::clamp(y0 + dy, 0, nh - 1) * nw + (x0 + dx + nw) % nw) + k];
    return srgbEncode(sum);
  };
  enum Source { kColour, kRadiance, kNoise };
  const struct {
    bool panorama;
    Source source;
    double yaw, tolerance;
  } cases[] = {{true, kColour, 0, 4},  {true, kColour, 90, 4},  {true, kColour, -30, 4},
               {false, kColour, 0, 4}, {false, kColour, 90, 4}, {true, kRadiance, 0, 2},
               {false, kRadiance, 45, 2}, {true, kNoise, 0, 1}};
  const int pw = 512, ph = 256, fs = 48;
  std::vector<unsigned char> pano8(3 * pw * ph), faces8(6 * 3 * fs * fs);
  std::vector<float> pano(3 * pw * ph), faces(6 * 3 * fs * fs);
  // Face images are the atlas cells as the viewer reads them; (column, row) by input order.
  const int cells[6][2] = {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {3, 1}, {1, 1}};
  auto store = [&](const double d[3], unsigned char* c8, float* c) {
    const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    const double u[3] = {d[0] / len, d[1] / len, d[2] / len};
    for (int k = 0; k < 3; ++k) c8[k] = colour(u, k), c[k] = static_cast<float>(radiance(u, k));
  };
  double d[3];
  for (int i = 0; i < pw * ph; ++i) {
    panoramaDirection(i % pw, i / pw, pw, ph, d);
    store(d, &pano8[3 * i], &pano[3 * i]);
  }
  for (int i = 0; i < 6 * fs * fs; ++i) {
    const int f = i / (fs * fs), t = i % (fs * fs);
    atlasTexelDirection(cells[f][0] * fs + t % fs, cells[f][1] * fs + t / fs, 4 * fs, 3 * fs, d);
    store(d, &faces8[3 * i], &faces[3 * i]);
  }
  for (const auto& c : cases) {
    const bool hdr = c.source == kRadiance;
    AtlasJob job;
    job.panorama = c.panorama, job.cell = 32, job.yawDegrees = c.yaw;
    job.toneMap = hdr, job.exposure = -1.5;
    job.images[0] = {pw, ph, hdr ? nullptr : pano8.data(), hdr ? pano.data() : nullptr};
    for (int f = 0; !c.panorama && f < 6; ++f) {
      const long at = 3L * f * fs * fs;
      job.images[f] = {fs, fs, hdr ? nullptr : &faces8[at], hdr ? &faces[at] : nullptr};
    }
    if (c.source == kNoise) job.images[0] = {nw, nh, nullptr, noise.data()}, job.subSamples = 1;
    EXPECT_LE(worstGap(job, c.source == kNoise ? lookup : hdr ? toned : colour), c.tolerance)
        << (c.panorama ? "panorama" : "faces") << " of source " << c.source << " at yaw " << c.yaw;
  }
}

// The atlas from make_cubemap's own panorama agrees with make_cubemap's atlas: mean gap at
// most 1/255, 96 % of the texels within 4/255. At an edge any resampling of a raster blurs:
// the 3 to 4 % of texels on the checks' and grid lines' edges differ more. Every other texel
// of every other row is checked.
TEST(AtlasConvert, SceneRoundTripsThroughItsPanorama) {
  const int pw = 4096, ph = 2048, cell = 512;
  std::vector<unsigned char> rgba(4L * pw * ph), pano(3L * pw * ph), atlas(36L * cell * cell);
  renderPanorama(pw, ph, rgba.data());
  for (long i = 0; i < long(pw) * ph; ++i) std::copy(&rgba[4 * i], &rgba[4 * i + 3], &pano[3 * i]);
  AtlasJob job;
  job.cell = cell;
  job.images[0] = {pw, ph, pano.data(), nullptr};
  long texels = 0, close = 0, gapSum = 0;
  for (int py = 0; py < 3 * cell; py += 2) {
    convertAtlasRows(job, py, py + 1, atlas.data());
    for (int px = 0; px < 4 * cell; px += 2) {
      unsigned char want[3];
      if (!usedTexel(px, py, cell)) continue;
      renderAtlasTexel(px, py, cell, want);
      int gap = 0;
      for (int k = 0; k < 3; ++k) {
        const int d = std::abs(atlas[3 * (4L * cell * py + px) + k] - want[k]);
        gapSum += d, gap = std::max(gap, d);
      }
      ++texels, close += gap <= 4;
    }
  }
  EXPECT_LE(gapSum / (3.0 * texels), 1.0);
  EXPECT_GE(close, 0.96 * texels);
}

TEST(AtlasConvert, TransferAndToneCurves) {
  // sRGB: every byte survives decode and encode, and encoding rounds to the nearest byte.
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(linearToSrgb(srgbToLinear(static_cast<unsigned char>(b))), b);
  for (double v = -0.5; v <= 1.5; v += 1.0 / 4093) {
    EXPECT_EQ(linearToSrgb(float(v)), std::lround(srgbEncode(float(v)))) << v;
  }
  // Tone curve: x (2.51 x + 0.03) / (x (2.43 x + 0.59) + 0.14), worked out apart, held at 0
  // (just below 0 the fit goes negative) and at 1 (which it passes at about 7.24).
  const float tone[][2] = {{0, 0},         {-0.005f, 0},    {0.18f, 0.2668989f}, {1, 0.8037975f},
                           {2, 0.9148551f}, {7, 0.9988649f}, {8, 1},              {1e4f, 1}};
  for (const auto& t : tone) EXPECT_NEAR(toneCurve(t[0]), t[1], 1e-6) << t[0];
  // Decoded HDR values: non-finite and negative ones become 0, huge ones the half maximum.
  float v[4] = {NAN, -1.0f, INFINITY, 0.25f};
  sanitiseLinear(v, 4);
  EXPECT_TRUE(v[0] == 0 && v[1] == 0 && v[2] == 65504.0f && v[3] == 0.25f);
}
