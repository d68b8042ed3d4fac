// Cutting the mirror's face-straddling quads into one-face pieces, in reflection-direction
// space: a quad on two faces side by side is cut whole along the plane between them where
// that is safe; any other is taken as two triangles, each clipped (Sutherland-Hodgman) by the
// planes that bound a face's region, for every face it reaches, with one walk round it where
// one plane alone parts two faces. Double precision throughout.
#include "render/seams.h"

#include <cmath>
#include <cstring>

#include "render/reflection.h"

namespace {

// The six planes through the cube's edges, as the value first + sign * second of a
// direction: x - y, x + y, x - z, x + z, y - z, y + z. Multiplying by +-1 is exact, so a
// value is the same bits as the plain difference or sum.
constexpr int kPlaneCount = 6;
constexpr int kPlaneFirst[kPlaneCount] = {0, 0, 0, 0, 1, 1};
constexpr int kPlaneSecond[kPlaneCount] = {1, 1, 2, 2, 2, 2};
constexpr double kPlaneSign[kPlaneCount] = {-1.0, 1.0, -1.0, 1.0, -1.0, 1.0};

// By face, bit p set where the face's region needs plane p's value >= 0 (above) or <= 0
// (below): +X is x >= |y| and x >= |z|, so x - y, x + y, x - z and x + z all >= 0.
constexpr unsigned kNeedAbove[kFaceCount] = {0x00, 0x0F, 0x01, 0x32, 0x14, 0x28};
constexpr unsigned kNeedBelow[kFaceCount] = {0x0F, 0x00, 0x32, 0x01, 0x28, 0x14};

double planeValue(int plane, const double r[3]) {
  return r[kPlaneFirst[plane]] + kPlaneSign[plane] * r[kPlaneSecond[plane]];
}

// Position first, then direction, component by component: an order of the two ends of an
// edge that does not depend on which triangle, or which way round, the edge is walked. The
// positions decide without a branch on the data: the grid's edges run every way, so such a
// branch would be mispredicted half the time.
bool comesFirst(const SeamVertex& a, const SeamVertex& b) {
  const double* p = a.position;
  const double* q = b.position;
  const bool equal0 = p[0] == q[0], equal1 = p[1] == q[1], equal2 = p[2] == q[2];
  if (equal0 & equal1 & equal2) {
    for (int c = 0; c < 3; ++c)
      if (a.direction[c] != b.direction[c]) return a.direction[c] < b.direction[c];
    return false;
  }
  return (p[0] < q[0]) | (equal0 & ((p[1] < q[1]) | (equal1 & (p[2] < q[2]))));
}

// Where the edge from p to q crosses a plane, written to `cut` and, unless null, to `twin`;
// vp and vq are the ends' values of the plane, of opposite strict signs, either as they are
// or both negated: value / (value - other) is the same bits either way.  Written component
// by component: a whole vertex stored and reloaded at once would stall on store forwarding.
void crossing(const SeamVertex& p, const SeamVertex& q, double vp, double vq, SeamVertex* cut,
              SeamVertex* twin) {
  const bool swap = comesFirst(q, p);
  const SeamVertex& from = swap ? q : p;
  const SeamVertex& to = swap ? p : q;
  const double vFrom = swap ? vq : vp;
  const double t = vFrom / (vFrom - (swap ? vp : vq));
  for (int c = 0; c < 3; ++c) {
    const double position = from.position[c] + t * (to.position[c] - from.position[c]);
    const double direction = from.direction[c] + t * (to.direction[c] - from.direction[c]);
    cut->position[c] = position;
    cut->direction[c] = direction;
    if (twin != nullptr) {
      twin->position[c] = position;
      twin->direction[c] = direction;
    }
  }
}

// The part of the convex polygon `in` where side * value >= 0, written to `out`; returns its
// vertex count. A vertex on the plane is kept without a cut beside it, so none comes twice.
int clipByPlane(const SeamVertex* in, int count, int plane, double side, SeamVertex* out) {
  double values[kMaxPieceVertices];
  for (int i = 0; i < count; ++i) values[i] = side * planeValue(plane, in[i].direction);
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const int j = i + 1 == count ? 0 : i + 1;
    // The bound holds for convex input; rounding cannot add more than it bounds, but a
    // nearly flat sliver must not write past the array either.
    if (values[i] >= 0.0 && kept < kMaxPieceVertices) out[kept++] = in[i];
    const bool crosses = (values[i] > 0.0 && values[j] < 0.0) || (values[i] < 0.0 && values[j] > 0.0);
    if (crosses && kept < kMaxPieceVertices) crossing(in[i], in[j], values[i], values[j], &out[kept++], nullptr);
  }
  return kept;
}

