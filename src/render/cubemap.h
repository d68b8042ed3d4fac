// Loading of the cube-map atlas "cubemap.png" as the one texture of the process.
#pragma once

#include <GL/gl.h>

#include <cstddef>

// Decodes PNG bytes into tightly packed 8-bit RGBA, top row first. Returns 0 and a
// malloc'ed buffer of width * height * 4 bytes on success (the caller frees it); returns a
// non-zero code and no buffer when the data does not decode or a side is 0 or larger than
// maxSide (checked from the header, before any pixel memory is allocated). No GL.
unsigned decodeCubemap(const unsigned char* bytes, std::size_t size, unsigned maxSide,
                       unsigned char** pixels, unsigned* width, unsigned* height);

// Reads "cubemap.png" from the working directory (or, when there is none, the default atlas
// beside the executable: atlasFileToRead) and uploads it as a GL_RGBA texture with
// linear filters, GL_REPEAT wrapping and the GL_DECAL environment, left bound to
// GL_TEXTURE_2D, its size kept in atlasWidth and atlasHeight; prints "width: W height: H".
// When the file can't be read or decoded, or is larger than the GL accepts, prints "Couldn't
// open file" and leaves the texture slot, the texture state and the kept size untouched.
// When the GL refuses the upload itself (glGetError after glTexImage2D), the new texture is
// deleted, the slot is 0, the binding and environment mode are as before (0 where the slot's
// old texture was bound), the kept size is untouched and "Couldn't open file" is printed.
// Needs a current GL context.
void loadCubemap(GLuint& cubemapTexture);

// Reads the atlas at path anew (the e key) with loadCubemap's messages and texture state; on
// success the texture bound to GL_TEXTURE_2D before is deleted and the new one left bound.
// On any failure, reading, decoding or the GL's upload, the texture that was bound, the
// environment mode and the kept size stay as they were, and "Couldn't open file" is followed
// by "PATH not loaded: the environment stays as it was". Returns whether it loaded.
bool reloadCubemap(const char* path);
