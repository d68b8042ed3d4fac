// The reflection mapping of the mirror: every sample's normal reflects the camera's viewing
// direction, and the reflection picks a point of the 4 by 3 cube-map atlas. Pure arithmetic
// over the patch arrays and the camera; no GL.
#pragma once

#include "render/atlas_layout.h"

// How each face maps a direction r into its cell, by face number, as the lookup uses it:
// with m = |r[axis]|, a = aSign * (r[aAxis] / m) and b = bSign * (r[bAxis] / m), each in
// -1..1 where the face's component dominates, then s = (sHi - sLo) * (a + 1) * 0.5 + sLo and
// t = (tHi - tLo) * (b + 1) * 0.5 + tLo. Signs are +-1, so applying one is exact.
struct FaceRule {
  int axis, aAxis, bAxis;  // 0 x, 1 y, 2 z
  double aSign, bSign;
  double sLo, sHi, tLo, tHi;  // the cell
};

// The rule of a face's cell in kAtlasCells: the cell's bounds as fractions of the atlas.
constexpr FaceRule faceRule(int face) {
  const FaceCell& cell = kAtlasCells[face];
  return {faceAxis(face),
          cell.aAxis,
          cell.bAxis,
          static_cast<double>(cell.aSign),
          static_cast<double>(cell.bSign),
          static_cast<double>(cell.column) / kAtlasColumns,
          static_cast<double>(cell.column + 1) / kAtlasColumns,
          static_cast<double>(cell.row) / kAtlasRows,
          static_cast<double>(cell.row + 1) / kAtlasRows};
}
constexpr FaceRule kFaceRules[6] = {faceRule(0), faceRule(1), faceRule(2),
                                    faceRule(3), faceRule(4), faceRule(5)};

// d = cameraCenter - cameraEye in single precision: the one view direction of the patch.
void viewDirection(float d[3]);

// r = d - 2 (n . d) n in single precision, n rounded to float: the reflection of the view
// direction d (not normalised) in the plane with normal n, unnormalised. Inline, as the
// mapping and the cutting of straddling quads both compute it per sample.
inline void reflectView(const double n[3], const float d[3], float r[3]) {
  const float nx = static_cast<float>(n[0]);
  const float ny = static_cast<float>(n[1]);
  const float nz = static_cast<float>(n[2]);
  const float dot = (ny * d[1] + nx * d[0]) + nz * d[2];
  const float f = dot * -2.0f;
  r[0] = nx * f + d[0];
  r[1] = ny * f + d[1];
  r[2] = nz * f + d[2];
}

// The face a direction points to: X where |x| beats |y| and |z|, else Y where |y| beats
// |z|, else Z; negative only when the component is below 0. Ties go to Y over X and to Z.
int directionFace(double x, double y, double z);

// Atlas coordinates of a direction through the cell of `face`, by its rule in kFaceRules.
// The face's own component must not be 0; the result leaves the cell where it does not dominate.
void faceTexCoord(int face, double x, double y, double z, double st[2]);

// Atlas coordinates (s, t), each in 0..1, of the reflection of the view direction d (eye to
// look-at, not normalised) in the plane with normal n; returns the face. A zero normal
// reflects nothing (r = d). A zero d, which has no direction, gives the middle of the +Z cell.
int reflectionTexCoord(const double n[3], const float d[3], double st[2]);

// Fills texCoords and texFaces from surfaceNormals and the camera's view direction. No GL.
void computeTexCoords();