// The pieces of the convex outline corners[outline[0]], ..., corners[outline[n - 1]] (a
// triangle, or a quad that the plane crosses twice) on the two sides of a plane, which is the
// only plane cutting either face there: the parts of `face` (where values, the corners' plane
// values signed for `face`, are >= 0) and of `other`, those with 3 vertices or more, in that
// order; returns how many. For a triangle, the same vertices in the same order as clipByPlane
// gives each face (or the triangle itself where nothing is cut off), every cut computed once
// for both.
int splitInTwo(const SeamVertex* corners, const int* outline, int n, const double* values,
               int face, int other, SeamPiece pieces[2]) {
  SeamPiece& near = pieces[0];
  SeamPiece& far = pieces[1];
  near.face = face;
  far.face = other;
  near.count = far.count = 0;
  for (int i = 0; i < n; ++i) {
    const int a = outline[i], b = outline[i + 1 == n ? 0 : i + 1];
    // Written always, kept where the corner is on the side: no branch on the data. Both
    // pieces have room, each holding at most four corners and two cuts.
    near.vertices[near.count] = corners[a];
    near.count += values[a] >= 0.0;
    far.vertices[far.count] = corners[a];
    far.count += -values[a] >= 0.0;
    if ((values[a] > 0.0 && values[b] < 0.0) || (values[a] < 0.0 && values[b] > 0.0)) {
      crossing(corners[a], corners[b], values[a], values[b], &near.vertices[near.count++],
               &far.vertices[far.count++]);
    }
  }
  if (near.count >= 3) return far.count >= 3 ? 2 : 1;
  if (far.count < 3) return 0;
  near.face = other;
  near.count = far.count;
  for (int v = 0; v < far.count; ++v) near.vertices[v] = far.vertices[v];
  return 1;
}

// The plane values of `count` corners, signed so that `face`'s side is >= 0.
void sideValues(const SeamVertex* corners, int count, int plane, int face, double* values) {
  const double side = (kNeedAbove[face] & (1u << plane)) ? 1.0 : -1.0;
  for (int c = 0; c < count; ++c) values[c] = side * planeValue(plane, corners[c].direction);
}

// The planes a direction lies strictly above and below, as bit sets (bit p for plane p).
struct Sides {
  unsigned above, below;
};

// Which side of each plane r lies on.
Sides sidesOf(const double r[3]) {
  Sides sides = {0, 0};
  for (int p = 0; p < kPlaneCount; ++p) {
    const double value = planeValue(p, r);
    sides.above |= static_cast<unsigned>(value > 0.0) << p;
    sides.below |= static_cast<unsigned>(value < 0.0) << p;
  }
  return sides;
}

// The faces whose regions corners on these sides can reach (a bit set), and for each such
// face the planes that cut it. All corners beyond one of a face's planes: the face holds
// nothing of them. Planes with every corner on the face's side cannot cut; clipping by them
// would only risk slivers from rounding.
struct Reach {
  unsigned faces;
  unsigned cutsOf[kFaceCount];
};

Reach reachOf(const Sides* sides, int count) {
  unsigned anyAbove = 0, anyBelow = 0, allAbove = 0x3F, allBelow = 0x3F;
  for (int c = 0; c < count; ++c) {
    anyAbove |= sides[c].above;
    anyBelow |= sides[c].below;
    allAbove &= sides[c].above;
    allBelow &= sides[c].below;
  }
  Reach reach;
  reach.faces = 0;
  for (int face = 0; face < kFaceCount; ++face) {
    if ((allBelow & kNeedAbove[face]) | (allAbove & kNeedBelow[face])) continue;
    reach.faces |= 1u << face;
    reach.cutsOf[face] = (anyBelow & kNeedAbove[face]) | (anyAbove & kNeedBelow[face]);
  }
  return reach;
}

// The face and the other face that one plane alone parts, that plane being the only cut of
// either, over corners on these sides; false where the case does not hold.
bool lonePlane(const Reach& reach, int* face, int* other, int* plane) {
  const unsigned rest = reach.faces & (reach.faces - 1);  // less the lowest face
  if (rest == 0 || (rest & (rest - 1)) != 0) return false;
  *face = __builtin_ctz(reach.faces);
  *other = __builtin_ctz(rest);
  const unsigned cuts = reach.cutsOf[*face];
  if (cuts != reach.cutsOf[*other] || cuts == 0 || (cuts & (cuts - 1)) != 0) return false;
  if (((kNeedAbove[*face] ^ kNeedAbove[*other]) & cuts) == 0) return false;
  *plane = __builtin_ctz(cuts);
  return true;
}

