// Flat-colour atlases, encoded by LodePNG as the viewer's own loader decodes them.
#include "support/atlas.h"

#include <lodepng.h>

#include <cstdlib>

namespace support {

const char* const kFaceNames[kFaceCount] = {"-X", "+X", "-Y", "+Y", "-Z", "+Z"};
const Rgb kFlatFaceColours[kFaceCount] = {{40, 200, 200}, {220, 40, 40}, {200, 40, 200},
                                          {40, 200, 40},  {220, 200, 40}, {40, 40, 220}};
const Rgb kFlatUnusedColour = {100, 100, 100};

bool inFaceCell(int face, const double st[2], double margin) {
  const double s0 = kAtlasCells[face].column / 4.0, t0 = kAtlasCells[face].row / 3.0;
  return st[0] >= s0 + margin && st[0] <= s0 + 0.25 - margin && st[1] >= t0 + margin &&
         st[1] <= t0 + 1.0 / 3.0 - margin;
}

std::vector<unsigned char> flatAtlasRgba(int cell, const Rgb faces[kFaceCount], Rgb unused) {
  const int width = 4 * cell, height = 3 * cell;
  std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int face = faceAtCell(x / cell, y / cell);
      const Rgb c = face >= 0 ? faces[face] : unused;
      unsigned char* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = static_cast<unsigned char>(c.r);
      p[1] = static_cast<unsigned char>(c.g);
      p[2] = static_cast<unsigned char>(c.b);
      p[3] = 255;
    }
  }
  return rgba;
}

bool writeFlatAtlas(const std::string& path, int cell, const Rgb faces[kFaceCount], Rgb unused) {
  const unsigned side = static_cast<unsigned>(cell);
  return lodepng::encode(path, flatAtlasRgba(cell, faces, unused), 4 * side, 3 * side) == 0;
}

int flatFaceOf(Rgb p, const Rgb faces[kFaceCount], int tolerance) {
  for (int f = 0; f < kFaceCount; ++f) {
    const Rgb& c = faces[f];
    if (std::abs(p.r - c.r) <= tolerance && std::abs(p.g - c.g) <= tolerance &&
        std::abs(p.b - c.b) <= tolerance)
      return f;
  }
  return -1;
}

}  // namespace support
