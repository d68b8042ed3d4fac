// Tessellation of the patch: positions against a direct double-sum evaluation, and the
// whole output, bit for bit, against a plain reference of the separable passes and the
// four-difference normals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "app/state.h"
#include "model/basis.h"
#include "model/tessellation.h"

namespace {

constexpr int kLast = kSamples - 1;

// Reference outputs, kept apart from the product's arrays.
double refCurves[kGridSize][kSamples][3];
double refPoints[kSamples][kSamples][3];
double refNormals[kSamples][kSamples][3];

void refNormalize(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length > 0.0) {
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
  }
}

void refCross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// The straightforward order: sums from 0.0 in ascending index, then per sample the four
// neighbour differences (zero where the neighbour is off the grid), the cyclic cross
// products, each normalised when its length is positive, and their normalised sum.
void referenceSurface() {
  for (int j = 0; j < kGridSize; ++j)
    for (int k = 0; k < kSamples; ++k)
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int i = 0; i < kGridSize; ++i) sum = sum + bernstein[k][i] * controlPoints[i][j][c];
        refCurves[j][k][c] = sum;
      }
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l)
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int j = 0; j < kGridSize; ++j) sum = sum + refCurves[j][k][c] * bernstein[l][j];
        refPoints[k][l][c] = sum;
      }
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l) {
      const double* p = refPoints[k][l];
      double d[4][3] = {{0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}};
      const double* neighbour[4] = {l > 0 ? refPoints[k][l - 1] : nullptr,
                                    k < kLast ? refPoints[k + 1][l] : nullptr,
                                    l < kLast ? refPoints[k][l + 1] : nullptr,
                                    k > 0 ? refPoints[k - 1][l] : nullptr};
      for (int m = 0; m < 4; ++m)
        if (neighbour[m] != nullptr)
          for (int c = 0; c < 3; ++c) d[m][c] = neighbour[m][c] - p[c];
      double cr[4][3];
      for (int m = 0; m < 4; ++m) {
        refCross(d[(m + 1) % 4], d[m], cr[m]);
        refNormalize(cr[m]);
      }
      double* n = refNormals[k][l];
      for (int c = 0; c < 3; ++c) n[c] = ((cr[0][c] + cr[1][c]) + cr[2][c]) + cr[3][c];
      refNormalize(n);
    }
}

// Deterministic values in [lo, hi) from a fixed-seed 64-bit mixer.
std::uint64_t mixState = 0;
double nextUniform(double lo, double hi) {
  std::uint64_t z = (mixState += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return lo + (hi - lo) * (static_cast<double>(z >> 11) / 9007199254740992.0);
}

void prepareTables() {
  initBinomials();
  initBernstein();
}

// Product outputs are prefilled with NaN so an entry the call forgets shows up.
void poisonOutputs() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l)
      for (int c = 0; c < 3; ++c) {
        surfacePoints[k][l][c] = nan;
        surfaceNormals[k][l][c] = nan;
      }
  for (int j = 0; j < kGridSize; ++j)
    for (int k = 0; k < kSamples; ++k)
      for (int c = 0; c < 3; ++c) columnCurves[j][k][c] = nan;
}

void setInitialGrid() {
  prepareTables();
  initControlGrid();
}

// The dome with every coordinate moved by up to 150 units, so no symmetry is left.
void setRandomGrid(std::uint64_t seed) {
  prepareTables();
  initControlGrid();
  mixState = seed;
  for (int i = 0; i < kGridSize; ++i)
    for (int j = 0; j < kGridSize; ++j)
      for (int c = 0; c < 3; ++c) controlPoints[i][j][c] += nextUniform(-150.0, 150.0);
}

// Wild grid: coordinates anywhere in [-1000, 1000), folds and self-intersections included.
void setWildGrid(std::uint64_t seed) {
  prepareTables();
  mixState = seed;
  for (int i = 0; i < kGridSize; ++i)
    for (int j = 0; j < kGridSize; ++j)
      for (int c = 0; c < 3; ++c) controlPoints[i][j][c] = nextUniform(-1000.0, 1000.0);
}

// In the plane z = 0, x growing with i and y falling with j, unevenly spaced.
void setFlatGrid(bool mirroredRows) {
  prepareTables();
  const double xs[4] = {-300.0, -50.0, 120.0, 500.0};
  const double ys[4] = {410.0, 90.0, -20.0, -640.0};
  for (int i = 0; i < kGridSize; ++i)
    for (int j = 0; j < kGridSize; ++j) {
      const int row = mirroredRows ? kGridSize - 1 - i : i;
      controlPoints[row][j][0] = xs[i];
      controlPoints[row][j][1] = ys[j];
      controlPoints[row][j][2] = 0.0;
    }
}