// The common case: two faces reached, on the two sides of one plane that is the only cut of
// either. Then every triangle of these corners splits in two there, or lies on one side, as
// the clipping would find: returns the pieces of the triangles (corner numbers, in turn),
// or -1 where the case does not hold.
int splitAtLonePlane(const SeamVertex* corners, int count, const Reach& reach,
                     const int (*triangles)[3], int triangleCount, SeamPiece* pieces) {
  int face, other, plane;
  if (!lonePlane(reach, &face, &other, &plane)) return -1;
  double values[4];
  sideValues(corners, count, plane, face, values);
  int made = 0;
  for (int t = 0; t < triangleCount; ++t)
    made += splitInTwo(corners, triangles[t], 3, values, face, other, pieces + made);
  return made;
}

// splitTriangleByFace with the corners' sides already known.
int splitTriangle(const SeamVertex triangle[3], const Sides sides[3],
                  SeamPiece pieces[kFaceCount]) {
  const Reach reach = reachOf(sides, 3);
  const int whole[1][3] = {{0, 1, 2}};
  const int split = splitAtLonePlane(triangle, 3, reach, whole, 1, pieces);
  if (split >= 0) return split;
  int count = 0;
  for (int face = 0; face < kFaceCount; ++face) {
    if (!(reach.faces & (1u << face))) continue;
    const unsigned cuts = reach.cutsOf[face];
    // Each clip reads the last one's output: the triangle, then two buffers in turn, the
    // last clip writing the piece itself.
    SeamPiece& piece = pieces[count];
    SeamVertex scratch[2][kMaxPieceVertices];
    const SeamVertex* in = triangle;
    int n = 3;
    unsigned left = cuts;
    int next = 0;  // scratch buffer for the next clip that is not the last
    for (int p = 0; left != 0 && n >= 3; ++p) {
      if (!(left & (1u << p))) continue;
      left &= ~(1u << p);
      SeamVertex* out = left != 0 ? scratch[next] : piece.vertices;
      next ^= 1;
      n = clipByPlane(in, n, p, (kNeedAbove[face] & (1u << p)) ? 1.0 : -1.0, out);
      in = out;
    }
    if (n < 3) continue;
    if (cuts == 0)
      for (int v = 0; v < 3; ++v) piece.vertices[v] = triangle[v];
    piece.face = face;
    piece.count = n;
    ++count;
  }
  return count;
}

// The quad of corners 0..3 (strip order) cut whole, by the plane between `face` and `other`
// (faces of different axes), into a piece of each: fewer and larger pieces than its two
// triangles give. It holds where the outline meets the plane at two points or fewer, and the
// pieces' vertices keep within their faces' other bounds, which by convexity then hold over
// the pieces. Returns the pieces (one or two), or -1 where this does not hold.
int splitQuadBetween(const SeamVertex corners[4], int face, int other, SeamPiece pieces[2]) {
  const int a = face / 2, b = other / 2, c = 3 - a - b;
  const double sa = face % 2 ? 1.0 : -1.0, sb = other % 2 ? 1.0 : -1.0;
  // The same bits, up to sign, as the clipping's planeValue of this plane: the edges this
  // shares with quads cut by the triangles are cut at the same points.
  double values[4];
  for (int i = 0; i < 4; ++i) values[i] = sa * corners[i].direction[a] - sb * corners[i].direction[b];
  // The outline in the strip's winding. The two pieces share the points of the outline on
  // the plane (corners on it, and cuts): with two or fewer of them, the pieces are the two
  // sides of one chord; with more, they would overlap or fall apart, and the triangles take
  // the quad.
  static const int kOutline[4] = {0, 1, 3, 2};
  // Bit i for outline point i: above and below the plane; a cut where one bit and the next
  // point's other bit are set.
  const unsigned above = (values[0] > 0.0) | (values[1] > 0.0) << 1 | (values[3] > 0.0) << 2 |
                         (values[2] > 0.0) << 3;
  const unsigned below = (values[0] < 0.0) | (values[1] < 0.0) << 1 | (values[3] < 0.0) << 2 |
                         (values[2] < 0.0) << 3;
  const auto nextOf = [](unsigned bits) { return (bits >> 1 | bits << 3) & 0xFu; };
  const unsigned cuts = (above & nextOf(below)) | (below & nextOf(above));
  const int onPlane = __builtin_popcount(~(above | below) & 0xFu) + __builtin_popcount(cuts);
  if (onPlane > 2) return -1;
  // Corners with 2 |r_c| <= sa r_a + sb r_b lie in a convex wedge (two half-spaces) that
  // holds the cuts too, where sa r_a = sb r_b, so that both faces' bounds hold there; and
  // each corner on its own side of the plane is then within its face. Near a cube corner
  // the wedge is too narrow, and the pieces' vertices are checked one by one.
  bool wedge = true;
  for (int i = 0; i < 4; ++i) {
    const double* r = corners[i].direction;
    wedge &= sa * r[a] + sb * r[b] >= 2.0 * std::fabs(r[c]);
  }
  const int made = splitInTwo(corners, kOutline, 4, values, face, other, pieces);
  bool inside = true;
  for (int p = 0; p < made && !wedge; ++p) {
    const SeamPiece& piece = pieces[p];
    const int own = piece.face / 2;
    const double sign = piece.face % 2 ? 1.0 : -1.0;
    for (int v = 0; v < piece.count; ++v) {
      const double* r = piece.vertices[v].direction;
      // Beyond the other half of the two faces' border (the opposite face of either), or
      // beyond the third axis.
      inside &= (sa * r[a] + sb * r[b] >= 0.0) & (sign * r[own] >= std::fabs(r[c]));
    }
  }
  return inside && made > 0 ? made : -1;
}

}  // namespace

