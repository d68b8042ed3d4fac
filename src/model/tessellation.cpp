// Separable evaluation of the bicubic patch and per-sample normals.
// Every sum starts from 0.0 and adds its terms in ascending index order, so the result is
// the same bits in every build (fused multiply-adds are off project-wide).
#include "model/tessellation.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/state.h"

namespace {

constexpr int kLast = kSamples - 1;

// bernstein transposed: weightColumns[j][l] = bernstein[l][j], so pass 2 reads along l.
// The extra zero column pads a pair of lanes at l = 128.
alignas(16) double weightColumns[kGridSize][kSamples + 1];

void evaluateColumnCurves() {
  for (int j = 0; j < kGridSize; ++j) {
    for (int k = 0; k < kSamples; ++k) {
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int i = 0; i < kGridSize; ++i) sum += bernstein[k][i] * controlPoints[i][j][c];
        columnCurves[j][k][c] = sum;
      }
    }
  }
}

void transposeWeights() {
  for (int j = 0; j < kGridSize; ++j)
    for (int l = 0; l < kSamples; ++l) weightColumns[j][l] = bernstein[l][j];
}

#if defined(__SSE2__)

// The divides and square roots bound the cost, so they run two samples at a time; short
// per-row loops keep registers free of spills. Every lane does the scalar operations in
// the scalar order, so the bits match the sample-by-sample form below.

// Positions again, one flat plane per coordinate so that neighbours along l sit side by
// side. The padding around the rows is read only by lanes that are masked or never stored.
constexpr int kPlaneStride = kSamples + 1;
constexpr int kPlaneOffset = 2;  // keeps even l on 16-byte boundaries
constexpr int kPlaneSize = kPlaneOffset + kSamples * kPlaneStride + 2;
constexpr int kPairs = kPlaneStride / 2;  // lanes l = 0..129; lane 129 is never stored
alignas(16) double pointPlanes[3][kPlaneSize];
// Per lane of the current row, the sum of its four unit cross products: [c][l].
alignas(16) double crossSums[3][kPlaneStride];

inline int planeIndex(int k, int l) { return kPlaneOffset + k * kPlaneStride + l; }

// Writes lanes l and (when both) l + 1 as [l][x, y, z] triples of one row.
inline void storeTriples(double (*row)[3], int l, __m128d x, __m128d y, __m128d z, bool both) {
  if (both) {
    _mm_storeu_pd(&row[l][0], _mm_unpacklo_pd(x, y));
    _mm_storeu_pd(&row[l][2], _mm_shuffle_pd(z, x, 2));
    _mm_storeu_pd(&row[l + 1][1], _mm_unpackhi_pd(y, z));
  } else {
    _mm_storel_pd(&row[l][0], x);
    _mm_storel_pd(&row[l][1], y);
    _mm_storel_pd(&row[l][2], z);
  }
}

// Lane by lane the same operations as the scalar a x b.
inline void crossPair(__m128d ax, __m128d ay, __m128d az, __m128d bx, __m128d by, __m128d bz,
                      __m128d& ox, __m128d& oy, __m128d& oz) {
  ox = _mm_sub_pd(_mm_mul_pd(ay, bz), _mm_mul_pd(az, by));
  oy = _mm_sub_pd(_mm_mul_pd(az, bx), _mm_mul_pd(ax, bz));
  oz = _mm_sub_pd(_mm_mul_pd(ax, by), _mm_mul_pd(ay, bx));
}

// Divides each lane's vector by its length sqrt((x² + y²) + z²) when that is greater than
// 0, else by 1, which keeps its bits: the scalar rule without a branch.
inline void normalizePair(__m128d& x, __m128d& y, __m128d& z) {
  const __m128d squares =
      _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, x), _mm_mul_pd(y, y)), _mm_mul_pd(z, z));
  const __m128d length = _mm_sqrt_pd(squares);
  const __m128d positive = _mm_cmpgt_pd(length, _mm_setzero_pd());
  const __m128d divisor =
      _mm_or_pd(_mm_and_pd(positive, length), _mm_andnot_pd(positive, _mm_set1_pd(1.0)));
  x = _mm_div_pd(x, divisor);
  y = _mm_div_pd(y, divisor);
  z = _mm_div_pd(z, divisor);
}

// Neighbour minus p, or +0.0 in the lanes where mask is all zero bits: the zero vector
// that stands for a neighbour off the grid.
inline __m128d maskedDifference(const double* neighbour, __m128d p, __m128d mask) {
  return _mm_and_pd(_mm_sub_pd(_mm_loadu_pd(neighbour), p), mask);
}

// The four column-curve points of one row, each coordinate in both lanes.
struct RowCurve {
  __m128d a[3][kGridSize];
};

inline void loadRowCurve(int k, RowCurve& curve) {
  for (int c = 0; c < 3; ++c)
    for (int j = 0; j < kGridSize; ++j) curve.a[c][j] = _mm_set1_pd(columnCurves[j][k][c]);
}

