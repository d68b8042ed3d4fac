// Separable evaluation of the bicubic patch and per-sample normals.
// Every sum starts from 0.0 and adds its terms in ascending index order, so the result is
// the same bits in every build (fused multiply-adds are off project-wide).
#include "model/tessellation.h"

#include <cmath>

#include "app/state.h"
#include "model/wide_loops.h"

// The 15 divides and 5 square roots per sample bound the cost: the row loops are also built
// for AVX2 (PATCHLUME_WIDE_LOOPS).
namespace {

constexpr int kLast = kSamples - 1;

// bernstein transposed, weightColumns[j][l] = bernstein[l][j], so pass 2 reads along l.
alignas(32) double weightColumns[kGridSize][kSamples];

// Positions of the rows k - 1, k and k + 1, in slots k % 3, one plane per coordinate so
// that neighbours along l sit side by side. Sample l sits at l + kPad (whole vectors from
// lane 0); the entries either side stand in for the off-grid neighbours of the rim lanes.
constexpr int kRowSlots = 3;
constexpr int kPad = 4;
constexpr int kPlaneStride = 136;
static_assert(kPlaneStride >= kPad + kSamples + 1 && kPlaneStride % 4 == 0, "plane padding");
using RowPlanes = double[3][kPlaneStride];
alignas(32) RowPlanes rowPlanes[kRowSlots];

// Per sample of the current row, the sum of its four unit cross products: [x, y, z][l].
alignas(32) double crossSums[3][kSamples];

struct Vec3 {
  double x, y, z;
};

RowPlanes& planesOf(int k) { return rowPlanes[k % kRowSlots]; }

inline Vec3 pointAt(const RowPlanes& row, int l) {
  return {row[0][l + kPad], row[1][l + kPad], row[2][l + kPad]};
}

inline void store(double* out, Vec3 v) {
  out[0] = v.x;
  out[1] = v.y;
  out[2] = v.z;
}

// Neighbour minus p, or the zero vector when the neighbour is off the grid.
inline Vec3 differenceOrZero(bool present, Vec3 neighbour, Vec3 p) {
  return {present ? neighbour.x - p.x : 0.0, present ? neighbour.y - p.y : 0.0,
          present ? neighbour.z - p.z : 0.0};
}

inline Vec3 cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// v divided by its length when that is greater than 0; dividing by 1 otherwise keeps v's
// bits, and leaves no branch in the loop.
inline Vec3 unitOrKept(Vec3 v) {
  const double length = std::sqrt((v.x * v.x + v.y * v.y) + v.z * v.z);
  const double divisor = length > 0.0 ? length : 1.0;
  return {v.x / divisor, v.y / divisor, v.z / divisor};
}

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

// Coordinate of sample l on the curve through a0..a3; the leading 0.0 turns a -0.0 first
// term into +0.0, as the plain sum from 0.0 does.
inline double curveCoordinate(double a0, double a1, double a2, double a3, int l) {
  return (((0.0 + a0 * weightColumns[0][l]) + a1 * weightColumns[1][l]) +
          a2 * weightColumns[2][l]) +
         a3 * weightColumns[3][l];
}

// Positions of row k into its planes (surfacePoints is written from them with the normals).
PATCHLUME_WIDE_LOOPS
void rowPositions(int k) {
  RowPlanes& row = planesOf(k);
  for (int c = 0; c < 3; ++c) {
    const double a0 = columnCurves[0][k][c];
    const double a1 = columnCurves[1][k][c];
    const double a2 = columnCurves[2][k][c];
    const double a3 = columnCurves[3][k][c];
    for (int l = 0; l < kSamples; ++l) row[c][l + kPad] = curveCoordinate(a0, a1, a2, a3, l);
  }
}

// The planes around row k; the rows above (k - 1) and below (k + 1) are masked by flag.
struct RowNeighbourhood {
  const RowPlanes& up;
  const RowPlanes& row;
  const RowPlanes& down;
  bool hasUp, hasDown;
};

// crossSums[l] from the neighbours left, down (k + 1), right and up (k - 1): the cyclic
// cross products c0 = d1 x d0, c1 = d2 x d1, c2 = d3 x d2, c3 = d0 x d3, each made unit,
// and ((c0 + c1) + c2) + c3. Forced inline: called three times, it would otherwise stay a
// call, and a loop with a call in it does not vectorise.
[[gnu::always_inline]] inline void crossSumAt(const RowNeighbourhood& n, int l, bool hasLeft, bool hasRight) {
  const Vec3 p = pointAt(n.row, l);
  const Vec3 d0 = differenceOrZero(hasLeft, pointAt(n.row, l - 1), p);
  const Vec3 d1 = differenceOrZero(n.hasDown, pointAt(n.down, l), p);
  const Vec3 d2 = differenceOrZero(hasRight, pointAt(n.row, l + 1), p);
  const Vec3 d3 = differenceOrZero(n.hasUp, pointAt(n.up, l), p);
  const Vec3 c0 = unitOrKept(cross(d1, d0));
  const Vec3 c1 = unitOrKept(cross(d2, d1));
  const Vec3 c2 = unitOrKept(cross(d3, d2));
  const Vec3 c3 = unitOrKept(cross(d0, d3));
  crossSums[0][l] = ((c0.x + c1.x) + c2.x) + c3.x;
  crossSums[1][l] = ((c0.y + c1.y) + c2.y) + c3.y;
  crossSums[2][l] = ((c0.z + c1.z) + c2.z) + c3.z;
}

// crossSums of row k, and row k of surfacePoints. The loop treats lanes 0..127 as inner
// lanes, which keeps per-lane masks out of it; lane 0 is then redone with its left
// neighbour masked, and lane 128 done with its right one masked.
PATCHLUME_WIDE_LOOPS
void rowCrossSums(int k) {
  const RowNeighbourhood n = {planesOf(k + kRowSlots - 1), planesOf(k), planesOf(k + 1), k > 0,
                              k < kLast};
  for (int l = 0; l < kLast; ++l) {
    crossSumAt(n, l, true, true);
    store(surfacePoints[k][l], pointAt(n.row, l));
  }
  crossSumAt(n, 0, false, true);
  crossSumAt(n, kLast, true, false);
  store(surfacePoints[k][kLast], pointAt(n.row, kLast));
}

// Row k of surfaceNormals: crossSums made unit.
PATCHLUME_WIDE_LOOPS
void rowNormals(int k) {
  for (int l = 0; l < kSamples; ++l)
    store(surfaceNormals[k][l], unitOrKept({crossSums[0][l], crossSums[1][l], crossSums[2][l]}));
}

}  // namespace

void updateSurface() {
  // Pass 1: the curves along u through each control column.
  evaluateColumnCurves();
  // Pass 2, for every u sample the curve along v through its four column-curve points, and
  // the normals of each row as soon as the row after it is known.
  transposeWeights();
  rowPositions(0);
  for (int k = 0; k < kSamples; ++k) {
    if (k < kLast) rowPositions(k + 1);
    rowCrossSums(k);
    rowNormals(k);
  }
}