void setConstantGrid() {
  prepareTables();
  for (int i = 0; i < kGridSize; ++i)
    for (int j = 0; j < kGridSize; ++j) {
      controlPoints[i][j][0] = 1.0;
      controlPoints[i][j][1] = 2.0;
      controlPoints[i][j][2] = 3.0;
    }
}

// The initial dome with control row 0 pinched to one point: sample row k = 0 collapses.
void setCollapsedRowGrid() {
  setInitialGrid();
  for (int j = 0; j < kGridSize; ++j) {
    controlPoints[0][j][0] = -560.0;
    controlPoints[0][j][1] = 0.0;
    controlPoints[0][j][2] = -400.0;
  }
}

double length3(const double v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

void expectMatchesReference(const char* label) {
  SCOPED_TRACE(label);
  poisonOutputs();
  updateSurface();
  referenceSurface();
  EXPECT_EQ(std::memcmp(columnCurves, refCurves, sizeof refCurves), 0) << "column curves";
  EXPECT_EQ(std::memcmp(surfacePoints, refPoints, sizeof refPoints), 0) << "positions";
  EXPECT_EQ(std::memcmp(surfaceNormals, refNormals, sizeof refNormals), 0) << "normals";
  // Name the first differing sample, to make a failure readable.
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l)
      if (std::memcmp(surfaceNormals[k][l], refNormals[k][l], sizeof refNormals[k][l]) != 0 ||
          std::memcmp(surfacePoints[k][l], refPoints[k][l], sizeof refPoints[k][l]) != 0) {
        ADD_FAILURE() << "first difference at k=" << k << " l=" << l << ": normal ("
                      << surfaceNormals[k][l][0] << ", " << surfaceNormals[k][l][1] << ", "
                      << surfaceNormals[k][l][2] << ") expected (" << refNormals[k][l][0] << ", "
                      << refNormals[k][l][1] << ", " << refNormals[k][l][2] << ")";
        return;
      }
}

// Largest gap between the product's positions and the full 16-term double sum.
double maxDirectError() {
  double worst = 0.0;
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l)
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int i = 0; i < kGridSize; ++i)
          for (int j = 0; j < kGridSize; ++j)
            sum += bernstein[k][i] * bernstein[l][j] * controlPoints[i][j][c];
        worst = std::fmax(worst, std::fabs(sum - surfacePoints[k][l][c]));
      }
  return worst;
}

}  // namespace

TEST(Tessellation, PositionsAgreeWithDirectEvaluation) {
  {  // initial dome
    setInitialGrid();
    updateSurface();
    EXPECT_LT(maxDirectError(), 1e-13);
  }
  {  // asymmetric grids, coordinates up to 1000: a few units in the last place of that
    for (std::uint64_t seed : {1u, 2u, 3u}) {
      setRandomGrid(seed);
      updateSurface();
      EXPECT_LT(maxDirectError(), 1e-12) << "seed " << seed;
      setWildGrid(seed);
      updateSurface();
      EXPECT_LT(maxDirectError(), 1.5e-12) << "wild seed " << seed;
    }
  }
}

TEST(Tessellation, BitIdenticalToStraightforwardOrder) {
  setInitialGrid();
  expectMatchesReference("initial dome");
  for (std::uint64_t seed : {11u, 12u, 13u, 14u}) {
    setRandomGrid(seed);
    expectMatchesReference("perturbed dome");
    setWildGrid(seed);
    expectMatchesReference("wild grid");
  }
  setFlatGrid(false);
  expectMatchesReference("flat grid");
  setFlatGrid(true);
  expectMatchesReference("flat grid, rows mirrored");
  setConstantGrid();
  expectMatchesReference("all points equal");
  setCollapsedRowGrid();
  expectMatchesReference("row 0 collapsed");
  {  // a column collapsed instead of a row
    setInitialGrid();
    for (int i = 0; i < kGridSize; ++i)
      for (int c = 0; c < 3; ++c) controlPoints[i][3][c] = controlPoints[1][3][c];
    expectMatchesReference("column 3 collapsed");
  }
  {  // tiny and huge magnitudes, where cancellation and rounding dominate
    setRandomGrid(21u);
    for (int i = 0; i < kGridSize; ++i)
      for (int j = 0; j < kGridSize; ++j)
        for (int c = 0; c < 3; ++c) controlPoints[i][j][c] *= 1e-150;
    expectMatchesReference("tiny grid");
    setRandomGrid(22u);
    for (int i = 0; i < kGridSize; ++i)
      for (int j = 0; j < kGridSize; ++j)
        for (int c = 0; c < 3; ++c) controlPoints[i][j][c] *= 1e60;
    expectMatchesReference("huge grid");
  }
  {  // negative zeros among the control points
    setFlatGrid(false);
    for (int i = 0; i < kGridSize; ++i)
      for (int j = 0; j < kGridSize; ++j) controlPoints[i][j][2] = -0.0;
    controlPoints[0][0][0] = -0.0;
    expectMatchesReference("negative zero heights");
  }
}