// Positions of lanes l, l + 1 of row k: the sum from 0.0 over j of columnCurves[j][k] times
// bernstein[l][j]; the leading 0.0 turns a -0.0 first term into +0.0, as the plain sum does.
inline void positionPair(int k, int l, const RowCurve& curve, bool both) {
  const __m128d w0 = _mm_load_pd(&weightColumns[0][l]);
  const __m128d w1 = _mm_load_pd(&weightColumns[1][l]);
  const __m128d w2 = _mm_load_pd(&weightColumns[2][l]);
  const __m128d w3 = _mm_load_pd(&weightColumns[3][l]);
  __m128d v[3];
  for (int c = 0; c < 3; ++c) {
    __m128d sum = _mm_add_pd(_mm_setzero_pd(), _mm_mul_pd(curve.a[c][0], w0));
    sum = _mm_add_pd(sum, _mm_mul_pd(curve.a[c][1], w1));
    sum = _mm_add_pd(sum, _mm_mul_pd(curve.a[c][2], w2));
    sum = _mm_add_pd(sum, _mm_mul_pd(curve.a[c][3], w3));
    _mm_store_pd(&pointPlanes[c][planeIndex(k, l)], sum);
    v[c] = sum;
  }
  storeTriples(surfacePoints[k], l, v[0], v[1], v[2], both);
}

// Which neighbours the lanes of a row have; off-grid rows point at p itself, masked.
struct RowNeighbours {
  __m128d down, up;
  int downDelta, upDelta;
};

inline void rowNeighbours(int k, RowNeighbours& n) {
  const __m128d all = _mm_castsi128_pd(_mm_set1_epi32(-1));
  n.down = k < kLast ? all : _mm_setzero_pd();
  n.up = k > 0 ? all : _mm_setzero_pd();
  n.downDelta = k < kLast ? kPlaneStride : 0;
  n.upDelta = k > 0 ? -kPlaneStride : 0;
}

// Lanes l, l + 1 of row k: differences to the left, down (k + 1), right and up (k - 1)
// neighbours, the cyclic cross products c0 = d1 x d0, c1 = d2 x d1, c2 = d3 x d2,
// c3 = d0 x d3, each made unit, and ((c0 + c1) + c2) + c3.
inline void crossSumPair(int k, int l, const RowNeighbours& n, __m128d left, __m128d right) {
  const int at = planeIndex(k, l);
  const double* x = &pointPlanes[0][at];
  const double* y = &pointPlanes[1][at];
  const double* z = &pointPlanes[2][at];
  const __m128d px = _mm_load_pd(x), py = _mm_load_pd(y), pz = _mm_load_pd(z);
  const __m128d d0x = maskedDifference(x - 1, px, left);
  const __m128d d0y = maskedDifference(y - 1, py, left);
  const __m128d d0z = maskedDifference(z - 1, pz, left);
  const __m128d d1x = maskedDifference(x + n.downDelta, px, n.down);
  const __m128d d1y = maskedDifference(y + n.downDelta, py, n.down);
  const __m128d d1z = maskedDifference(z + n.downDelta, pz, n.down);
  const __m128d d2x = maskedDifference(x + 1, px, right);
  const __m128d d2y = maskedDifference(y + 1, py, right);
  const __m128d d2z = maskedDifference(z + 1, pz, right);
  const __m128d d3x = maskedDifference(x + n.upDelta, px, n.up);
  const __m128d d3y = maskedDifference(y + n.upDelta, py, n.up);
  const __m128d d3z = maskedDifference(z + n.upDelta, pz, n.up);
  __m128d c0x, c0y, c0z, c1x, c1y, c1z, c2x, c2y, c2z, c3x, c3y, c3z;
  crossPair(d1x, d1y, d1z, d0x, d0y, d0z, c0x, c0y, c0z);
  crossPair(d2x, d2y, d2z, d1x, d1y, d1z, c1x, c1y, c1z);
  crossPair(d3x, d3y, d3z, d2x, d2y, d2z, c2x, c2y, c2z);
  crossPair(d0x, d0y, d0z, d3x, d3y, d3z, c3x, c3y, c3z);
  normalizePair(c0x, c0y, c0z);
  normalizePair(c1x, c1y, c1z);
  normalizePair(c2x, c2y, c2z);
  normalizePair(c3x, c3y, c3z);
  _mm_store_pd(&crossSums[0][l], _mm_add_pd(_mm_add_pd(_mm_add_pd(c0x, c1x), c2x), c3x));
  _mm_store_pd(&crossSums[1][l], _mm_add_pd(_mm_add_pd(_mm_add_pd(c0y, c1y), c2y), c3y));
  _mm_store_pd(&crossSums[2][l], _mm_add_pd(_mm_add_pd(_mm_add_pd(c0z, c1z), c2z), c3z));
}

