// One 8-bit colour as the tests compare them: channels as ints, so differences can go negative.
#pragma once

namespace support {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};

}  // namespace support
