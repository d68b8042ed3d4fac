// The atlas command's heavy steps: the conversion spread over threads with an optional
// progress bar, and the PNG encoding of the result.
#pragma once

#include <cstddef>

#include "atlas/convert.h"

// Fills the whole atlas (4 cell by 3 cell RGB texels, top row first) on `threads` threads
// (at least 1). With progress and more than one thread, the calling thread draws a bar on
// stderr once the work has run for a second, and clears it at the end.
void runConversion(const AtlasJob& job, int threads, bool progress, unsigned char* rgb);

// Encodes RGB texels as a PNG in a malloc'ed buffer, with zlib settings chosen for speed on
// an atlas whose unused half is black. Returns LodePNG's error code, 0 on success.
unsigned encodeAtlasPng(const unsigned char* rgb, int width, int height, unsigned char** png,
                        std::size_t* size);
