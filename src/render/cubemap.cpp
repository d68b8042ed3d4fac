// The cube-map atlas's upload: one route for the start-up load and the e key's reload.
#include "render/cubemap.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "app/state.h"
#include "render/atlas_file.h"

static_assert(sizeof(GLuint) == sizeof cubemapTexture, "the state holds a GL texture name");

namespace {

void reportFailure() {
  std::printf("Couldn't open file\n");
  std::fflush(stdout);
}

// Makes a texture name, binds it to GL_TEXTURE_2D with the GL_DECAL environment, linear
// filters and GL_REPEAT wrapping, and uploads the RGBA pixels; returns glGetError after the
// upload, so only errors raised from here on may be pending when it is called.
GLenum uploadAtlasTexture(GLuint* name, const unsigned char* pixels, unsigned width, unsigned height) {
  glGenTextures(1, name);
  glBindTexture(GL_TEXTURE_2D, *name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  return glGetError();
}

}  // namespace

bool loadCubemap(const char* path) {
  GLint maxTextureSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
  const unsigned maxSide = maxTextureSize > 0 ? static_cast<unsigned>(maxTextureSize) : 0u;
  unsigned char* pixels = nullptr;
  unsigned width = 0;
  unsigned height = 0;
  if (readCubemapFile(path, maxSide, &pixels, &width, &height) != 0) {
    reportFailure();
    return false;
  }

  // What a refused upload gives back.
  GLint boundBefore = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundBefore);
  GLint envBefore = GL_MODULATE;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envBefore);
  // Only the upload's own error may count below.
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint fresh = 0;
  const GLenum uploadError = uploadAtlasTexture(&fresh, pixels, width, height);
  std::free(pixels);
  if (uploadError != GL_NO_ERROR) {
    // The GL did not take the image (out of memory, say): the environment shown stays.
    glDeleteTextures(1, &fresh);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundBefore));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envBefore);
    reportFailure();
    return false;
  }
  const GLuint released = cubemapTexture;
  if (released != 0) glDeleteTextures(1, &released);
  cubemapTexture = fresh;
  atlasWidth = static_cast<int>(width);
  atlasHeight = static_cast<int>(height);
  std::printf("width: %d height: %d\n", static_cast<int>(width), static_cast<int>(height));
  std::fflush(stdout);
  return true;
}
