// Arbitrary bytes through the atlas decoding and size checks that loadCubemap uses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "render/atlas_file.h"

namespace {
// A side limit like a small GL implementation's, so that one input can't ask for gigabytes.
constexpr unsigned kFuzzMaxSide = 2048;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  unsigned char* pixels = nullptr;
  unsigned width = 0;
  unsigned height = 0;
  const unsigned error = decodeCubemap(data, size, kFuzzMaxSide, &pixels, &width, &height);
  if (error != 0) {
    // A failed decode hands back nothing the caller would upload.
    if (pixels != nullptr || width != 0 || height != 0) std::abort();
    return 0;
  }
  if (pixels == nullptr || width == 0 || height == 0 || width > kFuzzMaxSide || height > kFuzzMaxSide)
    std::abort();
  // Touch both ends of the buffer the upload would read: AddressSanitizer catches a short one.
  const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
  volatile unsigned char sink = static_cast<unsigned char>(pixels[0] ^ pixels[bytes - 1]);
  (void)sink;
  std::free(pixels);
  return 0;
}
