// Texture coordinates of the mirror against a reference written out from the reflection
// rules: single-precision reflection, double-precision cell lookup, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "app/state.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "render/reflection.h"
#include "support/atlas.h"
#include "support/compare.h"

namespace {

using support::sameBits;

// One row of the cell table: bounds, and which component (0 X, 1 Y, 2 Z) over the dominant
// magnitude gives a and b, negated when the flag is set.
struct CellRule {
  double sLo, sHi, tLo, tHi;
  int aAxis;
  bool aNegated;
  int bAxis;
  bool bNegated;
};

const double kOneThird = 1.0 / 3.0;
const double kTwoThirds = 2.0 / 3.0;

// [dominant axis][0 negative, 1 not negative]
const CellRule kRules[3][2] = {
    {{0.0, 0.25, kOneThird, kTwoThirds, 2, true, 1, true},
     {0.5, 0.75, kOneThird, kTwoThirds, 2, false, 1, true}},
    {{0.25, 0.5, kTwoThirds, 1.0, 0, false, 2, false},
     {0.25, 0.5, 0.0, kOneThird, 0, false, 2, true}},
    {{0.25, 0.5, kOneThird, kTwoThirds, 0, false, 1, true},
     {0.75, 1.0, kOneThird, kTwoThirds, 0, true, 1, true}},
};

void referenceTexCoord(const double normal[3], const float d[3], double st[2]) {
  float n[3];
  for (int c = 0; c < 3; ++c) n[c] = static_cast<float>(normal[c]);
  float dot = n[1] * d[1];
  dot = dot + n[0] * d[0];
  dot = dot + n[2] * d[2];
  const float f = dot * -2.0f;
  float r[3];
  for (int c = 0; c < 3; ++c) r[c] = n[c] * f + d[c];
  float sum = r[1] * r[1];
  sum = sum + r[0] * r[0];
  sum = sum + r[2] * r[2];
  const double rootDouble = std::sqrt(static_cast<double>(sum));
  const float root = static_cast<float>(rootDouble);
  const float g = 1.0f / root;
  double v[3];
  for (int c = 0; c < 3; ++c) {
    const float unit = g * r[c];
    v[c] = unit;
  }
  const double m[3] = {std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])};
  // No direction at all (the eye on the look-at point): the middle of the +Z cell.
  if (!(m[0] > 0.0) && !(m[1] > 0.0) && !(m[2] > 0.0)) {
    st[0] = 0.875;
    st[1] = 0.5;
    return;
  }
  int axis = 2;
  if (m[0] > m[1] && m[0] > m[2])
    axis = 0;
  else if (m[1] > m[2])
    axis = 1;
  const CellRule& rule = kRules[axis][v[axis] < 0.0 ? 0 : 1];
  const double qa = v[rule.aAxis] / m[axis];
  const double qb = v[rule.bAxis] / m[axis];
  const double a = rule.aNegated ? -qa : qa;
  const double b = rule.bNegated ? -qb : qb;
  double s = rule.sHi - rule.sLo;
  s = s * (a + 1.0);
  s = s * 0.5;
  s = s + rule.sLo;
  double t = rule.tHi - rule.tLo;
  t = t * (b + 1.0);
  t = t * 0.5;
  t = t + rule.tLo;
  st[0] = s;
  st[1] = t;
}

// Bit for bit, except that any NaN matches any NaN: the sign of a NaN is not arithmetic.
bool sameValues(const double* a, const double* b, int count) {
  for (int i = 0; i < count; ++i)
    if (!(std::isnan(a[i]) && std::isnan(b[i])) && !sameBits(a + i, b + i, 1)) return false;
  return true;
}

std::string show(const double st[2]) {
  char text[96];
  std::snprintf(text, sizeof text, "(%.17g, %.17g)", st[0], st[1]);
  return text;
}

