// Reading one input image of the atlas command: PNG (LodePNG), JPEG and Radiance HDR
// (stb_image) and OpenEXR, told apart by their first bytes, not the file name.
#pragma once

#include <cstddef>

// A decoded image, RGB top row first: 8-bit sRGB (PNG, JPEG) or linear floats (HDR, EXR),
// the other pointer null. Buffers are malloc'ed; release with freeDecoded.
struct DecodedImage {
  int width = 0, height = 0;
  unsigned char* srgb = nullptr;
  float* linear = nullptr;
};

// Images larger than this many pixels are refused before their pixels are decoded.
constexpr long kMaxSourcePixels = 1L << 27;

// Decodes the file at path. False with a one-line reason ("truncated JPEG", strerror's text
// for a file that can't be read, ...) and nothing allocated when it can't; linear values
// come out finite and non-negative.
bool decodeImageFile(const char* path, DecodedImage* image, char* reason, std::size_t capacity);

// Turns an 8-bit image into linear floats in place (for faces of mixed formats); false when
// memory runs out, the image then as it was.
bool promoteToLinear(DecodedImage* image);

void freeDecoded(DecodedImage* image);
