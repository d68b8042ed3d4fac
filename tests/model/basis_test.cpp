// Binomial row, Bernstein table and the initial dome grid.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "app/state.h"
#include "model/basis.h"
#include "support/compare.h"

namespace {

using support::sameBits;

// The weights as integer numerators over 128^3 = 2^21: the integers stay below 2^53 and
// the division is by a power of two, so each expected value is exact by construction.
double exactWeight(int k, int j) {
  const std::int64_t t = k;
  const std::int64_t s = 128 - k;
  std::int64_t numerator = 0;
  switch (j) {
    case 0: numerator = s * s * s; break;
    case 1: numerator = 3 * t * s * s; break;
    case 2: numerator = 3 * t * t * s; break;
    default: numerator = t * t * t; break;
  }
  return static_cast<double>(numerator) / 2097152.0;
}

void buildTables() {
  std::memset(binomial, 0, sizeof binomial);
  std::memset(bernstein, 0, sizeof bernstein);
  initBinomials();
  initBernstein();
}

}  // namespace

TEST(Binomials, RowOfDegreeThreeStartingFromZeroedState) {
  std::memset(binomial, 0, sizeof binomial);
  initBinomials();
  EXPECT_EQ(binomial[0], 1);
  EXPECT_EQ(binomial[1], 3);
  EXPECT_EQ(binomial[2], 3);
}

TEST(Binomials, RepeatedCallRebuildsFromScratch) {
  // The build starts from entry[0] = 1 but adds into the other entries, so leftovers of
  // an earlier run must not accumulate.
  std::memset(binomial, 0, sizeof binomial);
  initBinomials();
  initBinomials();
  EXPECT_EQ(binomial[0], 1);
  EXPECT_EQ(binomial[1], 3);
  EXPECT_EQ(binomial[2], 3);
}

TEST(Bernstein, NamedRowsAreExact) {
  buildTables();
  {  // row 0: only the first weight
    const double expected[4] = {1.0, 0.0, 0.0, 0.0};
    for (int j = 0; j < 4; ++j) EXPECT_TRUE(sameBits(bernstein[0][j], expected[j])) << j;
  }
  {  // row 64: t = 1/2
    const double expected[4] = {0.125, 0.375, 0.375, 0.125};
    for (int j = 0; j < 4; ++j) EXPECT_EQ(bernstein[64][j], expected[j]) << j;
  }
  {  // row 128: only the last weight
    const double expected[4] = {0.0, 0.0, 0.0, 1.0};
    for (int j = 0; j < 4; ++j) EXPECT_TRUE(sameBits(bernstein[128][j], expected[j])) << j;
  }
  {  // row 1: (127/128)^3 and (1/128)^3 without rounding
    EXPECT_EQ(bernstein[1][0], (127.0 * 127.0 * 127.0) / 2097152.0);
    EXPECT_EQ(bernstein[1][3], 1.0 / 2097152.0);
    EXPECT_EQ(bernstein[1][1], (3.0 * 127.0 * 127.0) / 2097152.0);
    EXPECT_EQ(bernstein[1][2], (3.0 * 127.0) / 2097152.0);
  }
}

TEST(Bernstein, EveryEntryMatchesTheExactRational) {
  buildTables();
  for (int k = 0; k < kSamples; ++k)
    for (int j = 0; j < 4; ++j)
      EXPECT_TRUE(sameBits(bernstein[k][j], exactWeight(k, j)))
          << "k=" << k << " j=" << j << " got " << bernstein[k][j];
}

TEST(Bernstein, RowsSumToOneAndMirror) {
  buildTables();
  for (int k = 0; k < kSamples; ++k) {
    {  // sum in double arithmetic, left to right
      const double sum = ((bernstein[k][0] + bernstein[k][1]) + bernstein[k][2]) + bernstein[k][3];
      EXPECT_EQ(sum, 1.0) << "k=" << k;
    }
    {  // row 128 - k is row k reversed, bit for bit
      for (int j = 0; j < 4; ++j)
        EXPECT_TRUE(sameBits(bernstein[128 - k][j], bernstein[k][3 - j])) << "k=" << k << " j=" << j;
    }
  }
}

TEST(ControlGrid, InitialDomeValues) {
  buildTables();
  dragView = 2;
  initControlGrid();
  EXPECT_EQ(dragView, -1);

  // Row and column coordinates with the double rounding of the thirds.
  const double rowX[4] = {-560.0, -186.66666666666669, 186.66666666666663, 560.0};
  const double colY[4] = {560.0, 186.66666666666669, -186.66666666666663, -560.0};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      SCOPED_TRACE(testing::Message() << "i=" << i << " j=" << j);
      EXPECT_EQ(controlPoints[i][j][0], rowX[i]);
      EXPECT_EQ(controlPoints[i][j][1], colY[j]);
      // The height expression exactly as written, evaluated left to right.
      const double zi = 0.5 - std::fabs(i / 3.0 - 0.5);
      const double zj = std::fabs(j / 3.0 - 0.5);
      EXPECT_EQ(controlPoints[i][j][2], (zi - zj) * 800.0);
      // Corners low, other rim points at -400/3, the inner four at +400/3.
      const bool rimI = i == 0 || i == 3;
      const bool rimJ = j == 0 || j == 3;
      const double height = rimI && rimJ ? -400.0 : (rimI || rimJ ? -400.0 / 3.0 : 400.0 / 3.0);
      EXPECT_NEAR(controlPoints[i][j][2], height, 1e-12);
    }
  }
  {  // the three points named explicitly
    EXPECT_EQ(controlPoints[0][0][0], -560.0);
    EXPECT_EQ(controlPoints[0][0][1], 560.0);
    EXPECT_EQ(controlPoints[0][0][2], -400.0);
    EXPECT_EQ(controlPoints[3][3][0], 560.0);
    EXPECT_EQ(controlPoints[3][3][1], -560.0);
    EXPECT_EQ(controlPoints[3][3][2], -400.0);
    EXPECT_NEAR(controlPoints[1][1][2], 400.0 / 3.0, 1e-12);
  }
}

TEST(ControlGrid, TessellatesTheNewGridAndResetsDrag) {
  buildTables();
  // Stale samples from another grid must be replaced by this one's.
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l)
      for (int c = 0; c < 3; ++c) surfacePoints[k][l][c] = 12345.0;
  dragView = 3;
  initControlGrid();
  EXPECT_EQ(dragView, -1);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(surfacePoints[0][0][c], controlPoints[0][0][c]) << c;
    EXPECT_EQ(surfacePoints[128][128][c], controlPoints[3][3][c]) << c;
  }
  EXPECT_NEAR(surfacePoints[64][64][2], 0.0, 1e-12);
  EXPECT_GT(surfaceNormals[64][64][2], 0.999999);
}
