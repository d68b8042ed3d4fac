// The atlas's layout read backwards: the direction through a point of the atlas.
#include "render/atlas_layout.h"

#include <algorithm>
#include <cmath>

bool atlasPointDirection(double s, double t, double dir[3]) {
  const double x = s * kAtlasColumns, y = t * kAtlasRows;
  int col = std::min(kAtlasColumns - 1, std::max(0, static_cast<int>(std::floor(x))));
  int row = std::min(kAtlasRows - 1, std::max(0, static_cast<int>(std::floor(y))));
  int face = faceAtCell(col, row);
  const bool used = face >= 0;
  if (!used) {
    // The nearest used cell, the first in reading order of those as near.
    double best = 1e30;
    for (int r = 0; r < kAtlasRows; ++r) {
      for (int c = 0; c < kAtlasColumns; ++c) {
        if (faceAtCell(c, r) < 0) continue;
        const double dx = std::max({c - x, 0.0, x - (c + 1)});
        const double dy = std::max({r - y, 0.0, y - (r + 1)});
        if (dx * dx + dy * dy < best) best = dx * dx + dy * dy, col = c, row = r;
      }
    }
    face = faceAtCell(col, row);
  }
  cellPointDirection(face, 2 * (x - col) - 1, 2 * (y - row) - 1, dir);
  return used;
}

bool atlasTexelDirection(int px, int py, int width, int height, double dir[3]) {
  return atlasPointDirection((px + 0.5) / width, (py + 0.5) / height, dir);
}
