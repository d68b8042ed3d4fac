// The reflection mapping. The reflection is single precision, the cell lookup double
// precision, so that the texel chosen is the same bits in every build.
#include "render/reflection.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/state.h"

static_assert(sizeof kFaceRules / sizeof kFaceRules[0] == kFaceCount, "a rule a face");

void viewDirection(float d[3]) {
  d[0] = cameraCenter[0] - cameraEye[0];
  d[1] = cameraCenter[1] - cameraEye[1];
  d[2] = cameraCenter[2] - cameraEye[2];
}

int directionFace(double x, double y, double z) {
  const double ax = std::fabs(x);
  const double ay = std::fabs(y);
  const double az = std::fabs(z);
  if (ax > ay && ax > az) return x < 0.0 ? kFaceMinusX : kFacePlusX;
  if (ay > az) return y < 0.0 ? kFaceMinusY : kFacePlusY;
  return z < 0.0 ? kFaceMinusZ : kFacePlusZ;
}

void faceTexCoord(int face, double x, double y, double z, double st[2]) {
  const FaceRule& rule = kFaceRules[face];
  const double r[3] = {x, y, z};
  const double major = std::fabs(r[rule.axis]);
  const double a = rule.aSign * (r[rule.aAxis] / major);
  const double b = rule.bSign * (r[rule.bAxis] / major);
  st[0] = (rule.sHi - rule.sLo) * (a + 1.0) * 0.5 + rule.sLo;
  st[1] = (rule.tHi - rule.tLo) * (b + 1.0) * 0.5 + rule.tLo;
}

int reflectionTexCoord(const double n[3], const float d[3], double st[2]) {
  float r[3];
  reflectView(n, d, r);
  const float root =
      static_cast<float>(std::sqrt(static_cast<double>((r[1] * r[1] + r[0] * r[0]) + r[2] * r[2])));
  const float g = 1.0f / root;
  const double x = g * r[0];
  const double y = g * r[1];
  const double z = g * r[2];

  // With the eye on the look-at point there is nothing to reflect (and an overflowing
  // length would leave no direction either): fall back to the middle of the +Z cell,
  // where the three-way tie rule would put a zero direction.
  if (!(std::fabs(x) > 0.0 || std::fabs(y) > 0.0 || std::fabs(z) > 0.0)) {
    st[0] = 0.875;
    st[1] = 0.5;
    return kFacePlusZ;
  }

  const int face = directionFace(x, y, z);
  faceTexCoord(face, x, y, z, st);
  return face;
}

