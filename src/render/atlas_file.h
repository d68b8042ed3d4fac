// The cube-map atlas as a file: a PNG of any colour type, bit depth or interlacing, read into
// tightly packed 8-bit RGBA, top row first. No GL: the upload is the viewer's (cubemap.h).
#pragma once

#include <cstddef>

// Decodes PNG bytes into tightly packed 8-bit RGBA, top row first. Returns 0 and a
// malloc'ed buffer of width * height * 4 bytes on success (the caller frees it); returns a
// non-zero code and no buffer when the data does not decode or a side is 0 or larger than
// maxSide (checked from the header, before any pixel memory is allocated).
unsigned decodeCubemap(const unsigned char* bytes, std::size_t size, unsigned maxSide,
                       unsigned char** pixels, unsigned* width, unsigned* height);

// Reads the whole file at path and decodes it as decodeCubemap does; a file that can't be
// read is a non-zero code too.
unsigned readCubemapFile(const char* path, unsigned maxSide, unsigned char** pixels,
                         unsigned* width, unsigned* height);