int splitTriangleByFace(const SeamVertex triangle[3], SeamPiece pieces[kFaceCount]) {
  const Sides sides[3] = {sidesOf(triangle[0].direction), sidesOf(triangle[1].direction),
                          sidesOf(triangle[2].direction)};
  return splitTriangle(triangle, sides, pieces);
}

void quadTriangles(int k, int l, int triangles[2][3]) {
  const unsigned char faces[4] = {texFaces[k - 1][l], texFaces[k][l], texFaces[k - 1][l + 1],
                                  texFaces[k][l + 1]};
  // A corner of (k-1, l) or (k, l+1) alone on its face: the other diagonal keeps it in one
  // triangle, so that only that triangle is cut.
  const bool loneOnDiagonal = (faces[1] == faces[2] && faces[1] == faces[3] && faces[0] != faces[1]) ||
                              (faces[0] == faces[1] && faces[0] == faces[2] && faces[3] != faces[0]);
  static const int kAlongAD[2][3] = {{0, 1, 3}, {0, 3, 2}};
  static const int kAlongBC[2][3] = {{0, 1, 2}, {1, 3, 2}};
  std::memcpy(triangles, loneOnDiagonal ? kAlongBC : kAlongAD, sizeof kAlongAD);
}

int splitQuadByFace(int k, int l, const float d[3], SeamPiece pieces[kMaxQuadPieces]) {
  // All four reflections first: stores into the corners between them would make the
  // compiler reload the normals, and put the four in a row.
  float r[4][3];
  for (int c = 0; c < 4; ++c) reflectView(surfaceNormals[k - 1 + (c & 1)][l + (c >> 1)], d, r[c]);
  // Corners in strip order: (k-1, l), (k, l), (k-1, l+1), (k, l+1).
  SeamVertex corners[4];
  double sums[4];
  for (int c = 0; c < 4; ++c) {
    const double* position = surfacePoints[k - 1 + (c & 1)][l + (c >> 1)];
    for (int i = 0; i < 3; ++i) {
      corners[c].position[i] = position[i];
      corners[c].direction[i] = r[c][i];
    }
    sums[c] = (corners[c].direction[0] + corners[c].direction[1]) + corners[c].direction[2];
  }
  // Finite floats cannot overflow a double sum: the sum is finite just where all twelve are.
  const double sum = (sums[0] + sums[1]) + (sums[2] + sums[3]);
  if (!(sum - sum == 0.0)) return 0;
  // Corners on two faces side by side, as texFaces has them: most straddling quads.
  const unsigned char faces[4] = {texFaces[k - 1][l], texFaces[k][l], texFaces[k - 1][l + 1],
                                  texFaces[k][l + 1]};
  int other = faces[0];
  for (int c = 1; c < 4; ++c)
    if (faces[c] != faces[0]) other = faces[c];
  bool twoFaces = faces[0] / 2 != other / 2;
  for (int c = 1; c < 4; ++c) twoFaces &= faces[c] == faces[0] || faces[c] == other;
  if (twoFaces) {
    const int cut = splitQuadBetween(corners, faces[0], other, pieces);
    if (cut >= 0) return cut;
  }
  Sides sides[4];
  for (int c = 0; c < 4; ++c) sides[c] = sidesOf(corners[c].direction);
  const Reach reach = reachOf(sides, 4);
  int triangles[2][3];
  quadTriangles(k, l, triangles);
  // One plane alone parting two faces over the whole quad parts them in either triangle.
  const int split = splitAtLonePlane(corners, 4, reach, triangles, 2, pieces);
  if (split >= 0) return split;
  int count = 0;
  for (const int* tri : triangles) {
    const SeamVertex triangle[3] = {corners[tri[0]], corners[tri[1]], corners[tri[2]]};
    const Sides of[3] = {sides[tri[0]], sides[tri[1]], sides[tri[2]]};
    count += splitTriangle(triangle, of, pieces + count);
  }
  return count;
}
