// The cutting of triangles at the borders between cube faces, and the atlas coordinates of
// the pieces, checked against geometry worked out by hand: regions written out as
// inequalities, areas from cross products, cells from the atlas layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "app/state.h"
#include "model/basis.h"
#include "render/reflection.h"
#include "render/seams.h"
#include "support/atlas.h"
#include "support/compare.h"
#include "support/viewer_state.h"

namespace {

using support::kFaceNames;

// +X is x >= |y| and x >= |z|, and so on; `slack` allows for rounding at the border.
bool inRegion(int face, const double r[3], double slack) {
  const int axis = face / 2;
  const double along = face % 2 ? r[axis] : -r[axis];
  for (int i = 0; i < 3; ++i)
    if (i != axis && along < std::fabs(r[i]) - slack) return false;
  return true;
}

double polygonArea(const SeamVertex* v, int count) {
  return support::polygonArea(count, [v](int i, int c) { return v[i].position[c]; });
}

SeamVertex vertexAt(double x, double y, double z, double rx, double ry, double rz) {
  return {{x, y, z}, {rx, ry, rz}};
}

// Every piece of a triangle lies in its face's region and in the triangle, where the
// direction is the one the corners' directions interpolate to; the areas add up to the
// triangle's. Returns the faces found, as a bit set.
unsigned expectPiecesTile(const SeamVertex tri[3], const SeamPiece* pieces, int count) {
  double total = 0.0;
  unsigned faces = 0;
  for (int p = 0; p < count; ++p) {
    const SeamPiece& piece = pieces[p];
    EXPECT_GE(piece.count, 3);
    EXPECT_LE(piece.count, kMaxPieceVertices);
    EXPECT_FALSE(faces & (1u << piece.face)) << "two pieces of " << kFaceNames[piece.face];
    faces |= 1u << piece.face;
    total += polygonArea(piece.vertices, piece.count);
    for (int v = 0; v < piece.count; ++v) {
      const SeamVertex& x = piece.vertices[v];
      EXPECT_TRUE(inRegion(piece.face, x.direction, 1e-12)) << kFaceNames[piece.face];
      // Barycentric weights of the position, from areas in the triangle's plane.
      const double whole = polygonArea(tri, 3);
      double w[3];
      for (int i = 0; i < 3; ++i) {
        SeamVertex sub[3] = {tri[0], tri[1], tri[2]};
        sub[i] = x;
        w[i] = polygonArea(sub, 3) / whole;
      }
      EXPECT_NEAR(w[0] + w[1] + w[2], 1.0, 1e-9) << "a vertex outside the triangle";
      for (int c = 0; c < 3; ++c) {
        const double expected =
            w[0] * tri[0].direction[c] + w[1] * tri[1].direction[c] + w[2] * tri[2].direction[c];
        EXPECT_NEAR(x.direction[c], expected, 1e-9) << "direction not interpolated with position";
      }
    }
  }
  EXPECT_NEAR(total, polygonArea(tri, 3), 1e-9 * polygonArea(tri, 3));
  return faces;
}

constexpr unsigned bit(int face) { return 1u << face; }

// texFaces of corner 0..3, in strip order, of the quad [k][l].
int faceAt(int k, int l, int corner) { return texFaces[k - 1 + (corner & 1)][l + (corner >> 1)]; }

// The quad [k][l]'s corners in strip order, with the reflections the cutting works from.
void quadCorners(int k, int l, const float d[3], SeamVertex c[4]) {
  for (int i = 0; i < 4; ++i) {
    const int row = k - 1 + (i & 1), column = l + (i >> 1);
    float r[3];
    reflectView(surfaceNormals[row][column], d, r);
    c[i] = vertexAt(surfacePoints[row][column][0], surfacePoints[row][column][1],
                    surfacePoints[row][column][2], r[0], r[1], r[2]);
  }
}

// Twice the vector area of a polygon: additive, so pieces that tile an outline add up to it
// and overlapping or missing parts show, flat or not.
void addVectorArea(const SeamVertex* v, int count, double sum[3]) {
  for (int i = 0; i < count; ++i) {
    const double* a = v[i].position;
    const double* b = v[(i + 1) % count].position;
    sum[0] += a[1] * b[2] - a[2] * b[1];
    sum[1] += a[2] * b[0] - a[0] * b[2];
    sum[2] += a[0] * b[1] - a[1] * b[0];
  }
}

// Pieces of a quad cut whole, without its triangles: at most one a face, every vertex a
// corner or on an edge of the outline with the direction interpolated as the position, in
// its face's region, and the pieces adding up to the outline's area.
void expectQuadTiled(const SeamVertex c[4], const SeamPiece* pieces, int count) {
  EXPECT_LE(count, 2);
  static const int kOutline[4] = {0, 1, 3, 2};
  double whole[3] = {0, 0, 0}, parts[3] = {0, 0, 0};
  const SeamVertex outline[4] = {c[0], c[1], c[3], c[2]};
  addVectorArea(outline, 4, whole);
  for (int p = 0; p < count; ++p) {
    if (p == 1) {
      EXPECT_NE(pieces[0].face, pieces[1].face);
    }
    addVectorArea(pieces[p].vertices, pieces[p].count, parts);
    for (int v = 0; v < pieces[p].count; ++v) {
      const SeamVertex& x = pieces[p].vertices[v];
      EXPECT_TRUE(inRegion(pieces[p].face, x.direction, 1e-12)) << kFaceNames[pieces[p].face];
      bool onEdge = false;
      for (int e = 0; e < 4 && !onEdge; ++e) {
        const SeamVertex& a = c[kOutline[e]];
        const SeamVertex& b = c[kOutline[(e + 1) % 4]];
        double t = 0, length = 0;
        for (int i = 0; i < 3; ++i) {
          const double step = b.position[i] - a.position[i];
          t += (x.position[i] - a.position[i]) * step;
          length += step * step;
        }
        t /= length;
        onEdge = t >= -1e-12 && t <= 1 + 1e-12;
        for (int i = 0; i < 3 && onEdge; ++i)
          onEdge = std::fabs(a.position[i] + t * (b.position[i] - a.position[i]) - x.position[i]) < 1e-9 &&
                   std::fabs(a.direction[i] + t * (b.direction[i] - a.direction[i]) - x.direction[i]) < 1e-9;
      }
      EXPECT_TRUE(onEdge) << "a vertex off the quad's outline";
    }
  }
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(parts[i], whole[i], 1e-9 * std::fabs(whole[i]) + 1e-9);
}

// The pieces splitQuadByFace gives the quad [k][l]: its two triangles' own, bit for bit, as
// quadTriangles and splitTriangleByFace give them, or the quad cut whole and tiled. Returns
// whether the quad was cut whole.
bool expectQuadPieces(int k, int l, const float d[3]) {
  SeamPiece pieces[kMaxQuadPieces];
  const int count = splitQuadByFace(k, l, d, pieces);
  EXPECT_GE(count, 1);
  SeamVertex c[4];
  quadCorners(k, l, d, c);
  int corners[2][3];
  quadTriangles(k, l, corners);
  // The triangles keep a corner alone on its face in one of them.
  for (int lone = 0; lone < 4; ++lone) {
    const int f = faceAt(k, l, (lone + 1) % 4);
    const bool alone = faceAt(k, l, lone) != f && faceAt(k, l, (lone + 2) % 4) == f &&
                       faceAt(k, l, (lone + 3) % 4) == f;
    const long uses = std::count(corners[0], corners[0] + 3, lone) +
                      std::count(corners[1], corners[1] + 3, lone);
    EXPECT_FALSE(alone && uses == 2) << "corner " << lone << " of quad " << k << "," << l;
  }
  SeamPiece own[kMaxQuadPieces];
  int ownCount = 0;
  for (const auto& tri : corners) {
    const SeamVertex triangle[3] = {c[tri[0]], c[tri[1]], c[tri[2]]};
    const int n = splitTriangleByFace(triangle, own + ownCount);
    expectPiecesTile(triangle, own + ownCount, n);
    ownCount += n;
  }
  bool same = count == ownCount;
  for (int i = 0; i < count && same; ++i)
    same = own[i].face == pieces[i].face && own[i].count == pieces[i].count &&
           std::memcmp(own[i].vertices, pieces[i].vertices, sizeof(SeamVertex) * own[i].count) == 0;
  if (!same) expectQuadTiled(c, pieces, count);
  return !same;
}

TEST(SeamSplit, PiecesTileTheTriangleOneForEachFaceItReaches) {
  // World corners of no special orientation, so that a transposed index shows.
  const double p[3][3] = {{0, 0, 0}, {10, 0, 1}, {3, 7, -2}};
  struct Case {
    const char* label;
    double r[3][3];
    unsigned faces;
  };
  const Case cases[] = {
      {"inside +Z", {{0.1, 0.2, 1}, {-0.3, 0.1, 1}, {0.2, -0.4, 2}}, bit(kFacePlusZ)},
      {"across the +X/+Z border", {{1, 0, 0.6}, {0.6, 0, 1}, {1, 0.1, 1.2}},
       bit(kFacePlusX) | bit(kFacePlusZ)},
      {"across the -Y/-Z border, scaled", {{0, -5, -3}, {1, -3, -5}, {-1, -4, -4.5}},
       bit(kFaceMinusY) | bit(kFaceMinusZ)},
      {"round the cube corner", {{1, 0.7, 0.7}, {0.7, 1, 0.7}, {0.7, 0.7, 1}},
       bit(kFacePlusX) | bit(kFacePlusY) | bit(kFacePlusZ)},
      // No corner is on +Z, but the middle of the first edge, (0.94, 0.94, 0.95), is.
      {"through a face no corner is on", {{1, 0.88, 0.95}, {0.88, 1, 0.95}, {1, 0.95, 0.3}},
       bit(kFacePlusX) | bit(kFacePlusY) | bit(kFacePlusZ)},
      {"a corner on the border", {{1, 1, 0}, {1, 0.5, 0}, {1, 0.5, 0.2}}, bit(kFacePlusX)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    SeamVertex tri[3];
    for (int v = 0; v < 3; ++v)
      tri[v] = vertexAt(p[v][0], p[v][1], p[v][2], c.r[v][0], c.r[v][1], c.r[v][2]);
    SeamPiece pieces[kFaceCount];
    const int count = splitTriangleByFace(tri, pieces);
    // The corner on the +X/+Y border also makes a piece of no area on +Y; it must not
    // count as a face the triangle shows.
    unsigned shown = 0;
    for (int i = 0; i < count; ++i)
      if (polygonArea(pieces[i].vertices, pieces[i].count) > 1e-9) shown |= bit(pieces[i].face);
    EXPECT_EQ(shown, c.faces);
    expectPiecesTile(tri, pieces, count);
    if (c.faces == bit(kFacePlusZ)) {  // uncut: the triangle itself, bit for bit
      ASSERT_EQ(count, 1);
      EXPECT_EQ(std::memcmp(pieces[0].vertices, tri, sizeof tri), 0);
    }
  }
}

TEST(SeamSplit, TrianglesSharingAnEdgeAreCutAtTheSamePoints) {
  std::mt19937 rng(2718);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  int shared = 0;
  for (int round = 0; round < 2000; ++round) {
    // A quad's corners in strip order; directions near a random one, so that most quads
    // straddle a border or two.
    SeamVertex q[4];
    const double base[3] = {u(rng), u(rng), u(rng)};
    for (auto& v : q)
      v = vertexAt(u(rng) * 50, u(rng) * 50, u(rng) * 50, base[0] + 0.3 * u(rng),
                   base[1] + 0.3 * u(rng), base[2] + 0.3 * u(rng));
    const SeamVertex first[3] = {q[0], q[1], q[3]};
    const SeamVertex second[3] = {q[0], q[3], q[2]};  // walks the edge q0-q3 the other way
    SeamPiece a[kFaceCount], b[kFaceCount];
    const int na = splitTriangleByFace(first, a), nb = splitTriangleByFace(second, b);
    expectPiecesTile(first, a, na);
    expectPiecesTile(second, b, nb);
    // Cut points of the first triangle on the shared edge (direction on the segment).
    for (int i = 0; i < na; ++i) {
      for (int v = 0; v < a[i].count; ++v) {
        const SeamVertex& x = a[i].vertices[v];
        double t = 0, off = 0;
        double e[3], rel[3];
        for (int c = 0; c < 3; ++c) {
          e[c] = q[3].position[c] - q[0].position[c];
          rel[c] = x.position[c] - q[0].position[c];
          t += rel[c] * e[c];
        }
        t /= e[0] * e[0] + e[1] * e[1] + e[2] * e[2];
        for (int c = 0; c < 3; ++c) off = std::fmax(off, std::fabs(rel[c] - t * e[c]));
        if (off > 1e-9 || t <= 1e-9 || t >= 1 - 1e-9) continue;
        ++shared;
        bool found = false;
        for (int j = 0; j < nb && !found; ++j)
          for (int w = 0; w < b[j].count && !found; ++w)
            found = std::memcmp(&b[j].vertices[w], &x, sizeof x) == 0;
        EXPECT_TRUE(found) << "round " << round << ": a cut point of the shared edge that the"
                           << " other triangle does not have";
      }
    }
  }
  EXPECT_GT(shared, 200) << "too few cuts on the shared edge to say anything";
}

TEST(SeamTexCoords, TheFacesCellFormulaHeldInsideTheCell) {
  const double ms = 0.5 / 1024, mt = 0.5 / 768;  // half a texel of a 1024 by 768 atlas
  const double none[3] = {0, 0, 0};
  {  // clear of the borders: the mapping's own coordinates, margin or not
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> u(-0.9, 0.9);
    for (int i = 0; i < 600; ++i) {
      const int face = i % kFaceCount, axis = face / 2;
      double r[3] = {u(rng), u(rng), u(rng)};
      r[axis] = face % 2 ? 1.0 : -1.0;
      const float d[3] = {static_cast<float>(r[0]), static_cast<float>(r[1]),
                          static_cast<float>(r[2])};
      double expected[2], got[2];
      ASSERT_EQ(reflectionTexCoord(none, d, expected), face);
      pieceTexCoord(face, r, ms, mt, got);
      EXPECT_NEAR(got[0], expected[0], 1e-6) << kFaceNames[face];
      EXPECT_NEAR(got[1], expected[1], 1e-6) << kFaceNames[face];
    }
  }
  {  // at a cube corner and beyond the borders, each face: held half a texel inside, at
     // the corner of the cell's inner rectangle
    for (int face = 0; face < kFaceCount; ++face) {
      for (const double across : {1.0, 1.25}) {
        double r[3] = {across, -across, across};
        r[face / 2] = face % 2 ? 1.0 : -1.0;
        double st[2];
        pieceTexCoord(face, r, ms, mt, st);
        const double s0 = kAtlasCells[face].column / 4.0, t0 = kAtlasCells[face].row / 3.0;
        EXPECT_TRUE(std::fabs(st[0] - (s0 + ms)) < 1e-12 || std::fabs(st[0] - (s0 + 0.25 - ms)) < 1e-12)
            << kFaceNames[face] << " s " << st[0];
        EXPECT_TRUE(std::fabs(st[1] - (t0 + mt)) < 1e-12 || std::fabs(st[1] - (t0 + 1.0 / 3.0 - mt)) < 1e-12)
            << kFaceNames[face] << " t " << st[1];
        EXPECT_TRUE(support::inFaceCell(face, st, 0.5 * ms)) << kFaceNames[face];
      }
    }
  }
  {  // a whole piece at once: each vertex as pieceTexCoord gives it, bit for bit, odd and
     // even counts, a vertex with no component along the axis among them
    std::mt19937 rng(32);
    std::uniform_real_distribution<double> u(-1.5, 1.5);
    for (int count = 3; count <= kMaxPieceVertices; ++count) {
      SeamPiece piece = {count % kFaceCount, count, {}};
      for (int v = 0; v < count; ++v)
        for (double& c : piece.vertices[v].direction) c = u(rng);
      piece.vertices[1].direction[piece.face / 2] = 0.0;
      double all[kMaxPieceVertices][2], one[2];
      pieceTexCoords(piece, ms, mt, all);
      for (int v = 0; v < count; ++v) {
        pieceTexCoord(piece.face, piece.vertices[v].direction, ms, mt, one);
        EXPECT_EQ(std::memcmp(all[v], one, sizeof one), 0) << count << " vertices, vertex " << v;
      }
    }
  }
  {  // no component along the face's axis, and margins wider than the cell: the middle
    const double across[3] = {0, 0.5, 0.5}, r[3] = {1, 0.5, -0.5};
    double st[2];
    pieceTexCoord(kFacePlusX, across, ms, mt, st);
    EXPECT_DOUBLE_EQ(st[0], 0.625);
    EXPECT_DOUBLE_EQ(st[1], 0.5);
    pieceTexCoord(kFaceMinusY, r, 0.2, 0.2, st);
    EXPECT_DOUBLE_EQ(st[0], 0.375);
    EXPECT_DOUBLE_EQ(st[1], 5.0 / 6.0);
  }
}

class SeamQuads : public ::testing::Test {
 protected:
  void SetUp() override {
    initBinomials();
    initBernstein();
    initControlGrid();
  }
  void TearDown() override { initControlGrid(); }
  void look(float ex, float ey, float ez) {
    const float eye[3] = {ex, ey, ez};
    std::memcpy(cameraEye, eye, sizeof eye);
    std::memset(cameraCenter, 0, sizeof cameraCenter);
  }

 private:
  support::KeepViewerGlobals saved_;
};

TEST_F(SeamQuads, NextStraddlingQuadFindsEveryStraddlingQuadInTurn) {
  std::mt19937 rng(77);
  for (int round = 0; round < 40; ++round) {
    // Long runs of one face with a few changes, denser in later rounds; the first rounds
    // put a lone change at each end of the rows and in their middle.
    std::memset(texFaces, kFacePlusZ, sizeof texFaces);
    if (round < 3) {
      const int at[3] = {0, kSamples - 1, 63};
      for (int k = 0; k < kSamples; k += 7) texFaces[k][at[round]] = kFaceMinusX;
    } else {
      for (int n = 0; n < round * 20; ++n)
        texFaces[rng() % kSamples][rng() % kSamples] = static_cast<unsigned char>(rng() % kFaceCount);
    }
    for (int k = 1; k < kSamples; ++k) {
      std::vector<int> expected, found;
      for (int l = 0; l + 1 < kSamples; ++l)
        if (quadStraddlesFaces(k, l)) expected.push_back(l);
      for (int l = nextStraddlingQuad(k, 0); l + 1 < kSamples; l = nextStraddlingQuad(k, l + 1))
        found.push_back(l);
      ASSERT_EQ(found, expected) << "round " << round << ", row " << k;
    }
  }
}

TEST_F(SeamQuads, QuadsMeetingTheBorderAtCornersOrMoreThanTwiceAreStillTiled) {
  // Seen along -z, normal (a, 0, 1) reflects to (2a, 0, 1): +X past a = 0.5, +Z before it,
  // exactly on the border at 0.5. Corners in strip order; the outline runs 0, 1, 3, 2.
  struct Case {
    const char* label;
    float a[4];
    bool whole;  // pieces other than the triangles' own
  };
  const Case cases[] = {
      {"across, no corner on it", {0.6f, 0.4f, 0.6f, 0.4f}, true},
      {"from a corner on it", {0.6f, 0.5f, 0.4f, 0.4f}, true},
      // Cut along the diagonal: the same pieces as its triangles, which keep corner 0 alone.
      {"corner to corner", {0.6f, 0.5f, 0.5f, 0.4f}, false},
      {"a corner on it between two on one side", {0.6f, 0.5f, 0.4f, 0.6f}, false},
      {"sides alternating round the outline", {0.6f, 0.4f, 0.4f, 0.6f}, false},
  };
  const double positions[4][3] = {{0, 0, 0}, {0, 10, 0.5}, {10, 0, -0.5}, {10, 10, 1}};
  look(0, 0, 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    for (int i = 0; i < 4; ++i) {
      double* n = surfaceNormals[i & 1][i >> 1];
      n[0] = c.a[i];
      n[1] = 0.0;
      n[2] = 1.0;
      std::memcpy(surfacePoints[i & 1][i >> 1], positions[i], sizeof positions[i]);
    }
    computeTexCoords();
    float d[3];
    viewDirection(d);
    ASSERT_TRUE(quadStraddlesFaces(1, 0));
    EXPECT_EQ(expectQuadPieces(1, 0, d), c.whole);
  }
}

TEST_F(SeamQuads, StraddlingQuadsOfThePatchAreTiledByTheirPieces) {
  const float eyes[][3] = {{0, 0, 1}, {-0.66f, 0, 0.75f}, {0.3f, -0.4f, 0.866f}};
  for (const auto& e : eyes) {
    look(e[0], e[1], e[2]);
    computeTexCoords();
    float d[3];
    viewDirection(d);
    int straddling = 0, whole = 0;
    for (int k = 1; k < kSamples; ++k) {
      for (int l = 0; l + 1 < kSamples; ++l) {
        const unsigned char f = texFaces[k - 1][l];
        const bool differ = texFaces[k][l] != f || texFaces[k - 1][l + 1] != f || texFaces[k][l + 1] != f;
        ASSERT_EQ(quadStraddlesFaces(k, l), differ) << k << "," << l;
        if (!differ) continue;
        ++straddling;
        SCOPED_TRACE(testing::Message() << "quad " << k << "," << l);
        whole += expectQuadPieces(k, l, d);
      }
    }
    EXPECT_GE(straddling, 100) << "eye " << e[0] << "," << e[1] << "," << e[2];
    // Most straddle two faces across one border and are cut whole.
    EXPECT_GE(whole, straddling * 3 / 4) << "eye " << e[0] << "," << e[1] << "," << e[2];
  }
  {  // a corner with no finite reflection cannot be cut
    look(0, 0, 1);
    computeTexCoords();
    surfaceNormals[5][7][1] = std::nan("");
    float d[3];
    viewDirection(d);
    SeamPiece pieces[kMaxQuadPieces];
    EXPECT_EQ(splitQuadByFace(5, 7, d, pieces), 0);
    EXPECT_EQ(splitQuadByFace(6, 6, d, pieces), 0);
  }
}

}  // namespace
