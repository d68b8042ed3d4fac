// The cube-map atlas as the one environment texture of the viewer: read, decoded and uploaded.
#pragma once

// Reads the atlas at path (at start-up and by the e key, the file atlasFileToRead names) and
// uploads it as a new GL_RGBA texture with linear filters, GL_REPEAT wrapping and the GL_DECAL
// environment, made beside the one cubemapTexture names: only once the upload took is that one
// deleted, the new one left bound to GL_TEXTURE_2D and named in cubemapTexture, its size kept
// in atlasWidth and atlasHeight, and "width: W height: H" printed. A file that can't be read
// or decoded, or is larger than the GL accepts, prints "Couldn't open file" and changes no GL
// state. When the GL refuses the upload itself (glGetError after glTexImage2D), the new
// texture is deleted, the binding and the environment mode are put back as they were, and
// "Couldn't open file" is printed: the texture shown before stays, with its kept size.
// Returns whether it loaded. Needs a current GL context.
bool loadCubemap(const char* path);
