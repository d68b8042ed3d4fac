// Arbitrary bytes through the net parser. A refusal must name a line and a reason; anything
// accepted must be 16 finite points within the limit that format and parse back to the same
// bits and format again to the same text; saved in the input's own layout, a second save is
// the same text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/net_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  double grid[kGridSize][kGridSize][3];
  NetError error = {0, ""};
  if (!parseNet(reinterpret_cast<const char*>(data), size, grid, &error)) {
    if (error.line < 1 || error.what[0] == '\0' ||
        std::memchr(error.what, '\0', sizeof error.what) == nullptr)
      std::abort();
    return 0;
  }
  const double* values = &grid[0][0][0];
  for (int i = 0; i < kGridSize * kGridSize * 3; ++i) {
    if (!std::isfinite(values[i]) || std::fabs(values[i]) > kNetMaxMagnitude) std::abort();
  }
  char text[kNetTextCapacity];
  const std::size_t length = formatNet(grid, text, sizeof text);
  double back[kGridSize][kGridSize][3];
  if (length == 0 || !parseNet(text, length, back, &error) ||
      std::memcmp(grid, back, sizeof grid) != 0)
    std::abort();
  char again[kNetTextCapacity];
  if (formatNet(back, again, sizeof again) != length || std::memcmp(text, again, length) != 0)
    std::abort();
  // Saved in the input's own layout and saved again, nothing changes the second time.
  static char kept[kNetMaxBytes + kNetTextCapacity], keptAgain[kNetMaxBytes + kNetTextCapacity];
  const std::size_t keptLength = formatNetLike(grid, reinterpret_cast<const char*>(data), size, kept, sizeof kept);
  if (keptLength != 0 && (formatNetLike(grid, kept, keptLength, keptAgain, sizeof keptAgain) != keptLength ||
                          std::memcmp(kept, keptAgain, keptLength) != 0))
    std::abort();
  return 0;
}
