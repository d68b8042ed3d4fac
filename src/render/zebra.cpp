// Zebra bands and their atlas. The texel directions come from the atlas's layout, as the
// mirror's lookup does, so that the two agree texel for texel.
#include "render/zebra.h"

#include <cmath>

#include "render/atlas_layout.h"

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

void fillZebraAtlas(int cellSize, int bands, int axis, unsigned char* luminance) {
  const int width = kAtlasColumns * cellSize, height = kAtlasRows * cellSize;
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      double dir[3];
      atlasTexelDirection(px, py, width, height, dir);
      luminance[py * width + px] = zebraBand(dir, bands, axis) == 0 ? 255 : 0;
    }
}
