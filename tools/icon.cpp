// Cropping and area-averaging of the icon. Pixel (x, y) covers [x, x+1) x [y, y+1).
#include "icon.h"

#include <algorithm>
#include <cstring>

bool findPictureSquare(const unsigned char* rgb, int width, int height, int box[3]) {
  int left = width, right = -1, top = height, bottom = -1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (std::memcmp(rgb + 3 * (static_cast<long>(y) * width + x), rgb, 3) == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return false;
  const int side = std::min(std::max(right - left, bottom - top) + 1, std::min(width, height));
  box[0] = std::clamp(left - (side - (right - left + 1)) / 2, 0, width - side);
  box[1] = std::clamp(top - (side - (bottom - top + 1)) / 2, 0, height - side);
  box[2] = side;
  return true;
}

void resampleSquare(const unsigned char* rgb, int width, const int box[3], int side,
                    unsigned char* rgba) {
  const double scale = static_cast<double>(box[2]) / side;  // source pixels per icon pixel
  for (int oy = 0; oy < side; ++oy) {
    const double y0 = oy * scale, y1 = (oy + 1) * scale;
    for (int ox = 0; ox < side; ++ox) {
      const double x0 = ox * scale, x1 = (ox + 1) * scale;
      double sum[3] = {0, 0, 0};
      for (int sy = static_cast<int>(y0); sy < y1 && sy < box[2]; ++sy) {
        const double wy = std::min(y1, sy + 1.0) - std::max(y0, static_cast<double>(sy));
        for (int sx = static_cast<int>(x0); sx < x1 && sx < box[2]; ++sx) {
          const double w = wy * (std::min(x1, sx + 1.0) - std::max(x0, static_cast<double>(sx)));
          const unsigned char* p = rgb + 3 * (static_cast<long>(box[1] + sy) * width + box[0] + sx);
          for (int c = 0; c < 3; ++c) sum[c] += w * p[c];
        }
      }
      unsigned char* out = rgba + 4 * (static_cast<long>(oy) * side + ox);
      for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<unsigned char>(std::min(255.0, sum[c] / (scale * scale) + 0.5));
      }
      out[3] = 255;
    }
  }
}
