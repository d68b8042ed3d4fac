// One 8-bit colour as the tests compare them: channels as ints, so differences can go negative;
// a pixel near one, and the colours the viewer gives its control points.
#pragma once

namespace support {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// Whether each channel of the RGB bytes at p is within tolerance of c.
bool closeTo(const unsigned char* p, Rgb c, int tolerance);

// The bytes the GL draws control point [row][col] in: its colour, each channel rounded.
Rgb pointColour(int row, int col);

}  // namespace support
