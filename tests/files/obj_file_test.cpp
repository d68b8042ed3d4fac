// The OBJ text read back by the test's own reader: the counts, the numbers of the
// tessellation bit for bit, unit normals, every face wound counter-clockwise seen from its
// vertex normals, and each edge shared by two faces in opposite directions (one mesh).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "files/obj_file.h"
#include "model/basis.h"
#include "model/tessellation.h"

namespace {

struct Mesh {
  std::vector<std::vector<double>> v, vt, vn;
  std::vector<std::vector<int>> f;  // 1-based indices; -1 where a/b/c are not alike
  int comments = 0, other = 0;
};

Mesh readObj(const std::string& text) {
  Mesh mesh;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string tag;
    words >> tag;
    if (tag == "f") {
      std::vector<int> face;
      for (std::string vertex; words >> vertex;) {
        int a = 0, b = 0, c = 0;
        const bool alike = std::sscanf(vertex.c_str(), "%d/%d/%d", &a, &b, &c) == 3 && a == b && b == c;
        face.push_back(alike ? a : -1);
      }
      mesh.f.push_back(face);
    } else if (tag == "v" || tag == "vt" || tag == "vn") {
      std::vector<double> numbers;
      for (std::string number; words >> number;) numbers.push_back(std::strtod(number.c_str(), nullptr));
      (tag == "v" ? mesh.v : tag == "vt" ? mesh.vt : mesh.vn).push_back(numbers);
    } else {
      ++(tag[0] == '#' ? mesh.comments : mesh.other);
    }
  }
  return mesh;
}

void checkMesh(const Mesh& mesh) {
  ASSERT_EQ(mesh.comments, 1);
  EXPECT_EQ(mesh.other, 0);
  ASSERT_EQ(mesh.v.size(), 16641u);
  ASSERT_EQ(mesh.vt.size(), 16641u);
  ASSERT_EQ(mesh.vn.size(), 16641u);
  ASSERT_EQ(mesh.f.size(), 32768u);
  for (int k = 0; k < kSamples; ++k) {
    for (int l = 0; l < kSamples; ++l) {
      const int i = k * kSamples + l;
      ASSERT_EQ(mesh.v[i], std::vector<double>(surfacePoints[k][l], surfacePoints[k][l] + 3)) << k << "," << l;
      ASSERT_EQ(mesh.vn[i], std::vector<double>(surfaceNormals[k][l], surfaceNormals[k][l] + 3)) << k << "," << l;
      ASSERT_EQ(mesh.vt[i], (std::vector<double>{l / 128.0, k / 128.0}));
      const double* n = surfaceNormals[k][l];
      ASSERT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0, 1e-12);
    }
  }
  std::map<std::pair<int, int>, int> edges;  // directed edge -> times seen
  int wrong = 0;
  for (const std::vector<int>& face : mesh.f) {
    ASSERT_EQ(face.size(), 3u);
    const double* p[3];
    for (int c = 0; c < 3; ++c) {
      ASSERT_TRUE(face[c] >= 1 && face[c] <= 16641) << face[c];
      p[c] = mesh.v[face[c] - 1].data();
      ++edges[{face[c], face[(c + 1) % 3]}];
    }
    const double e1[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
    const double e2[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
    const double cross[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                             e1[0] * e2[1] - e1[1] * e2[0]};
    for (int c = 0; c < 3; ++c) {
      const std::vector<double>& n = mesh.vn[face[c] - 1];
      wrong += cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2] <= 0.0;
    }
  }
  EXPECT_EQ(wrong, 0) << "vertex normals on the clockwise side of their face";
  // Interior edges twice (once each way), the 4 * 128 rim edges once: no edge twice one way.
  int rim = 0;
  for (const auto& [edge, seen] : edges) {
    ASSERT_EQ(seen, 1) << edge.first << "->" << edge.second;
    rim += edges.count({edge.second, edge.first}) == 0;
  }
  EXPECT_EQ(rim, 4 * 128);
}

std::string formatted() {
  std::vector<char> text(kObjTextCapacity);
  return std::string(text.data(), formatObj(surfacePoints, surfaceNormals, text.data(), text.size()));
}

}  // namespace

TEST(ObjFile, MeshIsTheTessellationWoundTowardsItsNormals) {
  initBinomials();
  initBernstein();
  // the dome, normals towards +z
  initControlGrid();
  checkMesh(readObj(formatted()));
  // rows in reverse order turn every normal to -z: the winding must follow
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < kGridSize; ++j)
      for (int c = 0; c < 3; ++c) std::swap(controlPoints[i][j][c], controlPoints[3 - i][j][c]);
  updateSurface();
  ASSERT_LT(surfaceNormals[64][64][2], -0.99);
  checkMesh(readObj(formatted()));
  // a lopsided patch, no symmetry left
  controlPoints[1][2][2] += 500.0;
  controlPoints[0][3][0] -= 300.0;
  controlPoints[2][0][1] += 200.0;
  updateSurface();
  checkMesh(readObj(formatted()));
  initControlGrid();
}

TEST(ObjFile, TooSmallABufferGivesNothing) {
  initBinomials();
  initBernstein();
  initControlGrid();
  const std::string text = formatted();
  std::vector<char> buffer(text.size());
  EXPECT_EQ(formatObj(surfacePoints, surfaceNormals, buffer.data(), buffer.size()), 0u);
  buffer.resize(text.size() + 1);
  EXPECT_EQ(formatObj(surfacePoints, surfaceNormals, buffer.data(), buffer.size()), text.size());
}
