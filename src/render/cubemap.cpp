// The cube-map atlas: PNG decoding through LodePNG and the texture upload.
#include "render/cubemap.h"

#include <lodepng.h>

#include <cstdio>
#include <cstdlib>

#include "app/data_dir.h"
#include "app/state.h"

namespace {

// LodePNG's own error numbers stop below 100; these are ours.
constexpr unsigned kErrorNoData = 1000;
constexpr unsigned kErrorBadSize = 1001;

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

void loadCubemap(GLuint& cubemapTexture) {
  unsigned char* bytes = nullptr;
  std::size_t size = 0;
  const unsigned loadError = lodepng_load_file(&bytes, &size, atlasFileToRead());
  if (loadError != 0 || bytes == nullptr || size == 0) {
    reportFailure();
    std::free(bytes);
    return;
  }

  GLint maxTextureSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
  unsigned char* pixels = nullptr;
  unsigned width = 0;
  unsigned height = 0;
  const unsigned maxSide = maxTextureSize > 0 ? static_cast<unsigned>(maxTextureSize) : 0u;
  if (decodeCubemap(bytes, size, maxSide, &pixels, &width, &height) != 0) {
    reportFailure();
    std::free(bytes);
    return;
  }

  // What a refused upload gives back: the binding (unless it was the texture released
  // below) and the environment mode.
  GLint boundBefore = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundBefore);
  GLint envBefore = GL_MODULATE;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envBefore);
  // Only the upload's own error may count below.
  while (glGetError() != GL_NO_ERROR) {
  }

  const GLuint released = cubemapTexture;
  glDeleteTextures(1, &cubemapTexture);
  const GLenum uploadError = uploadAtlasTexture(&cubemapTexture, pixels, width, height);
  std::free(bytes);
  std::free(pixels);
  if (uploadError != GL_NO_ERROR) {
    // The GL did not take the image (out of memory, say): without a texture the patch is
    // drawn in plain colour, as when the file is missing.
    glDeleteTextures(1, &cubemapTexture);
    cubemapTexture = 0;
    // Binding the released name again would bring it back as an empty texture.
    const GLuint rebind = static_cast<GLuint>(boundBefore);
    glBindTexture(GL_TEXTURE_2D, rebind == released ? 0u : rebind);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envBefore);
    reportFailure();
    return;
  }
  atlasWidth = static_cast<int>(width);
  atlasHeight = static_cast<int>(height);
  std::printf("width: %d height: %d\n", static_cast<int>(width), static_cast<int>(height));
  std::fflush(stdout);
}

bool reloadCubemap(const char* path) {
  unsigned char* bytes = nullptr;
  std::size_t size = 0;
  unsigned char* pixels = nullptr;
  unsigned width = 0;
  unsigned height = 0;
  GLint maxTextureSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
  const unsigned maxSide = maxTextureSize > 0 ? static_cast<unsigned>(maxTextureSize) : 0u;
  bool loaded = lodepng_load_file(&bytes, &size, path) == 0 && bytes != nullptr && size != 0 &&
                decodeCubemap(bytes, size, maxSide, &pixels, &width, &height) == 0;
  std::free(bytes);

  GLint old = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &old);
  GLint envBefore = GL_MODULATE;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envBefore);
  GLuint fresh = 0;
  if (loaded) {
    // The new texture is made beside the old one, which goes only once the upload took.
    while (glGetError() != GL_NO_ERROR) {
    }
    loaded = uploadAtlasTexture(&fresh, pixels, width, height) == GL_NO_ERROR;
  }
  std::free(pixels);
  if (!loaded) {
    if (fresh != 0) {
      glDeleteTextures(1, &fresh);
      glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(old));
      glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envBefore);
    }
    reportFailure();
    std::printf("%s not loaded: the environment stays as it was\n", path);
    std::fflush(stdout);
    return false;
  }
  const GLuint released = static_cast<GLuint>(old);
  if (released != 0) glDeleteTextures(1, &released);
  atlasWidth = static_cast<int>(width);
  atlasHeight = static_cast<int>(height);
  std::printf("width: %d height: %d\n", static_cast<int>(width), static_cast<int>(height));
  std::fflush(stdout);
  return true;
}
