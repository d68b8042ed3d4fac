// The mirror's quads whose corners reflect onto different cube faces, cut in reflection-
// direction space into pieces that each lie on one face, so that each piece can be textured
// from its own face's cell. Pure arithmetic over the patch arrays; no GL.
#pragma once

#include <cmath>  // std::fabs

#include "app/state.h"
#include "render/reflection.h"  // kFaceRules, reflectView

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
// kSamples - 1 when none does.
inline int nextStraddlingQuad(int k, int l) {
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

// The pieces of the quad [k][l]: positions from surfacePoints, directions as reflectView
// gives them for view direction d. Where its corners lie on two faces of different axes by
// texFaces, and the outline meets the plane between them at two points or fewer (corners on
// it, or cuts), with every vertex of the two sides within its face's other bounds, the quad
// is cut whole along that chord: one piece a face, each a convex polygon in the strip's
// winding (corners 0, 1, 3, 2). Otherwise the pieces are those of the two triangles of
// quadTriangles, the first's then the second's, as splitTriangleByFace gives them. Returns
// their number, 0 when a corner's reflection is not finite.
int splitQuadByFace(int k, int l, const float d[3], SeamPiece pieces[kMaxQuadPieces]);

// A face's cell as the coordinates of its pieces' vertices need it, worked out once a piece:
// the rule of kFaceRules, and the cell less a margin on each side.
struct PieceCell {
  int axis, aAxis, bAxis;  // the face's axis, and the axes of s and t
  double sign[2];          // the rule's signs of s and t
  double lo[2];            // the cell's low corner
  double halfSpan[2];      // half the cell's width and height
  double low[2], high[2];  // the cell less the margins: where coordinates are held
  double middle[2];        // the cell's middle
};

inline PieceCell pieceCell(int face, double marginS, double marginT) {
  const FaceRule& rule = kFaceRules[face];
  PieceCell cell = {rule.axis,
                    rule.aAxis,
                    rule.bAxis,
                    {rule.aSign, rule.bSign},
                    {rule.sLo, rule.tLo},
                    {(rule.sHi - rule.sLo) * 0.5, (rule.tHi - rule.tLo) * 0.5},
                    {rule.sLo + marginS, rule.tLo + marginT},
                    {rule.sHi - marginS, rule.tHi - marginT},
                    {0.5 * (rule.sLo + rule.sHi), 0.5 * (rule.tLo + rule.tHi)}};
  for (int i = 0; i < 2; ++i)
    if (cell.low[i] > cell.high[i]) cell.low[i] = cell.high[i] = cell.middle[i];
  return cell;
}

// Coordinates of one direction in the cell, `inverse` being 1 / |direction[cell.axis]|: the
// mapping's rule with one reciprocal for both quotients (a piece's coordinates need not match
// any sample's bits), held between low and high; the middle where the axis component is 0.
inline void cellTexCoord(const PieceCell& cell, const double direction[3], double inverse,
                         double st[2]) {
  if (direction[cell.axis] == 0.0) {
    st[0] = cell.middle[0];
    st[1] = cell.middle[1];
    return;
  }
  // halfSpan * (a + 1) is the same bits as (span * (a + 1)) * 0.5: halving is exact.
  const double quotient[2] = {direction[cell.aAxis] * inverse, direction[cell.bAxis] * inverse};
  for (int i = 0; i < 2; ++i) {
    const double v = cell.halfSpan[i] * (cell.sign[i] * quotient[i] + 1.0) + cell.lo[i];
    const double raised = v < cell.low[i] ? cell.low[i] : v;
    st[i] = raised > cell.high[i] ? cell.high[i] : raised;
  }
}

// Atlas coordinates of a piece's vertex by its face's rule in kFaceRules, held marginS and
// marginT inside that cell (the cell's middle where it is narrower than two margins, or
// where the direction has no component along the face's axis).
inline void pieceTexCoord(int face, const double direction[3], double marginS, double marginT,
                          double st[2]) {
  const PieceCell cell = pieceCell(face, marginS, marginT);
  cellTexCoord(cell, direction, 1.0 / std::fabs(direction[cell.axis]), st);
}

// pieceTexCoord of every vertex of a piece, the same bits, into st[0 .. piece.count - 1],
// the cell worked out once. Inline: every piece needs it, every frame.
inline void pieceTexCoords(const SeamPiece& piece, double marginS, double marginT,
                           double st[][2]) {
  const PieceCell cell = pieceCell(piece.face, marginS, marginT);
  for (int v = 0; v < piece.count; ++v) {
    const double* r = piece.vertices[v].direction;
    cellTexCoord(cell, r, 1.0 / std::fabs(r[cell.axis]), st[v]);
  }
}
