// The resampling of a panorama or six faces into the atlas, in linear light.
#include "atlas/convert.h"

#include <algorithm>
#include <cmath>

#include "render/atlas_layout.h"  // faceAtCell, the cells' layout
#include "render/reflection.h"    // kFaceRules, directionFace: the viewer's own face mapping

namespace {

constexpr float kPi = 3.14159265358979f;
// The longest sub-row: kMaxCell texels of at most this many sub-samples.
constexpr int kMaxSubSamples = 8;
constexpr int kMaxRun = kMaxCell * kMaxSubSamples;
// Texels of an unused cell next to a used one that repeat the used cell's edge, so that the
// viewer's linear filter, which reads up to half a texel past a cell's border, finds the
// face's colour there and not black.
constexpr int kGutter = 2;
// Largest linear value kept from a decoded image: the half-float maximum.
constexpr float kMaxLinear = 65504.0f;

// The 256 decoded bytes and the 255 linear values where encoding rounds to the next byte.
struct SrgbTables {
  float decode[256];
  float thresholds[255];
};

double decodeExact(double v) {
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

const SrgbTables& srgbTables() {
  static const SrgbTables tables = [] {
    SrgbTables t;
    for (int i = 0; i < 256; ++i) t.decode[i] = static_cast<float>(decodeExact(i / 255.0));
    for (int k = 1; k < 256; ++k) {
      t.thresholds[k - 1] = static_cast<float>(decodeExact((k - 0.5) / 255.0));
    }
    return t;
  }();
  return tables;
}

// atan2 to about 1e-6 rad (a thousandth of a pixel of a 8192-wide panorama), several times
// faster than the library's, which two calls a sub-sample would make the slowest step.
inline float fastAtan2(float y, float x) {
  const float ax = std::fabs(x);
  const float ay = std::fabs(y);
  const float hi = std::max(ax, ay);
  const float q = hi > 0.0f ? std::min(ax, ay) / hi : 0.0f;
  const float s = q * q;
  float r = (((((-0.01172120f * s + 0.05265332f) * s - 0.11643287f) * s + 0.19354346f) * s -
              0.33262347f) *
                 s +
             0.99997726f) *
            q;
  r = ay > ax ? 0.5f * kPi - r : r;
  r = x < 0.0f ? kPi - r : r;
  return y < 0.0f ? -r : r;
}

// Pixel (x, y) of a source in linear light; 8-bit pixels through the decode table.
template <bool kSrgb>
inline void addTap(const SourceImage& image, const float* decode, long index, float weight,
                   float sum[3]) {
  if (kSrgb) {
    const unsigned char* p = image.srgb + 3 * index;
    sum[0] += weight * decode[p[0]];
    sum[1] += weight * decode[p[1]];
    sum[2] += weight * decode[p[2]];
  } else {
    const float* p = image.linear + 3 * index;
    sum[0] += weight * p[0];
    sum[1] += weight * p[1];
    sum[2] += weight * p[2];
  }
}

// Bilinear lookup in a face at pixel coordinates (fx, fy), pixel centres at integers here,
// both above -1 (truncation then floors); clamped at the edges.
template <bool kSrgb>
inline void addBilinear(const SourceImage& image, const float* decode, float fx, float fy,
                        float sum[3]) {
  const int w = image.width;
  const int h = image.height;
  int x0 = static_cast<int>(fx + 1.0f) - 1;
  int y0 = static_cast<int>(fy + 1.0f) - 1;
  const float tx = fx - static_cast<float>(x0);
  const float ty = fy - static_cast<float>(y0);
  const int x1 = std::min(x0 + 1, w - 1);
  x0 = std::min(std::max(x0, 0), w - 1);
  const int y1 = std::min(y0 + 1, h - 1);
  y0 = std::min(std::max(y0, 0), h - 1);
  const long row0 = static_cast<long>(y0) * w;
  const long row1 = static_cast<long>(y1) * w;
  addTap<kSrgb>(image, decode, row0 + x0, (1.0f - tx) * (1.0f - ty), sum);
  addTap<kSrgb>(image, decode, row0 + x1, tx * (1.0f - ty), sum);
  addTap<kSrgb>(image, decode, row1 + x0, (1.0f - tx) * ty, sum);
  addTap<kSrgb>(image, decode, row1 + x1, tx * ty, sum);
}

// Where one sub-sample's bilinear lookup reads: the pixel indices of its four taps and the
// weights of the right and lower ones.
struct Taps {
  int topLeft[kMaxRun], topRight[kMaxRun], bottomLeft[kMaxRun], bottomRight[kMaxRun];
  float tx[kMaxRun], ty[kMaxRun];
};

// The panorama's taps for the directions base + a_k slope, a_k = (2k + 1) / count - 1 for k
// below count (one sub-row of a cell). Pixel centres lie at integer coordinates after the
// half-pixel shift; columns wrap, rows are clamped at the poles. No branches or calls, so
// that it vectorises.
void mapPanoramaSubRow(const float base[3], const float slope[3], int count, int width, int height,
                       Taps* taps) {
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  const float step = 2.0f / static_cast<float>(count);
  for (int k = 0; k < count; ++k) {
    const float a = (static_cast<float>(k) + 0.5f) * step - 1.0f;
    const float x = base[0] + a * slope[0];
    const float y = base[1] + a * slope[1];
    const float z = base[2] + a * slope[2];
    const float longitude = fastAtan2(-x, z);  // 0 at +Z, +pi/2 at -X (to the right)
    const float latitude = fastAtan2(y, std::sqrt(x * x + z * z));
    const float fx = (longitude * (0.5f / kPi) + 0.5f) * w - 0.5f;  // -0.5 to w - 0.5
    const float fy = (0.5f - latitude * (1.0f / kPi)) * h - 0.5f;   // -0.5 to h - 0.5
    // Both above -1, so truncation floors.
    const int x0 = static_cast<int>(fx + 1.0f) - 1;
    const int y0 = static_cast<int>(fy + 1.0f) - 1;
    taps->tx[k] = fx - static_cast<float>(x0);
    taps->ty[k] = fy - static_cast<float>(y0);
    const int left = x0 < 0 ? width - 1 : x0;
    const int right = x0 + 1 >= width ? 0 : x0 + 1;
    const int top = (y0 < 0 ? 0 : y0) * width;
    const int bottom = (y0 + 1 >= height ? height - 1 : y0 + 1) * width;
    taps->topLeft[k] = top + left;
    taps->topRight[k] = top + right;
    taps->bottomLeft[k] = bottom + left;
    taps->bottomRight[k] = bottom + right;
  }
}

// Which input image holds each CubeFace.
constexpr int kInputOfFace[6] = {kInputMinusX, kInputPlusX,  kInputMinusY,
                                 kInputPlusY,  kInputMinusZ, kInputPlusZ};

// The faces along direction (x, y, z), any length but zero: the face image the viewer's
// rule picks, at the rule's (a, b).
template <bool kSrgb>
inline void addFaces(const SourceImage* images, const float* decode, float x, float y, float z,
                     float sum[3]) {
  const int face = directionFace(x, y, z);
  const FaceRule& rule = kFaceRules[face];
  const float r[3] = {x, y, z};
  const float major = std::fabs(r[rule.axis]);
  const float a = static_cast<float>(rule.aSign) * (r[rule.aAxis] / major);
  const float b = static_cast<float>(rule.bSign) * (r[rule.bAxis] / major);
  const SourceImage& image = images[kInputOfFace[face]];
  const float n = static_cast<float>(image.width);
  addBilinear<kSrgb>(image, decode, (a + 1.0f) * 0.5f * n - 0.5f, (b + 1.0f) * 0.5f * n - 0.5f,
                     sum);
}

// Texel row j of face's cell into texel (cell RGB texels).
template <bool kSrgb>
void convertSegment(const AtlasJob& job, int face, int j, unsigned char* texel) {
  const int cell = job.cell;
  const int n = std::min(job.subSamples, kMaxSubSamples);
  const int count = n * cell;
  const double yaw = job.yawDegrees * (3.14159265358979323846 / 180.0);
  const float c = static_cast<float>(std::cos(yaw));
  const float sn = static_cast<float>(std::sin(yaw));
  const float gain = static_cast<float>(std::exp2(job.exposure));
  const float weight = 1.0f / static_cast<float>(n * n);
  const float* decode = srgbTables().decode;
  // Per thread and too large for a stack: three quarters of a megabyte of lookups a sub-row.
  static thread_local Taps taps;
  float sums[kMaxCell * 3];
  // The cell's texel at (a, b) looks along r[axis] = +-1, r[aAxis] = aSign a,
  // r[bAxis] = bSign b (the rule of kFaceRules solved for r), here as base + a slope,
  // turned by the yaw: the source is looked up the opposite way round.
  const FaceRule& rule = kFaceRules[face];
  std::fill(sums, sums + 3 * cell, 0.0f);
  for (int sy = 0; sy < n; ++sy) {
    const float b = 2.0f * (j + (sy + 0.5f) / n) / cell - 1.0f;
    float base[3] = {0.0f, 0.0f, 0.0f};
    float slope[3] = {0.0f, 0.0f, 0.0f};
    base[rule.axis] = (face & 1) != 0 ? 1.0f : -1.0f;
    base[rule.bAxis] = static_cast<float>(rule.bSign) * b;
    slope[rule.aAxis] = static_cast<float>(rule.aSign);
    const float turnedBase[3] = {base[0] * c - base[2] * sn, base[1], base[0] * sn + base[2] * c};
    const float turnedSlope[3] = {slope[0] * c - slope[2] * sn, slope[1],
                                  slope[0] * sn + slope[2] * c};
    if (job.panorama) {
      const SourceImage& image = job.images[0];
      mapPanoramaSubRow(turnedBase, turnedSlope, count, image.width, image.height, &taps);
      for (int i = 0, k = 0; i < cell; ++i) {
        for (int sx = 0; sx < n; ++sx, ++k) {
          const float tx = taps.tx[k], ty = taps.ty[k];
          float* sum = sums + 3 * i;
          addTap<kSrgb>(image, decode, taps.topLeft[k], (1.0f - tx) * (1.0f - ty), sum);
          addTap<kSrgb>(image, decode, taps.topRight[k], tx * (1.0f - ty), sum);
          addTap<kSrgb>(image, decode, taps.bottomLeft[k], (1.0f - tx) * ty, sum);
          addTap<kSrgb>(image, decode, taps.bottomRight[k], tx * ty, sum);
        }
      }
    } else {
      const float step = 2.0f / static_cast<float>(count);
      for (int i = 0, k = 0; i < cell; ++i) {
        for (int sx = 0; sx < n; ++sx, ++k) {
          const float a = (static_cast<float>(k) + 0.5f) * step - 1.0f;
          addFaces<kSrgb>(job.images, decode, turnedBase[0] + a * turnedSlope[0],
                          turnedBase[1] + a * turnedSlope[1], turnedBase[2] + a * turnedSlope[2],
                          sums + 3 * i);
        }
      }
    }
  }
  for (int i = 0; i < cell; ++i, texel += 3) {
    for (int k = 0; k < 3; ++k) {
      float v = sums[3 * i + k] * weight;
      if (job.toneMap) v = toneCurve(v * gain);
      texel[k] = linearToSrgb(v);
    }
  }
}

template <bool kSrgb>
void convertRowsOf(const AtlasJob& job, int rowBegin, int rowEnd, unsigned char* rgb) {
  const int cell = job.cell;
  const int gutter = std::min(kGutter, cell / 2);
  for (int py = rowBegin; py < rowEnd; ++py) {
    const int row = py / cell;
    const int j = py % cell;
    unsigned char* out = rgb + 3L * kAtlasColumns * cell * py;
    for (int column = 0; column < kAtlasColumns; ++column) {
      unsigned char* texel = out + 3L * cell * column;
      const int face = faceAtCell(column, row);
      const int below = faceAtCell(column, row + 1);
      const int above = faceAtCell(column, row - 1);
      if (face >= 0) {
        convertSegment<kSrgb>(job, face, j, texel);
      } else if (j >= cell - gutter && below >= 0) {
        convertSegment<kSrgb>(job, below, 0, texel);
      } else if (j < gutter && above >= 0) {
        convertSegment<kSrgb>(job, above, cell - 1, texel);
      } else {
        std::fill(texel, texel + 3L * cell, static_cast<unsigned char>(0));
      }
    }
    // Beside a used cell in the same row, its edge column repeated.
    for (int column = 0; column < kAtlasColumns; ++column) {
      if (faceAtCell(column, row) >= 0) continue;
      unsigned char* texel = out + 3L * cell * column;
      if (faceAtCell(column + 1, row) >= 0) {
        for (int i = cell - gutter; i < cell; ++i) std::copy_n(texel + 3L * cell, 3, texel + 3 * i);
      }
      if (faceAtCell(column - 1, row) >= 0) {
        for (int i = 0; i < gutter; ++i) std::copy_n(texel - 3, 3, texel + 3 * i);
      }
    }
  }
}

}  // namespace

bool panoramaAspectFits(int width, int height) {
  return width > 0 && height > 0 && std::abs(width - 2 * height) <= 1;
}

int defaultCell(const AtlasJob& job) {
  const int w = job.images[0].width;
  const int side = job.panorama ? w / 4 : w;
  return std::min(1024, std::max(kMinCell, side));
}

void convertAtlasRows(const AtlasJob& job, int rowBegin, int rowEnd, unsigned char* rgb) {
  if (job.images[0].srgb != nullptr) {
    convertRowsOf<true>(job, rowBegin, rowEnd, rgb);
  } else {
    convertRowsOf<false>(job, rowBegin, rowEnd, rgb);
  }
}

float toneCurve(float x) {
  const float y = (x * (2.51f * x + 0.03f)) / (x * (2.43f * x + 0.59f) + 0.14f);
  return std::min(1.0f, std::max(0.0f, y));
}

float srgbToLinear(unsigned char value) {
  return srgbTables().decode[value];
}

unsigned char linearToSrgb(float linear) {
  const float* t = srgbTables().thresholds;
  // The byte is the number of thresholds at or below the value.
  return static_cast<unsigned char>(std::upper_bound(t, t + 255, linear) - t);
}

void sanitiseLinear(float* values, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const float v = values[i];
    values[i] = v > 0.0f ? std::min(v, kMaxLinear) : 0.0f;  // NaN fails v > 0
  }
}