// Lanes l, l + 1 of row k: the summed cross products made unit, into surfaceNormals.
inline void normalPair(int k, int l, bool both) {
  __m128d x = _mm_load_pd(&crossSums[0][l]);
  __m128d y = _mm_load_pd(&crossSums[1][l]);
  __m128d z = _mm_load_pd(&crossSums[2][l]);
  normalizePair(x, y, z);
  storeTriples(surfaceNormals[k], l, x, y, z, both);
}

void rowPositions(int k) {
  RowCurve curve;
  loadRowCurve(k, curve);
  for (int pair = 0; pair < kPairs; ++pair) positionPair(k, 2 * pair, curve, pair + 1 < kPairs);
}

// Needs the positions of rows k - 1, k and k + 1 (those that exist).
void rowNormals(int k) {
  RowNeighbours neighbours;
  rowNeighbours(k, neighbours);
  const __m128d all = _mm_castsi128_pd(_mm_set1_epi32(-1));
  // Lane l = 0 has no left neighbour, lane l = 128 no right one.
  crossSumPair(k, 0, neighbours, _mm_castsi128_pd(_mm_set_epi64x(-1, 0)), all);
  for (int pair = 1; pair + 1 < kPairs; ++pair) crossSumPair(k, 2 * pair, neighbours, all, all);
  crossSumPair(k, 2 * (kPairs - 1), neighbours, all, _mm_setzero_pd());
  for (int pair = 0; pair < kPairs; ++pair) normalPair(k, 2 * pair, pair + 1 < kPairs);
}

void evaluatePointsAndNormals() {
  rowPositions(0);
  for (int k = 0; k < kSamples; ++k) {
    if (k < kLast) rowPositions(k + 1);
    rowNormals(k);
  }
}

#else

// Without SSE2: the same arithmetic one sample at a time.

// Coordinate c of row k, l = 0..128; the leading 0.0 turns a -0.0 first term into +0.0, as
// the plain sum from 0.0 does.
inline void evaluateRowCoordinate(int k, int c, double* out) {
  const double a0 = columnCurves[0][k][c];
  const double a1 = columnCurves[1][k][c];
  const double a2 = columnCurves[2][k][c];
  const double a3 = columnCurves[3][k][c];
  for (int l = 0; l < kSamples; ++l)
    out[l] = (((0.0 + a0 * weightColumns[0][l]) + a1 * weightColumns[1][l]) +
              a2 * weightColumns[2][l]) +
             a3 * weightColumns[3][l];
}

void evaluatePoints() {
  double row[3][kSamples];
  for (int k = 0; k < kSamples; ++k) {
    for (int c = 0; c < 3; ++c) evaluateRowCoordinate(k, c, row[c]);
    for (int l = 0; l < kSamples; ++l)
      for (int c = 0; c < 3; ++c) surfacePoints[k][l][c] = row[c][l];
  }
}

inline void cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// Divides v by its length when that is greater than 0. Dividing by 1 otherwise keeps v's
// bits unchanged.
inline void normalizeIfNonZero(double v[3]) {
  const double length = std::sqrt((v[0] * v[0] + v[1] * v[1]) + v[2] * v[2]);
  const double divisor = length > 0.0 ? length : 1.0;
  v[0] = v[0] / divisor;
  v[1] = v[1] / divisor;
  v[2] = v[2] / divisor;
}

inline void difference(const double a[3], const double p[3], double out[3]) {
  out[0] = a[0] - p[0];
  out[1] = a[1] - p[1];
  out[2] = a[2] - p[2];
}

// Four neighbour differences in cyclic order (left, down, right, up in sample indices),
// the zero vector for a neighbour off the grid.
void sampleNormal(int k, int l) {
  const double* p = surfacePoints[k][l];
  double d[4][3] = {};
  if (l > 0) difference(surfacePoints[k][l - 1], p, d[0]);
  if (k < kLast) difference(surfacePoints[k + 1][l], p, d[1]);
  if (l < kLast) difference(surfacePoints[k][l + 1], p, d[2]);
  if (k > 0) difference(surfacePoints[k - 1][l], p, d[3]);
  double c[4][3];
  cross(d[1], d[0], c[0]);
  cross(d[2], d[1], c[1]);
  cross(d[3], d[2], c[2]);
  cross(d[0], d[3], c[3]);
  double* n = surfaceNormals[k][l];
  for (int m = 0; m < 4; ++m) normalizeIfNonZero(c[m]);
  for (int i = 0; i < 3; ++i) n[i] = ((c[0][i] + c[1][i]) + c[2][i]) + c[3][i];
  normalizeIfNonZero(n);
}

void evaluatePointsAndNormals() {
  evaluatePoints();
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l) sampleNormal(k, l);
}

#endif

}  // namespace

void updateSurface() {
  // Pass 1: the curves along u through each control column.
  evaluateColumnCurves();
  // Pass 2, for every u sample the curve along v through its four column-curve points, and
  // the normals from the final positions.
  transposeWeights();
  evaluatePointsAndNormals();
}
