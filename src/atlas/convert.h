// Conversion of a panorama or six cube faces into the viewer's 4 by 3 atlas: images in
// memory in, atlas rows out. No I/O, no threads, no GL.
//
// Conventions. Images are RGB, 3 values a pixel, top row first, left to right; pixel (i, j)
// covers [i, i + 1) x [j, j + 1), its centre at (i + 0.5, j + 0.5). 8-bit images hold sRGB,
// float images linear light. The world: standing at the origin facing +Z with +Y up, the
// panorama's middle column is +Z, the column a quarter of its width right of the middle is
// -X (your right), its top row +Y; longitude runs linearly in the column, latitude in the
// row. A face image, and every atlas cell, holds the world in the direction whose reflection
// the viewer maps to that texel (the inverse of kFaceRules).
#pragma once

#include <cstddef>

// One source image; exactly one of srgb and linear is set.
struct SourceImage {
  int width = 0, height = 0;            // pixels
  const unsigned char* srgb = nullptr;  // width * height * 3 sRGB bytes
  const float* linear = nullptr;        // width * height * 3 linear values, finite, >= 0
};

// Faces in the order the command takes them.
enum InputFace { kInputPlusX, kInputMinusX, kInputPlusY, kInputMinusY, kInputPlusZ, kInputMinusZ };

struct AtlasJob {
  bool panorama = true;     // images[0] is an equirectangular panorama, else six faces
  SourceImage images[6];    // the panorama, or the faces by InputFace, all of one kind
  int cell = 256;           // the cell's side in texels; the atlas is 4 cell by 3 cell
  int subSamples = 4;       // sub-samples a texel along each side (1 to 8), bilinear each
  double yawDegrees = 0.0;  // the world turned about +Y, + turning +Z towards +X
  bool toneMap = false;     // exposure and the filmic curve before sRGB encoding
  double exposure = 0.0;    // EV: linear light is scaled by 2^exposure when toneMap
};

// The cell sides the command accepts as --size, in pixels.
constexpr int kMinCell = 16;
constexpr int kMaxCell = 4096;

// Whether a panorama of that size is twice as wide as it is high, within one pixel.
bool panoramaAspectFits(int width, int height);

// The cell side used without --size: a quarter of the panorama's width or the face size,
// at most 1024, at least kMinCell.
int defaultCell(const AtlasJob& job);

// Writes atlas rows rowBegin up to rowEnd (exclusive) into rgb, which holds the whole atlas
// (4 * cell * 3 bytes a row, top row first). Unused cells are black but for a gutter of 2
// texels beside a used cell that repeats the used cell's edge texels. Each texel
// averages subSamples^2 bilinear lookups over its footprint in linear light (the panorama
// wraps left to right and is clamped at the poles, a face is clamped at its edges), then is
// tone mapped when asked and encoded to sRGB. Rows of one job may be written in any order,
// from any number of threads at once.
void convertAtlasRows(const AtlasJob& job, int rowBegin, int rowEnd, unsigned char* rgb);

// The filmic tone curve (Narkowicz's fit of the ACES reference), per channel, clamped to 0..1.
float toneCurve(float linear);

// sRGB transfer functions: exact decode of a byte, and the byte nearest after encoding
// (values clamped to 0..1).
float srgbToLinear(unsigned char value);
unsigned char linearToSrgb(float linear);

// Replaces every non-finite or negative value with 0 and clamps huge ones, so that a
// decoded high-dynamic-range image obeys SourceImage's contract. count values.
void sanitiseLinear(float* values, std::size_t count);
