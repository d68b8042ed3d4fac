// The mirror's quads whose corners reflect onto different cube faces, cut in reflection-
// direction space into pieces that each lie on one face, so that each piece can be textured
// from its own face's cell. Pure arithmetic over the patch arrays; no GL.
#pragma once

#include <cmath>    // std::fabs
#include <cstdint>  // std::uint64_t
#include <cstring>  // std::memcpy

#include "app/state.h"
#include "render/mirror.h"  // kFaceRules

constexpr int kMaxPieceVertices = 7;            // a triangle clipped by a face's four planes
constexpr int kMaxQuadPieces = 2 * kFaceCount;  // two triangles, one piece a face at most

// A point of a piece: where it lies and the reflection interpolated there.
struct SeamVertex {
  double position[3];   // world units
  double direction[3];  // reflection, not normalised: the face it points to is scale-free
};

// The convex part of one triangle that one face's closed region holds.
struct SeamPiece {
  int face;   // 0..5, numbered as texFaces
  int count;  // vertices, 3..kMaxPieceVertices
  SeamVertex vertices[kMaxPieceVertices];
};

// True when the corners of the quad between sample rows k - 1, k and columns l, l + 1 lie
// on different faces by texFaces. Inline: the drawing asks it of every quad of every frame.
inline bool quadStraddlesFaces(int k, int l) {
  const unsigned char face = texFaces[k - 1][l];
  return texFaces[k][l] != face || texFaces[k - 1][l + 1] != face || texFaces[k][l + 1] != face;
}

// The first quad from column l on, between rows k - 1 and k, that straddles faces;
// kSamples - 1 when none does. Eight quads a step where the byte order allows: byte j of the
// differences is non-zero just where quad l + j straddles.
inline int nextStraddlingQuad(int k, int l) {
  const unsigned char* above = texFaces[k - 1];
  const unsigned char* below = texFaces[k];
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  for (; l + 9 <= kSamples; l += 8) {
    std::uint64_t a0, a1, b0, b1;
    std::memcpy(&a0, above + l, 8);
    std::memcpy(&a1, above + l + 1, 8);
    std::memcpy(&b0, below + l, 8);
    std::memcpy(&b1, below + l + 1, 8);
    const std::uint64_t differ = (a0 ^ b0) | (a1 ^ b1) | (a0 ^ a1);
    if (differ != 0) return l + __builtin_ctzll(differ) / 8;
  }
#endif
  for (; l + 1 < kSamples; ++l)
    if (quadStraddlesFaces(k, l)) return l;
  return kSamples - 1;
}

// Cuts a triangle by the planes that separate the faces (x = +-y, x = +-z, y = +-z): one
// piece for each face whose closed region holds part of it, in face order; returns how many.
// Position and direction are interpolated with one parameter along every edge, from the
// edge's lexicographically smaller end, so triangles that share an edge are cut at the same
// points there, bit for bit. A piece's vertices keep the triangle's winding.
int splitTriangleByFace(const SeamVertex triangle[3], SeamPiece pieces[kFaceCount]);

// The two triangles the quad [k][l] (as quadStraddlesFaces numbers it) is cut into, as its
// corners 0..3 in strip order: (k-1, l), (k, l), (k-1, l+1), (k, l+1). Along the diagonal
// from 0 to 3, (0, 1, 3) and (0, 3, 2), unless corner 0 or 3 is alone on its face by
// texFaces: then along 1 to 2, (0, 1, 2) and (1, 3, 2), so that one triangle holds one face.
void quadTriangles(int k, int l, int triangles[2][3]);

// The pieces of the quad [k][l] as the two triangles of quadTriangles: positions from
// surfacePoints, directions as reflectView gives them for view direction d. The pieces are
// the first triangle's, then the second's, each as splitTriangleByFace gives them. Returns
// their number, 0 when a corner's reflection is not finite.
int splitQuadByFace(int k, int l, const float d[3], SeamPiece pieces[kMaxQuadPieces]);

// v held between lo and hi; their middle when the two have crossed. Half the vertices of
// the pieces lie on a border and are held, so the two bounds are selects, not branches.
inline double holdInside(double v, double lo, double hi) {
  if (lo > hi) return 0.5 * (lo + hi);
  const double raised = v < lo ? lo : v;
  return raised > hi ? hi : raised;
}

// Atlas coordinates of a piece's vertex by its face's rule in kFaceRules, held marginS and
// marginT inside that cell (the cell's middle where it is narrower than two margins, or
// where the direction has no component along the face's axis). Inline: every vertex of
// every piece needs it, every frame.
inline void pieceTexCoord(int face, const double direction[3], double marginS, double marginT,
                          double st[2]) {
  const FaceRule& rule = kFaceRules[face];
  const double major = std::fabs(direction[rule.axis]);
  if (major == 0.0) {
    st[0] = 0.5 * (rule.sLo + rule.sHi);
    st[1] = 0.5 * (rule.tLo + rule.tHi);
  } else {
    // The mapping's rule with one reciprocal for both quotients: a piece's coordinates need
    // not match any sample's bits.
    const double inverse = 1.0 / major;
    const double a = rule.aSign * direction[rule.aAxis] * inverse;
    const double b = rule.bSign * direction[rule.bAxis] * inverse;
    st[0] = (rule.sHi - rule.sLo) * (a + 1.0) * 0.5 + rule.sLo;
    st[1] = (rule.tHi - rule.tLo) * (b + 1.0) * 0.5 + rule.tLo;
  }
  st[0] = holdInside(st[0], rule.sLo + marginS, rule.sHi - marginS);
  st[1] = holdInside(st[1], rule.tLo + marginT, rule.tHi - marginT);
}
