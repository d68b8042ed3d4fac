// The zebra atlas's upload and the patch drawn over it; the bands come from analysis/zebra.
#include "render/zebra_patch.h"

#include <GL/gl.h>

#include <cstdlib>

#include "render/zebra.h"
#include "app/state.h"
#include "render/atlas_layout.h"
#include "render/mirror.h"

namespace {

constexpr int kZebraWidth = kAtlasColumns * kZebraCellSize;  // texels
constexpr int kZebraHeight = kAtlasRows * kZebraCellSize;    // texels

// Fills and uploads the zebra atlas into zebraTexture (made on first use) while it is bound,
// as 8-bit grey expanded to RGB, linear filters, GL_REPEAT like the environment. Does nothing
// when its memory cannot be had.
void uploadZebraTexture() {
  unsigned char* luminance = static_cast<unsigned char*>(std::malloc(kZebraWidth * kZebraHeight));
  if (luminance == nullptr) return;
  fillZebraAtlas(kZebraCellSize, zebraBands, zebraAxis, luminance);
  if (zebraTexture == 0) glGenTextures(1, &zebraTexture);
  glBindTexture(GL_TEXTURE_2D, zebraTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  // Rows of 4 * kZebraCellSize bytes keep the default unpack alignment of 4.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kZebraWidth, kZebraHeight, 0, GL_LUMINANCE,
               GL_UNSIGNED_BYTE, luminance);
  std::free(luminance);
  zebraTextureBands = zebraBands;
  zebraTextureAxis = zebraAxis;
}

}  // namespace

void drawZebraPatch() {
  GLint environment = 0, mode = GL_DECAL;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &environment);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  if (zebraTextureBands != zebraBands || zebraTextureAxis != zebraAxis) uploadZebraTexture();
  glBindTexture(GL_TEXTURE_2D, zebraTexture);
  // The texel replaces the colour, whether or not an environment ever set the mode.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
  drawMirrorPatchOver(kZebraWidth, kZebraHeight);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(environment));
}