TEST(Tessellation, CornersAndBoundaryCurves) {
  setRandomGrid(31u);
  updateSurface();
  {  // corners are the corner control points, exactly
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(surfacePoints[0][0][c], controlPoints[0][0][c]);
      EXPECT_EQ(surfacePoints[0][kLast][c], controlPoints[0][3][c]);
      EXPECT_EQ(surfacePoints[kLast][0][c], controlPoints[3][0][c]);
      EXPECT_EQ(surfacePoints[kLast][kLast][c], controlPoints[3][3][c]);
    }
  }
  // The boundary rows and columns are the cubic curves through the boundary control rows
  // and columns; with the zero weights dropping out they come out bit for bit.
  for (int t = 0; t < kSamples; ++t) {
    for (int c = 0; c < 3; ++c) {
      double row0 = 0.0, row3 = 0.0, col0 = 0.0, col3 = 0.0;
      for (int m = 0; m < kGridSize; ++m) {
        row0 += bernstein[t][m] * controlPoints[0][m][c];
        row3 += bernstein[t][m] * controlPoints[3][m][c];
        col0 += bernstein[t][m] * controlPoints[m][0][c];
        col3 += bernstein[t][m] * controlPoints[m][3][c];
      }
      EXPECT_EQ(surfacePoints[0][t][c], row0) << "row k=0, l=" << t;
      EXPECT_EQ(surfacePoints[kLast][t][c], row3) << "row k=128, l=" << t;
      EXPECT_EQ(surfacePoints[t][0][c], col0) << "column l=0, k=" << t;
      EXPECT_EQ(surfacePoints[t][kLast][c], col3) << "column l=128, k=" << t;
    }
  }
}

TEST(Tessellation, InitialDomeSamples) {
  setInitialGrid();
  updateSurface();
  {  // middle and edge midpoints
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(surfacePoints[64][64][c], 0.0, 1e-13) << c;
    EXPECT_NEAR(surfacePoints[0][64][0], -560.0, 1e-12);
    EXPECT_NEAR(surfacePoints[0][64][1], 0.0, 1e-13);
    EXPECT_NEAR(surfacePoints[0][64][2], -200.0, 1e-12);
    EXPECT_NEAR(surfacePoints[64][0][0], 0.0, 1e-13);
    EXPECT_NEAR(surfacePoints[64][0][1], 560.0, 1e-12);
    EXPECT_NEAR(surfacePoints[64][0][2], -200.0, 1e-12);
  }
  {  // corner normals lean outwards, each from its single cross product
    const double a = 0.50056, b = 0.70631;
    const int corner[4][2] = {{0, 0}, {0, kLast}, {kLast, 0}, {kLast, kLast}};
    const double expected[4][3] = {{-a, a, b}, {-a, -a, b}, {a, a, b}, {a, -a, b}};
    for (int q = 0; q < 4; ++q)
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(surfaceNormals[corner[q][0]][corner[q][1]][c], expected[q][c], 1e-5)
            << "corner " << q << " component " << c;
  }
  {  // the middle faces +z
    EXPECT_NEAR(surfaceNormals[64][64][0], 0.0, 1e-12);
    EXPECT_NEAR(surfaceNormals[64][64][1], 0.0, 1e-12);
    EXPECT_NEAR(surfaceNormals[64][64][2], 1.0, 1e-12);
  }
  {  // every normal unit length and on the +z side of the dome
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) {
        EXPECT_NEAR(length3(surfaceNormals[k][l]), 1.0, 1e-14) << k << " " << l;
        EXPECT_GT(surfaceNormals[k][l][2], 0.0) << k << " " << l;
      }
  }
}

