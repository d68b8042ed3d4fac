// Environment mapping of the patch. The reflection is single precision, the cell lookup
// double precision, so that the texel chosen is the same bits in every build.
#include "render/mirror.h"

#include <GL/gl.h>

#include <cmath>

#include "app/state.h"

namespace {

constexpr double kThird = 1.0 / 3.0;
constexpr double kTwoThirds = 2.0 / 3.0;

void cellCoordinates(double sLo, double sHi, double tLo, double tHi, double a, double b,
                     double st[2]) {
  st[0] = (sHi - sLo) * (a + 1.0) * 0.5 + sLo;
  st[1] = (tHi - tLo) * (b + 1.0) * 0.5 + tLo;
}

}  // namespace

void reflectionTexCoord(const double n[3], const float d[3], double st[2]) {
  const float nx = static_cast<float>(n[0]);
  const float ny = static_cast<float>(n[1]);
  const float nz = static_cast<float>(n[2]);
  const float dot = (ny * d[1] + nx * d[0]) + nz * d[2];
  const float f = dot * -2.0f;
  const float rx = nx * f + d[0];
  const float ry = ny * f + d[1];
  const float rz = nz * f + d[2];
  const float root = static_cast<float>(std::sqrt(static_cast<double>((ry * ry + rx * rx) + rz * rz)));
  const float g = 1.0f / root;
  const double x = g * rx;
  const double y = g * ry;
  const double z = g * rz;
  const double ax = std::fabs(x);
  const double ay = std::fabs(y);
  const double az = std::fabs(z);

  // With the eye on the look-at point there is nothing to reflect (and an overflowing
  // length would leave no direction either): fall back to the middle of the +Z cell,
  // where the three-way tie rule would put a zero direction.
  if (!(ax > 0.0 || ay > 0.0 || az > 0.0)) {
    st[0] = 0.875;
    st[1] = 0.5;
    return;
  }

  if (ax > ay && ax > az) {
    if (x < 0.0)
      cellCoordinates(0.0, 0.25, kThird, kTwoThirds, -(z / ax), -(y / ax), st);
    else
      cellCoordinates(0.5, 0.75, kThird, kTwoThirds, z / ax, -(y / ax), st);
  } else if (ay > az) {
    if (y < 0.0)
      cellCoordinates(0.25, 0.5, kTwoThirds, 1.0, x / ay, z / ay, st);
    else
      cellCoordinates(0.25, 0.5, 0.0, kThird, x / ay, -(z / ay), st);
  } else {
    if (z < 0.0)
      cellCoordinates(0.25, 0.5, kThird, kTwoThirds, x / az, -(y / az), st);
    else
      cellCoordinates(0.75, 1.0, kThird, kTwoThirds, -(x / az), -(y / az), st);
  }
}

void computeTexCoords() {
  const float d[3] = {cameraCenter[0] - cameraEye[0], cameraCenter[1] - cameraEye[1],
                      cameraCenter[2] - cameraEye[2]};
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l) reflectionTexCoord(surfaceNormals[k][l], d, texCoords[k][l]);
}

void drawMirrorPatch() {
  computeTexCoords();
  glEnable(GL_TEXTURE_2D);
  for (int k = 1; k < kSamples; ++k) {
    glBegin(GL_QUAD_STRIP);
    for (int l = 0; l < kSamples; ++l) {
      glTexCoord2dv(texCoords[k - 1][l]);
      glVertex3dv(surfacePoints[k - 1][l]);
      glTexCoord2dv(texCoords[k][l]);
      glVertex3dv(surfacePoints[k][l]);
    }
    glEnd();
  }
  glDisable(GL_TEXTURE_2D);
}
