// Zebra bands and their atlas. The texel directions come from the mirror's face table, so
// the atlas and the lookup agree texel for texel.
#include "analysis/zebra.h"

#include <algorithm>
#include <cmath>

#include "app/state.h"
#include "render/reflection.h"

int steppedBandCount(int bands, int step) {
  if (step > 0) {
    for (int count : kBandCounts)
      if (count > bands) return count;
    return kBandCounts[kBandCountSteps - 1];
  }
  for (int i = kBandCountSteps - 1; i >= 0; --i)
    if (kBandCounts[i] < bands) return kBandCounts[i];
  return kBandCounts[0];
}

int zebraBand(const double r[3], int bands, int axis) {
  const double phi = std::atan2(r[(axis + 2) % 3], r[(axis + 1) % 3]);
  const double band = std::floor(bands * phi / (2.0 * M_PI));
  // An even band count makes the parity agree where phi wraps from pi to -pi.
  return static_cast<int>(band) & 1;
}

namespace {

// Column and row of a face's cell, from its rule's low corner (an exact quarter or a third).
inline int cellColumn(int face) { return static_cast<int>(kFaceRules[face].sLo * 4.0 + 0.5); }
inline int cellRow(int face) { return static_cast<int>(kFaceRules[face].tLo * 3.0 + 0.5); }

}  // namespace

void zebraTexelDirection(int px, int py, int cellSize, double dir[3]) {
  // Texel centre in cell units.
  const double x = (px + 0.5) / cellSize, y = (py + 0.5) / cellSize;
  int face = 0;
  double nearest = HUGE_VAL;
  for (int f = 0; f < kFaceCount; ++f) {
    const double dx = std::max({0.0, cellColumn(f) - x, x - (cellColumn(f) + 1)});
    const double dy = std::max({0.0, cellRow(f) - y, y - (cellRow(f) + 1)});
    if (dx * dx + dy * dy < nearest) nearest = dx * dx + dy * dy, face = f;
  }
  const FaceRule& rule = kFaceRules[face];
  // The in-cell coordinates a and b, -1..1 across the face's cell, then r[aAxis] = aSign a:
  // the signs are +-1, their own inverses.
  const double a = 2.0 * (x - cellColumn(face)) - 1.0;
  const double b = 2.0 * (y - cellRow(face)) - 1.0;
  dir[rule.axis] = face % 2 == 1 ? 1.0 : -1.0;
  dir[rule.aAxis] = rule.aSign * a;
  dir[rule.bAxis] = rule.bSign * b;
}

void fillZebraAtlas(int cellSize, int bands, int axis, unsigned char* luminance) {
  const int width = 4 * cellSize, height = 3 * cellSize;
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      double dir[3];
      zebraTexelDirection(px, py, cellSize, dir);
      luminance[py * width + px] = zebraBand(dir, bands, axis) == 0 ? 255 : 0;
    }
}