std::string show3(const double v[3]) {
  char text[128];
  std::snprintf(text, sizeof text, "(%.17g, %.17g, %.17g)", v[0], v[1], v[2]);
  return text;
}

std::string show3f(const float v[3]) {
  char text[128];
  std::snprintf(text, sizeof text, "(%.9g, %.9g, %.9g)", v[0], v[1], v[2]);
  return text;
}

// reflectionTexCoord of (n, d) into got, and whether the reference gives the same bits.
::testing::AssertionResult matchesReference(const double n[3], const float d[3], double got[2]) {
  double expected[2];
  reflectionTexCoord(n, d, got);
  referenceTexCoord(n, d, expected);
  if (sameBits(got, expected, 2)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << show(got) << ", reference " << show(expected);
}

// Distance in units in the last place between two doubles of the same sign.
std::int64_t ulpDistance(double a, double b) {
  std::int64_t ia, ib;
  std::memcpy(&ia, &a, sizeof ia);
  std::memcpy(&ib, &b, sizeof ib);
  return ia > ib ? ia - ib : ib - ia;
}

// The six cells that hold a cube face, as (column, row).
bool inUsedCell(const double st[2]) {
  static const int kUsed[6][2] = {{1, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {1, 2}};
  for (const auto& cell : kUsed) {
    const double sLo = cell[0] * 0.25, sHi = (cell[0] + 1) * 0.25;
    const double tLo = cell[1] / 3.0, tHi = (cell[1] + 1) / 3.0;
    if (st[0] >= sLo && st[0] <= sHi && st[1] >= tLo && st[1] <= tHi) return true;
  }
  return false;
}

void setCamera(float ex, float ey, float ez, float cx, float cy, float cz) {
  cameraEye[0] = ex;
  cameraEye[1] = ey;
  cameraEye[2] = ez;
  cameraCenter[0] = cx;
  cameraCenter[1] = cy;
  cameraCenter[2] = cz;
}

void poisonTexCoords() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (auto& row : texCoords)
    for (auto& st : row) st[0] = st[1] = nan;
}

// Every texCoords entry against the single-sample function and against the reference, for
// the d that computeTexCoords forms from the current camera.
void expectGridMatches(const char* label) {
  const float d[3] = {cameraCenter[0] - cameraEye[0], cameraCenter[1] - cameraEye[1],
                      cameraCenter[2] - cameraEye[2]};
  poisonTexCoords();
  computeTexCoords();
  int mismatches = 0;
  for (int k = 0; k < kSamples; ++k) {
    for (int l = 0; l < kSamples; ++l) {
      double single[2], expected[2];
      reflectionTexCoord(surfaceNormals[k][l], d, single);
      referenceTexCoord(surfaceNormals[k][l], d, expected);
      if (!sameBits(texCoords[k][l], single, 2) || !sameValues(texCoords[k][l], expected, 2)) {
        if (++mismatches <= 5)
          ADD_FAILURE() << label << ": sample (" << k << ", " << l << ") normal "
                        << show3(surfaceNormals[k][l]) << " d " << show3f(d) << ": grid "
                        << show(texCoords[k][l]) << ", single " << show(single)
                        << ", reference " << show(expected);
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << label;
}

class MirrorTexCoords : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(eye_, cameraEye, sizeof eye_);
    std::memcpy(center_, cameraCenter, sizeof center_);
    initBinomials();
    initBernstein();
    initControlGrid();
    setCamera(0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f);
  }
  void TearDown() override {
    std::memcpy(cameraEye, eye_, sizeof eye_);
    std::memcpy(cameraCenter, center_, sizeof center_);
    initControlGrid();
  }

 private:
  float eye_[3];
  float center_[3];
};

TEST(MirrorReflection, MatchesReferenceOverRandomNormalsAndViews) {
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> logScale(-3.0, 4.0);
  std::uniform_int_distribution<int> pick(0, 9);
  int mismatches = 0;
  for (int i = 0; i < 200000; ++i) {
    double n[3] = {unit(rng), unit(rng), unit(rng)};
    const int normalKind = pick(rng);
    if (normalKind < 6) {
      // Unit length, as tessellation makes them.
      const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      if (len > 1e-3)
        for (double& c : n) c /= len;
    } else if (normalKind < 8) {
      n[pick(rng) % 3] = 0.0;  // a normal in a coordinate plane
    } else if (normalKind == 8) {
      n[0] = n[1] = n[2] = 0.0;
    }
    float d[3];
    const double scale = std::pow(10.0, logScale(rng));
    for (float& c : d) c = static_cast<float>(unit(rng) * scale);
    if (pick(rng) < 2) d[pick(rng) % 3] = 0.0f;  // a view along a coordinate plane
    double got[2];
    const ::testing::AssertionResult same = matchesReference(n, d, got);
    if (!same && ++mismatches <= 5) ADD_FAILURE() << "n " << show3(n) << " d " << show3f(d) << ": " << same.message();
    if (!(got[0] >= 0.0 && got[0] <= 1.0 && got[1] >= 0.0 && got[1] <= 1.0) || !inUsedCell(got))
      ADD_FAILURE() << "outside the used cells: " << show(got);
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(MirrorReflection, EachCellAndItsOrientation) {
  // A zero normal reflects nothing, so r = d and d picks the cell directly.
  const double none[3] = {0.0, 0.0, 0.0};
  struct Case {
    const char* label;
    float d[3];
    double s, t;  // expected within a few float roundings
  };
  // (1, 2, -4) style directions: the two minor components at a quarter and half of the
  // dominant one, so a and b are +-0.25 and +-0.5 as the table's signs make them.
  const Case cases[] = {
      {"+X centre", {1.0f, 0.0f, 0.0f}, 0.625, 0.5},
      {"-X centre", {-1.0f, 0.0f, 0.0f}, 0.125, 0.5},
      {"+Y centre", {0.0f, 1.0f, 0.0f}, 0.375, 1.0 / 6.0},
      {"-Y centre", {0.0f, -1.0f, 0.0f}, 0.375, 5.0 / 6.0},
      {"+Z centre", {0.0f, 0.0f, 1.0f}, 0.875, 0.5},
      {"-Z centre", {0.0f, 0.0f, -1.0f}, 0.375, 0.5},
      // -Z: +X toward larger s, +Y toward smaller t.
      {"-Z, a 0.25, b -0.5", {1.0f, 2.0f, -4.0f}, 0.25 + 0.125 * 1.25, 1.0 / 3.0 + 0.5 / 6.0},
      // +Z seen from inside: +X toward smaller s.
      {"+Z, a -0.25, b -0.5", {1.0f, 2.0f, 4.0f}, 0.75 + 0.125 * 0.75, 1.0 / 3.0 + 0.5 / 6.0},
      // +X: +Z toward larger s.
      {"+X, a 0.5, b 0.25", {4.0f, -1.0f, 2.0f}, 0.5 + 0.125 * 1.5, 1.0 / 3.0 + 1.25 / 6.0},
      // -X: +Z toward smaller s.
      {"-X, a -0.5, b 0.25", {-4.0f, -1.0f, 2.0f}, 0.125 * 0.5, 1.0 / 3.0 + 1.25 / 6.0},
      // +Y: row 0, +Z toward smaller t.
      {"+Y, a 0.25, b -0.5", {1.0f, 4.0f, 2.0f}, 0.25 + 0.125 * 1.25, 0.5 / 6.0},
      // -Y: row 2, +Z toward larger t.
      {"-Y, a 0.25, b 0.5", {1.0f, -4.0f, 2.0f}, 0.25 + 0.125 * 1.25, 2.0 / 3.0 + 1.5 / 6.0},
  };
  for (const Case& c : cases) {
    double got[2];
    EXPECT_TRUE(matchesReference(none, c.d, got)) << c.label;
    EXPECT_NEAR(got[0], c.s, 1e-7) << c.label;
    EXPECT_NEAR(got[1], c.t, 1e-7) << c.label;
  }

  {  // the axis directions land exactly on the cell centres
    double st[2];
    const float toMinusZ[3] = {0.0f, 0.0f, -1.0f};
    reflectionTexCoord(none, toMinusZ, st);
    EXPECT_EQ(st[0], 0.375);
    EXPECT_EQ(st[1], 0.5);
    const float toPlusX[3] = {2.5f, 0.0f, 0.0f};
    reflectionTexCoord(none, toPlusX, st);
    EXPECT_EQ(st[0], 0.625);
    EXPECT_EQ(st[1], 0.5);
  }
  {  // a real mirror: the view straight down onto a normal (0, 0, 1) comes back along +Z
    const double up[3] = {0.0, 0.0, 1.0};
    const float d[3] = {0.0f, 0.0f, -1.0f};
    double st[2];
    reflectionTexCoord(up, d, st);
    EXPECT_EQ(st[0], 0.875);
    EXPECT_EQ(st[1], 0.5);
  }
  {  // a 45-degree mirror turns a view along -X into +Y
    const double n[3] = {std::sqrt(0.5), std::sqrt(0.5), 0.0};
    const float d[3] = {-1.0f, 0.0f, 0.0f};
    double st[2];
    EXPECT_TRUE(matchesReference(n, d, st));
    EXPECT_NEAR(st[0], 0.375, 1e-6);
    EXPECT_NEAR(st[1], 1.0 / 6.0, 1e-6);
  }
}

TEST(MirrorReflection, TieRules) {
  const double none[3] = {0.0, 0.0, 0.0};
  struct Case {
    const char* label;
    float d[3];
    double s, t;  // exact
  };
  const Case cases[] = {
      // |X| = |Y| > |Z|: the Y cell, on its left or right border.
      {"X = Y > 0", {1.0f, 1.0f, 0.0f}, 0.5, kOneThird * 0.5},
      {"-X = Y", {-1.0f, 1.0f, 0.0f}, 0.25, kOneThird * 0.5},
      {"X = -Y", {1.0f, -1.0f, 0.0f}, 0.5, (1.0 - kTwoThirds) * 0.5 + kTwoThirds},
      {"X = Y < 0", {-1.0f, -1.0f, 0.0f}, 0.25, (1.0 - kTwoThirds) * 0.5 + kTwoThirds},
      // A tie of Z with X or with Y goes to Z.
      {"Z = X", {1.0f, 0.0f, 1.0f}, 0.75, 0.5},
      {"Z = -X", {-1.0f, 0.0f, 1.0f}, 1.0, 0.5},
      {"-Z = X", {1.0f, 0.0f, -1.0f}, 0.5, 0.5},
      {"Z = Y", {0.0f, 1.0f, 1.0f}, 0.875, kOneThird},
      {"-Z = -Y", {0.0f, -1.0f, -1.0f}, 0.375, kTwoThirds},
      // Three-way ties go to Z as well.
      {"X = Y = Z", {3.0f, 3.0f, 3.0f}, 0.75, kOneThird},
      {"-X = -Y = -Z", {-3.0f, -3.0f, -3.0f}, 0.25, kTwoThirds},
      {"X = -Y = Z", {2.0f, -2.0f, 2.0f}, 0.75, kTwoThirds},
  };
  for (const Case& c : cases) {
    double got[2];
    EXPECT_TRUE(matchesReference(none, c.d, got)) << c.label;
    EXPECT_EQ(got[0], c.s) << c.label;
    EXPECT_EQ(got[1], c.t) << c.label;
  }

  {  // X just above Y leaves the Y cell for the X cell's top border
    const float d[3] = {std::nextafter(1.0f, 2.0f), 1.0f, 0.0f};
    double got[2];
    EXPECT_TRUE(matchesReference(none, d, got));
    EXPECT_EQ(got[0], 0.625);
    EXPECT_NEAR(got[1], kOneThird, 1e-7);
  }
  {  // zero components count as not negative: -0 and +0 give the same bits
    const float pos[3] = {0.0f, 0.0f, 5.0f};
    const float neg[3] = {-0.0f, -0.0f, 5.0f};
    double a[2], b[2];
    reflectionTexCoord(none, pos, a);
    reflectionTexCoord(none, neg, b);
    EXPECT_TRUE(sameBits(a, b, 2)) << show(a) << " vs " << show(b);
    EXPECT_EQ(a[0], 0.875);
    EXPECT_EQ(a[1], 0.5);
    const double negativeZeroNormal[3] = {-0.0, -0.0, -0.0};
    reflectionTexCoord(negativeZeroNormal, neg, b);
    EXPECT_TRUE(sameBits(a, b, 2)) << show(a) << " vs " << show(b);
  }
}

TEST(MirrorReflection, NoDirectionFallsBackToThePlusZMiddle) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const float zero[3] = {0.0f, 0.0f, 0.0f};
  const float negativeZero[3] = {-0.0f, -0.0f, -0.0f};
  for (int i = 0; i < 1000; ++i) {
    double n[3] = {unit(rng), unit(rng), unit(rng)};
    if (i == 0) n[0] = n[1] = n[2] = 0.0;
    if (i == 1) n[0] = 1e300;  // beyond the float range
    double st[2];
    reflectionTexCoord(n, i % 2 ? zero : negativeZero, st);
    ASSERT_EQ(st[0], 0.875) << show3(n);
    ASSERT_EQ(st[1], 0.5) << show3(n);
  }
  {  // a non-unit normal that cancels d exactly leaves no direction either
    const double n[3] = {0.5, 0.5, 0.0};
    const float d[3] = {1.0f, 1.0f, 0.0f};
    double st[2];
    reflectionTexCoord(n, d, st);
    EXPECT_EQ(st[0], 0.875);
    EXPECT_EQ(st[1], 0.5);
  }
  {  // a reflection whose length overflows the float range
    const double n[3] = {0.0, 0.0, 0.0};
    const float d[3] = {3e38f, 3e38f, 0.0f};
    double st[2];
    reflectionTexCoord(n, d, st);
    EXPECT_TRUE(std::isfinite(st[0]) && std::isfinite(st[1])) << show(st);
    EXPECT_TRUE(inUsedCell(st)) << show(st);
  }
}

TEST(MirrorReflection, DirectionFaceKeepsTheMappingsTieRules) {
  struct Case {
    double r[3];
    int face;
  };
  const Case cases[] = {
      {{2, 1, -1}, kFacePlusX},       {{-2, 1, 1}, kFaceMinusX},     {{0.5, 3, 1}, kFacePlusY},
      {{0.5, -3, 1}, kFaceMinusY},    {{0.5, 1, 4}, kFacePlusZ},     {{0.5, 1, -4}, kFaceMinusZ},
      // Ties: Y over X, Z over either, Z for all three; zero is not negative.
      {{1, 1, 0}, kFacePlusY},        {{1, -1, 0}, kFaceMinusY},     {{-1, 0, 1}, kFacePlusZ},
      {{0, 1, -1}, kFaceMinusZ},      {{-1, -1, -1}, kFaceMinusZ},   {{0, 0, 0}, kFacePlusZ},
      {{-0.0, -0.0, -0.0}, kFacePlusZ}, {{1, 0, -0.0}, kFacePlusX},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(directionFace(c.r[0], c.r[1], c.r[2]), c.face)
        << c.r[0] << "," << c.r[1] << "," << c.r[2];
    // The mapping returns the same face for the direction, and (s, t) in that face's cell.
    const double none[3] = {0, 0, 0};
    const float d[3] = {static_cast<float>(c.r[0]), static_cast<float>(c.r[1]),
                        static_cast<float>(c.r[2])};
    double st[2];
    EXPECT_EQ(reflectionTexCoord(none, d, st), c.face);
    EXPECT_TRUE(support::inFaceCell(c.face, st, 0.0)) << st[0] << "," << st[1];
  }
}

TEST_F(MirrorTexCoords, TexFacesAreTheMappingsFaceForEverySample) {
  const float eyes[][3] = {{0, 0, 1}, {-0.66f, 0, 0.75f}, {0, 1, 0}, {3, -2, 1}, {0, 0, 0}};
  for (const auto& e : eyes) {
    setCamera(e[0], e[1], e[2], 0.0f, 0.0f, 0.0f);
    std::memset(texFaces, 0xFF, sizeof texFaces);
    computeTexCoords();
    float d[3];
    viewDirection(d);
    int mismatches = 0;
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) {
        double st[2];
        const int face = reflectionTexCoord(surfaceNormals[k][l], d, st);
        if ((texFaces[k][l] != face || !support::inFaceCell(face, texCoords[k][l], 0.0)) && ++mismatches <= 5)
          ADD_FAILURE() << "sample " << k << "," << l << ": texFaces " << int{texFaces[k][l]}
                        << ", the mapping " << face;
      }
    EXPECT_EQ(mismatches, 0) << "eye " << e[0] << "," << e[1] << "," << e[2];
  }
}

TEST_F(MirrorTexCoords, DefaultCameraOnTheInitialGrid) {
  poisonTexCoords();
  computeTexCoords();
  {  // the dome's top faces the eye and reflects straight back along +Z
    const double* st = texCoords[64][64];
    EXPECT_LE(ulpDistance(st[0], 0.875), 2) << show(st);
    EXPECT_LE(ulpDistance(st[1], 0.5), 2) << show(st);
  }
  {  // the corners are |X| = |Y| ties, mapped onto the Y cells' borders
    EXPECT_EQ(texCoords[0][0][0], 0.25);
    EXPECT_NEAR(texCoords[0][0][1], 0.1672, 5e-5);
    EXPECT_EQ(texCoords[128][0][0], 0.5);
    EXPECT_NEAR(texCoords[128][0][1], 0.1672, 5e-5);
    EXPECT_EQ(texCoords[0][128][0], 0.25);
    EXPECT_NEAR(texCoords[0][128][1], 0.8328, 5e-5);
    EXPECT_EQ(texCoords[128][128][0], 0.5);
    EXPECT_NEAR(texCoords[128][128][1], 0.8328, 5e-5);
  }
  {  // the positions play no part: moving the whole surface changes nothing
    double before[2];
    std::memcpy(before, texCoords[17][93], sizeof before);
    for (auto& row : surfacePoints)
      for (auto& p : row) p[0] += 1000.0;
    computeTexCoords();
    EXPECT_TRUE(sameBits(texCoords[17][93], before, 2));
  }
  expectGridMatches("default camera");
}

TEST_F(MirrorTexCoords, GridIsBitIdenticalToSingleSamplesForManyCameras) {
  struct Camera {
    const char* label;
    float eye[3], center[3];
  };
  const Camera cameras[] = {
      {"from +X", {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
      {"from +Y", {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
      {"from below", {0.0f, 0.0f, -2500.0f}, {0.0f, 0.0f, 0.0f}},
      {"diagonal", {700.0f, -700.0f, 700.0f}, {0.0f, 0.0f, 0.0f}},
      {"off-centre", {12.5f, 300.25f, 900.0f}, {-40.0f, 20.0f, -3.0f}},
      {"short", {0.0f, 0.0f, 1e-3f}, {0.0f, 0.0f, 0.0f}},
      {"eye on the look-at point", {5.0f, 5.0f, 5.0f}, {5.0f, 5.0f, 5.0f}},
  };
  for (const Camera& c : cameras) {
    setCamera(c.eye[0], c.eye[1], c.eye[2], c.center[0], c.center[1], c.center[2]);
    expectGridMatches(c.label);
  }
  std::mt19937 rng(99);
  std::uniform_real_distribution<float> coord(-3000.0f, 3000.0f);
  for (int i = 0; i < 6; ++i) {
    setCamera(coord(rng), coord(rng), coord(rng), coord(rng) * 0.01f, coord(rng) * 0.01f,
              coord(rng) * 0.01f);
    expectGridMatches("random camera");
  }

  {  // an edited, partly degenerate surface: one corner dragged far, a row collapsed
    controlPoints[0][0][2] = 2000.0;
    controlPoints[3][1][0] = -900.0;
    for (int j = 0; j < kGridSize; ++j)
      for (int c = 0; c < 3; ++c) controlPoints[2][j][c] = controlPoints[3][0][c];
    updateSurface();
    setCamera(0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    expectGridMatches("edited surface");
    setCamera(-3.0f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f);
    expectGridMatches("edited surface, turned camera");
  }
  {  // normals written directly: zero, non-unit and tie-making ones with axis views
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int k = 0; k < kSamples; ++k) {
      for (int l = 0; l < kSamples; ++l) {
        double* n = surfaceNormals[k][l];
        switch ((k * kSamples + l) % 5) {
          case 0:
            n[0] = n[1] = n[2] = 0.0;
            break;
          case 1:
            n[0] = unit(rng) * 7.0, n[1] = unit(rng) * 7.0, n[2] = unit(rng) * 7.0;
            break;
          case 2:
            n[0] = -0.0, n[1] = std::sqrt(0.5), n[2] = std::sqrt(0.5);
            break;
          case 3:
            // Cancels a view along (1, 1, 0) exactly: no direction left.
            n[0] = 0.5, n[1] = 0.5, n[2] = 0.0;
            break;
          default:
            n[0] = unit(rng), n[1] = unit(rng), n[2] = 0.0;
            break;
        }
      }
    }
    // Axis and tie views, then lengths whose squares leave the float range (the last
    // underflows to a zero length and so to NaN, as the float arithmetic has it).
    const float views[][3] = {{0.0f, 0.0f, -1.0f}, {1.0f, 1.0f, 0.0f},   {-1.0f, 1.0f, 1.0f},
                              {0.0f, 1.0f, 0.0f},  {0.0f, -2.0f, 2.0f},  {0.0f, 0.0f, 0.0f},
                              {3e30f, -1e30f, 0.0f}, {1e-25f, 2e-25f, -3e-25f}};
    for (const auto& v : views) {
      setCamera(0.0f, 0.0f, 0.0f, v[0], v[1], v[2]);
      expectGridMatches("written normals");
    }
  }
}

TEST_F(MirrorTexCoords, RangeAndUsedCellsForManyCamerasAndEdits) {
  std::mt19937 rng(4242);
  std::uniform_real_distribution<float> coord(-1.0f, 1.0f);
  std::uniform_real_distribution<double> push(-600.0, 600.0);
  int outside = 0;
  for (int round = 0; round < 12; ++round) {
    if (round % 3 == 2) {  // drag a random control point somewhere
      const int i = static_cast<int>(rng() % 4), j = static_cast<int>(rng() % 4);
      for (int c = 0; c < 3; ++c) controlPoints[i][j][c] += push(rng);
      updateSurface();
    }
    const float scale = std::pow(10.0f, static_cast<float>(round % 5) - 1.0f);
    setCamera(coord(rng) * scale, coord(rng) * scale, coord(rng) * scale, coord(rng),
              coord(rng), coord(rng));
    computeTexCoords();
    for (int k = 0; k < kSamples; ++k) {
      for (int l = 0; l < kSamples; ++l) {
        const double* st = texCoords[k][l];
        const bool ok = st[0] >= 0.0 && st[0] <= 1.0 && st[1] >= 0.0 && st[1] <= 1.0 &&
                        inUsedCell(st);
        if (!ok && ++outside <= 5)
          ADD_FAILURE() << "round " << round << " sample " << k << "," << l << ": " << show(st);
      }
    }
  }
  EXPECT_EQ(outside, 0);
}

TEST_F(MirrorTexCoords, InvariantUnderCameraTranslationAndDistance) {
  static double base[kSamples][kSamples][2];
  setCamera(0.5f, -2.0f, 3.0f, 0.0f, 0.0f, 0.0f);
  computeTexCoords();
  std::memcpy(base, texCoords, sizeof base);

  {  // translations that keep d's bits: eye and look-at moved together
    const float offsets[][3] = {{100.0f, 0.0f, 0.0f}, {-8.0f, 16.0f, 4.0f}, {0.0f, 0.0f, -64.0f}};
    for (const auto& o : offsets) {
      setCamera(0.5f + o[0], -2.0f + o[1], 3.0f + o[2], o[0], o[1], o[2]);
      computeTexCoords();
      EXPECT_EQ(std::memcmp(texCoords, base, sizeof base), 0)
          << "offset " << o[0] << "," << o[1] << "," << o[2];
    }
  }
  {  // scaling the distance by powers of two keeps every bit
    const float factors[] = {0.125f, 2.0f, 1024.0f};
    for (float f : factors) {
      setCamera(0.5f * f, -2.0f * f, 3.0f * f, 0.0f, 0.0f, 0.0f);
      computeTexCoords();
      EXPECT_EQ(std::memcmp(texCoords, base, sizeof base), 0) << "factor " << f;
    }
  }
  {  // other offsets and factors change d only by its float rounding; samples may only hop
     // cells where they sat on a border
    const float moves[][4] = {{0.37f, 11.1f, -7.3f, 1.0f}, {0.0f, 0.0f, 0.0f, 3.7f},
                              {-250.3f, 90.1f, 33.3f, 0.61f}};
    for (const auto& m : moves) {
      const float eye[3] = {0.5f * m[3] + m[0], -2.0f * m[3] + m[1], 3.0f * m[3] + m[2]};
      setCamera(eye[0], eye[1], eye[2], m[0], m[1], m[2]);
      computeTexCoords();
      int hopped = 0;
      double worst = 0.0;
      for (int k = 0; k < kSamples; ++k) {
        for (int l = 0; l < kSamples; ++l) {
          const double ds = std::fabs(texCoords[k][l][0] - base[k][l][0]);
          const double dt = std::fabs(texCoords[k][l][1] - base[k][l][1]);
          if (ds > 1e-4 || dt > 1e-4)
            ++hopped;
          else
            worst = std::fmax(worst, std::fmax(ds, dt));
        }
      }
      EXPECT_LE(hopped, 2 * kSamples) << "move " << m[0] << "," << m[3];
      EXPECT_LT(worst, 1e-4) << "move " << m[0] << "," << m[3];
    }
  }
}

TEST_F(MirrorTexCoords, EyeOnTheLookAtPointGivesFiniteCoordinates) {
  const float points[][3] = {{0.0f, 0.0f, 0.0f}, {3.5f, -2.0f, 7.0f}, {-0.0f, 0.0f, -0.0f}};
  for (const auto& p : points) {
    setCamera(p[0], p[1], p[2], p[0], p[1], p[2]);
    poisonTexCoords();
    computeTexCoords();
    int wrong = 0;
    for (const auto& row : texCoords)
      for (const auto& st : row)
        if (!(st[0] == 0.875 && st[1] == 0.5)) ++wrong;
    EXPECT_EQ(wrong, 0) << p[0] << "," << p[1] << "," << p[2];
  }
}

}  // namespace