TEST(Tessellation, NormalsFollowDerivativeAlongVCrossDerivativeAlongU) {
  // Analytic partial derivatives of the patch; the averaged normals must point the same
  // way as dP/dv x dP/du on a smooth asymmetric grid.
  setRandomGrid(41u);
  updateSurface();
  auto weight = [](int j, double t) {
    const double s = 1.0 - t;
    const double w[4] = {s * s * s, 3 * t * s * s, 3 * t * t * s, t * t * t};
    return w[j];
  };
  auto slope = [](int j, double t) {
    const double s = 1.0 - t;
    const double w[4] = {-3 * s * s, 3 * s * s - 6 * t * s, 6 * t * s - 3 * t * t, 3 * t * t};
    return w[j];
  };
  int checked = 0;
  for (int k = 4; k < kSamples; k += 8)
    for (int l = 4; l < kSamples; l += 8) {
      const double u = k / 128.0, v = l / 128.0;
      double du[3] = {0, 0, 0}, dv[3] = {0, 0, 0};
      for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
          for (int c = 0; c < 3; ++c) {
            du[c] += slope(i, u) * weight(j, v) * controlPoints[i][j][c];
            dv[c] += weight(i, u) * slope(j, v) * controlPoints[i][j][c];
          }
      double n[3];
      refCross(dv, du, n);
      const double len = length3(n);
      if (len < 1e-6) continue;
      const double* got = surfaceNormals[k][l];
      const double cosine = (n[0] * got[0] + n[1] * got[1] + n[2] * got[2]) / len;
      EXPECT_GT(cosine, 0.999) << "k=" << k << " l=" << l;
      ++checked;
    }
  EXPECT_GT(checked, 200);
}

TEST(Tessellation, FlatGridNormalsAndTheirFlip) {
  struct Case {
    bool mirrored;
    double z;  // the normal's z, exactly
  };
  // x growing with i, y falling with j: straight up; row order mirrored: straight down
  const Case cases[] = {{false, 1.0}, {true, -1.0}};
  for (const Case& c : cases) {
    setFlatGrid(c.mirrored);
    updateSurface();
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) {
        EXPECT_EQ(surfaceNormals[k][l][0], 0.0) << k << " " << l << " mirrored " << c.mirrored;
        EXPECT_EQ(surfaceNormals[k][l][1], 0.0) << k << " " << l << " mirrored " << c.mirrored;
        EXPECT_EQ(surfaceNormals[k][l][2], c.z) << k << " " << l << " mirrored " << c.mirrored;
      }
  }
}

TEST(Tessellation, DegenerateGrids) {
  {  // all sixteen points equal: the point everywhere, zero normals
    setConstantGrid();
    poisonOutputs();
    updateSurface();
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) {
        EXPECT_EQ(surfacePoints[k][l][0], 1.0);
        EXPECT_EQ(surfacePoints[k][l][1], 2.0);
        EXPECT_EQ(surfacePoints[k][l][2], 3.0);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(surfaceNormals[k][l][c], 0.0) << k << " " << l;
      }
  }
  {  // control row 0 pinched to a point: sample row 0 gets zero normals, the rest unit ones
    setCollapsedRowGrid();
    poisonOutputs();
    updateSurface();
    for (int l = 0; l < kSamples; ++l)
      for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(surfacePoints[0][l][c], controlPoints[0][0][c]) << l;
        EXPECT_EQ(surfaceNormals[0][l][c], 0.0) << "l=" << l << " c=" << c;
      }
    for (int k = 1; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) {
        for (int c = 0; c < 3; ++c) ASSERT_FALSE(std::isnan(surfaceNormals[k][l][c])) << k << " " << l;
        EXPECT_NEAR(length3(surfaceNormals[k][l]), 1.0, 1e-14) << k << " " << l;
      }
  }
  {  // two coincident neighbouring control columns: no NaN anywhere
    setInitialGrid();
    for (int i = 0; i < kGridSize; ++i)
      for (int c = 0; c < 3; ++c) controlPoints[i][2][c] = controlPoints[i][1][c];
    updateSurface();
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) {
        const double len = length3(surfaceNormals[k][l]);
        EXPECT_FALSE(std::isnan(len)) << k << " " << l;
        EXPECT_TRUE(len == 0.0 || std::fabs(len - 1.0) < 1e-14) << k << " " << l << " " << len;
      }
  }
}

TEST(Tessellation, RepeatedCallIsBitIdentical) {
  setRandomGrid(51u);
  updateSurface();
  static double firstPoints[kSamples][kSamples][3];
  static double firstNormals[kSamples][kSamples][3];
  std::memcpy(firstPoints, surfacePoints, sizeof firstPoints);
  std::memcpy(firstNormals, surfaceNormals, sizeof firstNormals);
  poisonOutputs();
  updateSurface();
  EXPECT_EQ(std::memcmp(firstPoints, surfacePoints, sizeof firstPoints), 0);
  EXPECT_EQ(std::memcmp(firstNormals, surfaceNormals, sizeof firstNormals), 0);
}
