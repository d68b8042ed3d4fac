// The mirror across cube-face borders on the real window: with an atlas of six solid cells,
// every pixel shows the face that the reflection interpolated at that pixel points to, which
// the test works out itself from the normals (double precision) and the GL's own projection.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/shell.h"
#include "app/state.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "render/cubemap.h"
#include "render/views.h"
#include "support/atlas.h"
#include "support/gl_window.h"
#include "support/viewer_gl_fixture.h"

namespace {

using support::kFaceNames;
using support::kFlatFaceColours;
using support::Rgb;
constexpr int kCell = 256;          // atlas cell side in texels, as in the default atlas
constexpr double kBorder = 0.99;    // nearer a border than this, filtering may mix two cells
constexpr int kUnknown = -2;        // a pixel the prediction leaves out
constexpr int kBackground = -1;     // a pixel no triangle covers

// The face of a direction and whether it lies clear of every border.
int clearFace(const double r[3]) {
  int axis = 0;
  for (int i = 1; i < 3; ++i)
    if (std::fabs(r[i]) > std::fabs(r[axis])) axis = i;
  for (int i = 0; i < 3; ++i)
    if (i != axis && std::fabs(r[i]) > kBorder * std::fabs(r[axis])) return kUnknown;
  return 2 * axis + (r[axis] < 0.0 ? 0 : 1);
}

struct Corner {
  double x, y;  // window pixels, origin bottom-left
  double z;     // window depth, 0 nearest
  double r[3];  // reflection of the view direction
};

// The camera view as the GL will draw it: sample (k, l) projected through the matrices
// setupView(3) leaves, with its reflection, and the faces pixel by pixel of the camera view
// (400 by 400 from its bottom-left corner), the nearest triangle over a pixel winning. A
// pixel centre within 1e-4 of a triangle's edge (in barycentric terms) may go either way, and
// so may one where another row's triangle comes within kDepthSlack of the nearest: both are
// left out. *seamPixels counts the predicted pixels of straddling quads, *hiddenPixels those
// where a farther row, hidden behind, would show another face.
constexpr double kDepthSlack = 2e-5;  // window depth, 4 world units of the camera view

std::vector<int> predictFaces(int* seamPixels, int* hiddenPixels) {
  setupView(3);
  GLdouble model[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  static Corner corners[kSamples][kSamples];
  const double d[3] = {static_cast<double>(cameraCenter[0]) - cameraEye[0],
                       static_cast<double>(cameraCenter[1]) - cameraEye[1],
                       static_cast<double>(cameraCenter[2]) - cameraEye[2]};
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l) {
      Corner& c = corners[k][l];
      const double* p = surfacePoints[k][l];
      gluProject(p[0], p[1], p[2], model, projection, viewport, &c.x, &c.y, &c.z);
      const double* n = surfaceNormals[k][l];
      const double dot = n[0] * d[0] + n[1] * d[1] + n[2] * d[2];
      for (int i = 0; i < 3; ++i) c.r[i] = d[i] - 2.0 * dot * n[i];
    }
  // Per pixel the nearest triangle's depth, face and row, and the nearest depth and face of
  // another row's triangle.
  struct Cover {
    double depth = HUGE_VAL, otherDepth = HUGE_VAL;
    int face = kBackground, otherFace = kBackground, row = 0;
    bool straddles = false;
  };
  std::vector<Cover> covers(400 * 400);
  for (int k = 1; k < kSamples; ++k) {
    for (int l = 0; l + 1 < kSamples; ++l) {
      const Corner* quad[4] = {&corners[k - 1][l], &corners[k][l], &corners[k - 1][l + 1],
                               &corners[k][l + 1]};
      const bool straddles = std::any_of(quad + 1, quad + 4, [&](const Corner* c) {
        return clearFace(c->r) != clearFace(quad[0]->r) || clearFace(c->r) == kUnknown;
      });
      const Corner* triangles[2][3] = {{quad[0], quad[1], quad[3]}, {quad[0], quad[3], quad[2]}};
      for (const auto& t : triangles) {
        const double area = (t[1]->x - t[0]->x) * (t[2]->y - t[0]->y) -
                            (t[2]->x - t[0]->x) * (t[1]->y - t[0]->y);
        if (area == 0.0) continue;
        const double minX = std::min({t[0]->x, t[1]->x, t[2]->x}) - 400.0;
        const double maxX = std::max({t[0]->x, t[1]->x, t[2]->x}) - 400.0;
        const double minY = std::min({t[0]->y, t[1]->y, t[2]->y}) - 400.0;
        const double maxY = std::max({t[0]->y, t[1]->y, t[2]->y}) - 400.0;
        for (int py = std::max(0, static_cast<int>(minY)); py <= std::min(399.0, maxY); ++py) {
          for (int px = std::max(0, static_cast<int>(minX)); px <= std::min(399.0, maxX); ++px) {
            const double x = px + 400.5, y = py + 400.5;
            double w[3];
            for (int v = 0; v < 3; ++v) {
              const Corner* a = t[(v + 1) % 3];
              const Corner* b = t[(v + 2) % 3];
              w[v] = ((b->x - a->x) * (y - a->y) - (x - a->x) * (b->y - a->y)) / area;
            }
            const double least = std::min({w[0], w[1], w[2]});
            if (least < -1e-4) continue;
            double r[3];
            for (int i = 0; i < 3; ++i) r[i] = w[0] * t[0]->r[i] + w[1] * t[1]->r[i] + w[2] * t[2]->r[i];
            const double depth = w[0] * t[0]->z + w[1] * t[1]->z + w[2] * t[2]->z;
            const int face = least <= 1e-4 ? kUnknown : clearFace(r);
            Cover& c = covers[py * 400 + px];
            // A nearer triangle of another row makes the one it covers the other one.
            if (depth < c.depth)
              c = {depth, c.row != k ? c.depth : c.otherDepth, face, c.row != k ? c.face : c.otherFace, k, straddles};
            else if (c.row != k && depth < c.otherDepth)
              c.otherDepth = depth, c.otherFace = face;
          }
        }
      }
    }
  }
  std::vector<int> faces(400 * 400);
  *seamPixels = 0;
  *hiddenPixels = 0;
  for (int i = 0; i < 400 * 400; ++i) {
    const Cover& c = covers[i];
    faces[i] = c.otherDepth - c.depth > kDepthSlack ? c.face : kUnknown;
    if (faces[i] < 0) continue;
    *seamPixels += c.straddles;
    *hiddenPixels += c.otherFace >= 0 && c.otherFace != c.face;
  }
  return faces;
}

class SeamsGl : public support::ViewerGlTest {
 protected:
  void SetUp() override {
    ViewerGlTest::SetUp();
    if (HasFatalFailure()) return;
    // The working directory is the window's scratch one, which holds no other atlas.
    ASSERT_TRUE(support::writeFlatAtlas("cubemap.png", kCell));
    std::fflush(stdout);
    const bool loaded = loadCubemap("cubemap.png");
    std::remove("cubemap.png");
    ASSERT_TRUE(loaded);
  }
  void TearDown() override {
    ViewerGlTest::TearDown();
  }
};

TEST_F(SeamsGl, EveryPixelShowsTheFaceOfItsInterpolatedReflection) {
  struct Case {
    const char* label;
    float eye[3], center[3], up[3];
    int net;  // 0 the start-up grid, 1 control point (1, 1) moved as in a front-view drag,
              // 2 the last row of points moved past the first, folding the patch over
              // itself, 3 the same fold from the other side (the first row past the last)
  };
  const Case cases[] = {
      {"start-up camera", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}, 0},
      {"orbited right", {-0.6614378f, 0, 0.75f}, {0, 0, 0}, {0, 1, 0}, 0},
      {"orbited over the top", {0, 1, 0}, {0, 0, 0}, {0, 0, -1}, 0},
      {"point dragged, seen aslant", {0.3f, -0.4f, 0.866f}, {0, 0, 0}, {0, 1, 0}, 1},
      {"folded over itself", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}, 2},
      {"folded to the other side", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}, 3},
  };
  for (const Case& c : cases) {
    initControlGrid();
    if (c.net == 1) {
      controlPoints[1][1][0] = -320.0;
      controlPoints[1][1][1] = 400.0;
    }
    for (int j = 0; j < kGridSize && c.net >= 2; ++j)
      controlPoints[c.net == 2 ? 3 : 0][j][0] = c.net == 2 ? -840.0 : 840.0;
    updateSurface();
    std::memcpy(cameraEye, c.eye, sizeof cameraEye);
    std::memcpy(cameraCenter, c.center, sizeof cameraCenter);
    std::memcpy(cameraUp, c.up, sizeof cameraUp);
    display();
    const std::vector<unsigned char> frame = readBackRgb(400, 400, 400, 400);
    int seamPixels = 0, hiddenPixels = 0;
    const std::vector<int> faces = predictFaces(&seamPixels, &hiddenPixels);
    int checked = 0, wrong = 0;
    for (int i = 0; i < 400 * 400; ++i) {
      if (faces[i] < 0) continue;
      ++checked;
      const Rgb got = {frame[3 * i], frame[3 * i + 1], frame[3 * i + 2]};
      if (support::flatFaceOf(got) != faces[i] && ++wrong <= 5)
        ADD_FAILURE() << c.label << ": pixel (" << 400 + i % 400 << ", " << 400 + i / 400
                      << ") is " << got.r << "," << got.g << "," << got.b << ", predicted "
                      << kFaceNames[faces[i]];
    }
    EXPECT_EQ(wrong, 0) << c.label << ", of " << checked << " pixels";
    // Enough of the picture, and of the quads that straddle a border, for a fault to show.
    EXPECT_GT(checked, 10000) << c.label;
    EXPECT_GT(seamPixels, 300) << c.label;
    // Where the patch folds, the nearer part shows, drawn before the farther one or after it,
    // over one that reflects another face.
    if (c.net >= 2) {
      EXPECT_GT(hiddenPixels, 300) << c.label;
    }
    std::printf("%s: %d pixels predicted, %d of them in straddling quads, %d over another face\n",
                c.label, checked, seamPixels, hiddenPixels);
  }
}

}  // namespace
