// Separable evaluation of the bicubic patch and per-sample normals.
// Every sum starts from 0.0 and adds its terms in ascending index order, so the result is
// the same bits in every build (fused multiply-adds are off project-wide).
#include "model/tessellation.h"

#include <cmath>

#include "app/state.h"

namespace {

constexpr int kLast = kSamples - 1;

inline void cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// Divides v by its length when that is greater than 0. Dividing by 1 otherwise keeps v's
// bits unchanged and lets the loop stay free of branches.
inline void normalizeIfNonZero(double v[3]) {
  const double length = std::sqrt((v[0] * v[0] + v[1] * v[1]) + v[2] * v[2]);
  const double divisor = length > 0.0 ? length : 1.0;
  v[0] = v[0] / divisor;
  v[1] = v[1] / divisor;
  v[2] = v[2] / divisor;
}

// Normal from the four neighbour differences in cyclic order (left, down, right, up in
// sample indices); a missing neighbour is passed as the zero vector.
inline void normalFromDifferences(const double d0[3], const double d1[3], const double d2[3],
                                  const double d3[3], double n[3]) {
  double c0[3], c1[3], c2[3], c3[3];
  cross(d1, d0, c0);
  cross(d2, d1, c1);
  cross(d3, d2, c2);
  cross(d0, d3, c3);
  normalizeIfNonZero(c0);
  normalizeIfNonZero(c1);
  normalizeIfNonZero(c2);
  normalizeIfNonZero(c3);
  for (int c = 0; c < 3; ++c) n[c] = ((c0[c] + c1[c]) + c2[c]) + c3[c];
  normalizeIfNonZero(n);
}

inline void difference(const double a[3], const double p[3], double out[3]) {
  out[0] = a[0] - p[0];
  out[1] = a[1] - p[1];
  out[2] = a[2] - p[2];
}

void sampleNormal(int k, int l) {
  const double* p = surfacePoints[k][l];
  double d[4][3] = {};
  if (l > 0) difference(surfacePoints[k][l - 1], p, d[0]);
  if (k < kLast) difference(surfacePoints[k + 1][l], p, d[1]);
  if (l < kLast) difference(surfacePoints[k][l + 1], p, d[2]);
  if (k > 0) difference(surfacePoints[k - 1][l], p, d[3]);
  normalFromDifferences(d[0], d[1], d[2], d[3], surfaceNormals[k][l]);
}

}  // namespace

void updateSurface() {
  // Pass 1: the curves along u through each control column.
  for (int j = 0; j < kGridSize; ++j) {
    for (int k = 0; k < kSamples; ++k) {
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int i = 0; i < kGridSize; ++i) sum += bernstein[k][i] * controlPoints[i][j][c];
        columnCurves[j][k][c] = sum;
      }
    }
  }
  // Pass 2: for every u sample, the curve along v through the four column-curve points.
  for (int k = 0; k < kSamples; ++k) {
    for (int l = 0; l < kSamples; ++l) {
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int j = 0; j < kGridSize; ++j) sum += columnCurves[j][k][c] * bernstein[l][j];
        surfacePoints[k][l][c] = sum;
      }
    }
  }
  // Normals, once every position is final. The rim has missing neighbours; the interior
  // has all four, which keeps its loop free of branches.
  for (int k = 0; k < kSamples; ++k) {
    if (k == 0 || k == kLast) {
      for (int l = 0; l < kSamples; ++l) sampleNormal(k, l);
      continue;
    }
    sampleNormal(k, 0);
    for (int l = 1; l < kLast; ++l) {
      const double* p = surfacePoints[k][l];
      double d0[3], d1[3], d2[3], d3[3];
      difference(surfacePoints[k][l - 1], p, d0);
      difference(surfacePoints[k + 1][l], p, d1);
      difference(surfacePoints[k][l + 1], p, d2);
      difference(surfacePoints[k - 1][l], p, d3);
      normalFromDifferences(d0, d1, d2, d3, surfaceNormals[k][l]);
    }
    sampleNormal(k, kLast);
  }
}
