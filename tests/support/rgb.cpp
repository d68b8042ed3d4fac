// Colours as bytes: the viewer's float colours rounded as the GL converts them.
#include "support/rgb.h"

#include <cmath>
#include <cstdlib>

#include "render/view_layout.h"

namespace support {

bool closeTo(const unsigned char* p, Rgb c, int tolerance) {
  return std::abs(p[0] - c.r) <= tolerance && std::abs(p[1] - c.g) <= tolerance &&
         std::abs(p[2] - c.b) <= tolerance;
}

Rgb pointColour(int row, int col) {
  float rgb[3];
  controlPointColour(row, col, rgb);
  return {static_cast<int>(std::lround(rgb[0] * 255.0f)), static_cast<int>(std::lround(rgb[1] * 255.0f)),
          static_cast<int>(std::lround(rgb[2] * 255.0f))};
}

}  // namespace support
