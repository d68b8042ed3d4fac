// The cube-map atlas as a file: its PNG bytes decoded through LodePNG into 8-bit RGBA. No GL.
#include "render/atlas_file.h"

#include <lodepng.h>

#include <cstdlib>

namespace {

// LodePNG's own error numbers stop below 100; these are ours.
constexpr unsigned kErrorNoData = 1000;
constexpr unsigned kErrorBadSize = 1001;

}  // namespace

unsigned decodeCubemap(const unsigned char* bytes, std::size_t size, unsigned maxSide,
                       unsigned char** pixels, unsigned* width, unsigned* height) {
  *pixels = nullptr;
  *width = 0;
  *height = 0;
  if (bytes == nullptr || size == 0) return kErrorNoData;

  // A fresh state asks for RGBA with 8 bits per channel and converts every colour type.
  LodePNGState state;
  lodepng_state_init(&state);
  unsigned w = 0;
  unsigned h = 0;
  // The header alone gives the size, so an enormous image is refused before its pixel
  // buffer is allocated.
  unsigned error = lodepng_inspect(&w, &h, &state, bytes, size);
  if (error == 0 && (w == 0 || h == 0 || w > maxSide || h > maxSide)) error = kErrorBadSize;
  unsigned char* decoded = nullptr;
  if (error == 0) error = lodepng_decode(&decoded, &w, &h, &state, bytes, size);
  lodepng_state_cleanup(&state);
  if (error != 0) {
    // The decoder may leave a buffer behind even when it fails.
    std::free(decoded);
    return error;
  }
  *pixels = decoded;
  *width = w;
  *height = h;
  return 0;
}

unsigned readCubemapFile(const char* path, unsigned maxSide, unsigned char** pixels,
                         unsigned* width, unsigned* height) {
  unsigned char* bytes = nullptr;
  std::size_t size = 0;
  unsigned error = lodepng_load_file(&bytes, &size, path);
  if (error == 0) error = decodeCubemap(bytes, size, maxSide, pixels, width, height);
  std::free(bytes);
  return error;
}