#if defined(__SSE2__)
namespace {

// The cell formula of one face as s = scale.s * (q_a + add.a) + lo.s and likewise t, where
// q is the component over the dominant magnitude before the rule's sign, scale the sign
// times half the cell's span and add the sign. It is the same bits as
// (hi - lo) * (a + 1) * 0.5 + lo: halving is exact, so (w * (a + 1)) * 0.5 equals
// (w * 0.5) * (a + 1); and with a = -q, w * (1 - q) equals (-w) * (q - 1), since rounding
// is symmetric about zero (only a zero product may differ, -0 for +0, and adding lo, which
// is +0 or positive, gives the same sum from either).
struct CellFormula {
  double scale[2];
  double add[2];
  double lo[2];
};

// The vector path's form of a face's rule.
constexpr CellFormula cellFormula(int face) {
  const FaceRule& rule = kFaceRules[face];
  return {{rule.aSign * ((rule.sHi - rule.sLo) * 0.5), rule.bSign * ((rule.tHi - rule.tLo) * 0.5)},
          {rule.aSign, rule.bSign},
          {rule.sLo, rule.tLo}};
}

// By face number (kFaceMinusX first), so that a formula's byte offset over 48 is the face.
alignas(16) constexpr CellFormula kCellFormulas[kFaceCount] = {
    cellFormula(0), cellFormula(1), cellFormula(2), cellFormula(3), cellFormula(4), cellFormula(5)};
static_assert(sizeof(CellFormula) == 48, "byte offsets below are 48 per face");

// The blocks below pick a's and b's components by the dominant axis alone: z and y on an X
// face, x and z on a Y face, x and y on a Z face.
constexpr bool vectorPathFits(int face) {
  const int axis = kFaceRules[face].axis;
  const int a = kFaceRules[face].aAxis;
  const int b = kFaceRules[face].bAxis;
  return axis == 0 ? (a == 2 && b == 1) : axis == 1 ? (a == 0 && b == 2) : (a == 0 && b == 1);
}
static_assert(vectorPathFits(0) && vectorPathFits(1) && vectorPathFits(2) && vectorPathFits(3) &&
                  vectorPathFits(4) && vectorPathFits(5),
              "the vector path's choice of components matches the atlas layout");

inline __m128 selectPs(__m128 mask, __m128 ifSet, __m128 ifClear) {
  return _mm_or_ps(_mm_and_ps(mask, ifSet), _mm_andnot_ps(mask, ifClear));
}

// One component of four consecutive normals (stride 3 doubles), rounded to float.
inline __m128 gatherComponent(const double* n) {
  const __m128 low = _mm_cvtpd_ps(_mm_set_pd(n[3], n[0]));
  const __m128 high = _mm_cvtpd_ps(_mm_set_pd(n[9], n[6]));
  return _mm_movelh_ps(low, high);
}

constexpr int kBlock = 128;  // samples per block; 130 blocks cover all but the last sample

// Four samples at a time, the same bits as reflectionTexCoord, in two passes over a block so
// that the long chain of a sample (square root, reciprocal, quotients) overlaps with others.
// The reflection is computed as there, except that the square root is taken in float: a
// double root rounded to float is the same bits, double carrying more than twice float's
// digits. The face is chosen by masks, as exact float comparisons, and stored in faces.
// Samples whose squared length is 0, infinite or NaN are redone by reflectionTexCoord
// afterwards; for all others the root and its reciprocal are finite and non-zero, and so is
// the dominant component.
void texCoordBlock(const double* n, double* out, unsigned char* faces, const float d[3]) {
  alignas(16) float quotientsOf[2 * kBlock];  // a's and b's component, by sample
  alignas(16) float majors[2 * kBlock];       // the dominant magnitude, twice
  alignas(16) int offsets[kBlock];            // byte offset of the face's formula
  int redo[kBlock / 4];
  int redoCount = 0;

  const __m128 dx = _mm_set1_ps(d[0]);
  const __m128 dy = _mm_set1_ps(d[1]);
  const __m128 dz = _mm_set1_ps(d[2]);
  const __m128 sign = _mm_set1_ps(-0.0f);
  const __m128 zero = _mm_setzero_ps();
  for (int q = 0; q < kBlock; q += 4) {
    const double* nq = n + 3 * q;
    const __m128 nx = gatherComponent(nq);
    const __m128 ny = gatherComponent(nq + 1);
    const __m128 nz = gatherComponent(nq + 2);
    const __m128 dot =
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(ny, dy), _mm_mul_ps(nx, dx)), _mm_mul_ps(nz, dz));
    const __m128 f = _mm_mul_ps(dot, _mm_set1_ps(-2.0f));
    const __m128 rx = _mm_add_ps(_mm_mul_ps(nx, f), dx);
    const __m128 ry = _mm_add_ps(_mm_mul_ps(ny, f), dy);
    const __m128 rz = _mm_add_ps(_mm_mul_ps(nz, f), dz);
    const __m128 sum =
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(ry, ry), _mm_mul_ps(rx, rx)), _mm_mul_ps(rz, rz));
    const __m128 finite =
        _mm_and_ps(_mm_cmpgt_ps(sum, zero), _mm_cmplt_ps(sum, _mm_set1_ps(HUGE_VALF)));
    redo[redoCount] = q;
    redoCount += _mm_movemask_ps(finite) != 0xF;
    const __m128 g = _mm_div_ps(_mm_set1_ps(1.0f), _mm_sqrt_ps(sum));
    const __m128 x = _mm_mul_ps(g, rx);
    const __m128 y = _mm_mul_ps(g, ry);
    const __m128 z = _mm_mul_ps(g, rz);
    const __m128 ax = _mm_andnot_ps(sign, x);
    const __m128 ay = _mm_andnot_ps(sign, y);
    const __m128 az = _mm_andnot_ps(sign, z);

    const __m128 onX = _mm_and_ps(_mm_cmpgt_ps(ax, ay), _mm_cmpgt_ps(ax, az));
    const __m128 onY = _mm_andnot_ps(onX, _mm_cmpgt_ps(ay, az));
    const __m128 dominant = selectPs(onX, x, selectPs(onY, y, z));
    const __m128 major = _mm_andnot_ps(sign, dominant);
    const __m128 aOf = selectPs(onX, z, x);
    const __m128 bOf = selectPs(onY, z, y);
    // 0 on X, 96 on Y, 192 on Z, plus 48 where the dominant component is not negative.
    const __m128i onXorY = _mm_castps_si128(_mm_or_ps(onX, onY));
    const __m128i notNegative = _mm_castps_si128(_mm_cmpge_ps(dominant, zero));
    const __m128i offset = _mm_add_epi32(
        _mm_add_epi32(_mm_and_si128(_mm_castps_si128(onY), _mm_set1_epi32(96)),
                      _mm_andnot_si128(onXorY, _mm_set1_epi32(192))),
        _mm_and_si128(notNegative, _mm_set1_epi32(48)));
    _mm_store_si128(reinterpret_cast<__m128i*>(offsets + q), offset);
    _mm_store_ps(quotientsOf + 2 * q, _mm_unpacklo_ps(aOf, bOf));
    _mm_store_ps(quotientsOf + 2 * q + 4, _mm_unpackhi_ps(aOf, bOf));
    _mm_store_ps(majors + 2 * q, _mm_unpacklo_ps(major, major));
    _mm_store_ps(majors + 2 * q + 4, _mm_unpackhi_ps(major, major));
  }

  for (int j = 0; j < kBlock; ++j) {
    const CellFormula& cell = *reinterpret_cast<const CellFormula*>(
        reinterpret_cast<const char*>(kCellFormulas) + offsets[j]);
    const __m128d of = _mm_cvtps_pd(_mm_castsi128_ps(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(quotientsOf + 2 * j))));
    const __m128d major = _mm_cvtps_pd(
        _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(majors + 2 * j))));
    const __m128d quotient = _mm_div_pd(of, major);
    const __m128d st = _mm_add_pd(
        _mm_mul_pd(_mm_load_pd(cell.scale), _mm_add_pd(quotient, _mm_load_pd(cell.add))),
        _mm_load_pd(cell.lo));
    _mm_storeu_pd(out + 2 * j, st);
    faces[j] = static_cast<unsigned char>(offsets[j] / static_cast<int>(sizeof(CellFormula)));
  }

  for (int r = 0; r < redoCount; ++r)
    for (int j = redo[r]; j < redo[r] + 4; ++j)
      faces[j] = static_cast<unsigned char>(reflectionTexCoord(n + 3 * j, d, out + 2 * j));
}

}  // namespace
#endif

void computeTexCoords() {
  float d[3];
  viewDirection(d);
  constexpr int kCount = kSamples * kSamples;
  const double* normals = &surfaceNormals[0][0][0];
  double* out = &texCoords[0][0][0];
  unsigned char* faces = &texFaces[0][0];
  int i = 0;
#if defined(__SSE2__)
  for (; i + kBlock <= kCount; i += kBlock)
    texCoordBlock(normals + 3 * i, out + 2 * i, faces + i, d);
#endif
  for (; i < kCount; ++i)
    faces[i] = static_cast<unsigned char>(reflectionTexCoord(normals + 3 * i, d, out + 2 * i));
}
