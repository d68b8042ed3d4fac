// The mirror patch on the real window: which atlas cell shows where, for several cameras,
// predicted by the tests' own rasteriser; the untextured patch; the strips as the GL
// receives them; the texture unit after the call.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/shell.h"
#include "app/state.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "render/mirror.h"
#include "render/seams.h"
#include "render/views.h"
#include "support/atlas.h"
#include "support/compare.h"
#include "support/gl_window.h"
#include "support/mirror_prediction.h"
#include "support/viewer_gl_fixture.h"

namespace {

using support::kFaceNames;
using support::kFlatFaceColours;
using support::polygonArea;
using support::Rgb;
const Rgb kBackground = {255, 255, 255};  // the camera view's clear colour
constexpr int kCell = 256;  // atlas cell side in texels: the prediction keeps 1 % of it from a border

std::string show(Rgb c) {
  return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

Rgb pixelAt(const std::vector<unsigned char>& frame, int x, int y) {
  const unsigned char* p = &frame[(static_cast<std::size_t>(y) * 800 + x) * 3];
  return {p[0], p[1], p[2]};
}

struct Camera {
  const char* label;
  float eye[3], center[3], up[3];
};

void applyCamera(const Camera& c) { support::setCamera(c.eye, c.center, c.up); }

// The faces the test's own rasteriser predicts for the camera view, bottom row first.
std::vector<int> predictFaces(const Camera& cam) { return support::predictMirrorFaces(cam.eye, cam.center, cam.up).faces; }
constexpr int kUnknown = support::kPixelUnknown;
constexpr int kNothing = support::kPixelBackground;

using MirrorGl = support::ViewerGlTest;

TEST_F(MirrorGl, DefaultCameraShowsThePlusZCellInTheMiddle) {
  ASSERT_TRUE(support::loadFlatAtlas(kCell));
  Camera def = {"default", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}};
  applyCamera(def);
  display();
  const std::vector<unsigned char> frame = readBackRgb(0, 0, 800, 800);
  // Window pixel (600, 200) from the top-left: the dome's top faces the eye.
  EXPECT_EQ(show(pixelAt(frame, 600, 600)), show(kFlatFaceColours[kFacePlusZ]));
  EXPECT_EQ(show(pixelAt(frame, 599, 599)), show(kFlatFaceColours[kFacePlusZ]));
}

TEST_F(MirrorGl, EveryPixelShowsTheFaceItsReflectionPredicts) {
  ASSERT_TRUE(support::loadFlatAtlas(kCell));
  const Camera cameras[] = {
      {"default", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}},
      {"from +X", {1, 0, 0}, {0, 0, 0}, {0, 1, 0}},
      {"from +Y", {0, 1, 0}, {0, 0, 0}, {0, 0, -1}},
      {"from below", {0, 0, -5}, {0, 0, 0}, {0, 1, 0}},
      {"diagonal", {1, 1, 1}, {0, 0, 0}, {0, 1, 0}},
      {"aside", {-2, 0.5f, 1}, {0.25f, 0, 0}, {0, 0, 1}},
  };
  std::set<int> allFaces;
  for (const Camera& cam : cameras) {
    applyCamera(cam);
    display();
    const std::vector<unsigned char> frame = readBackRgb(0, 0, 800, 800);
    const std::vector<int> expected = predictFaces(cam);
    int checked = 0, wrong = 0, background = 0;
    std::set<int> faces;
    for (int y = 0; y < 400; ++y) {
      for (int x = 0; x < 400; ++x) {
        const int e = expected[y * 400 + x];
        if (e == kUnknown) continue;
        const Rgb want = e == kNothing ? kBackground : kFlatFaceColours[e];
        const Rgb got = pixelAt(frame, 400 + x, 400 + y);
        if (e == kNothing) ++background;
        else {
          ++checked;
          faces.insert(e);
        }
        if (!(got == want) && ++wrong <= 5)
          ADD_FAILURE() << cam.label << ": pixel (" << 400 + x << ", " << 400 + y << ") is "
                        << show(got) << ", expected "
                        << (e == kNothing ? "background" : kFaceNames[e]) << " " << show(want);
      }
    }
    EXPECT_EQ(wrong, 0) << cam.label;
    EXPECT_GT(checked, 500) << cam.label << ": too few pixels could be predicted";
    EXPECT_GT(background, 1000) << cam.label;
    for (int f : faces) allFaces.insert(f);
    std::printf("%s: %d pixels predicted, faces", cam.label, checked);
    for (int f : faces) std::printf(" %s", kFaceNames[f]);
    std::printf("\n");
  }
  // Together the cameras see most of the environment.
  EXPECT_GE(allFaces.size(), 5u);
}

TEST_F(MirrorGl, CameraMovesChangeTheMiddleFace) {
  ASSERT_TRUE(support::loadFlatAtlas(kCell));
  struct Case {
    Camera cam;
    CubeFace middle;
  };
  // Seen edge-on the middle ray grazes the dome's crown, whose normal (0, 0, 1) is square to
  // it, and goes on unturned: from +X to -X, from +Y to -Y (the flanks around it, the nearer
  // one showing, are the other cases' pixels). From below, the top's normal turns the view
  // down, to -Z.
  const Case cases[] = {{{"from +X", {1, 0, 0}, {0, 0, 0}, {0, 1, 0}}, kFaceMinusX},
                        {{"from +Y", {0, 1, 0}, {0, 0, 0}, {0, 0, -1}}, kFaceMinusY},
                        {{"from +Y, far", {0, 900, 0}, {0, 0, 0}, {0, 0, -1}}, kFaceMinusY},
                        {{"from below", {0, 0, -5}, {0, 0, 0}, {0, 1, 0}}, kFaceMinusZ}};
  for (const Case& c : cases) {
    applyCamera(c.cam);
    display();
    const std::vector<int> expected = predictFaces(c.cam);
    // The predictable pixel nearest the middle of the camera view.
    int best = -1, bestDistance = 1 << 30;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 400; ++x) {
        const int dist = (x - 200) * (x - 200) + (y - 200) * (y - 200);
        if (expected[y * 400 + x] >= 0 && dist < bestDistance) best = y * 400 + x, bestDistance = dist;
      }
    ASSERT_GE(best, 0) << c.cam.label;
    // The middle may lie near a cell border, where the filter mixes two cells.
    EXPECT_LE(bestDistance, 30 * 30) << c.cam.label;
    EXPECT_EQ(expected[best], c.middle) << c.cam.label;
    unsigned char rgb[3];
    backPixel(400 + best % 400, 400 + best / 400, rgb);
    EXPECT_EQ(show({rgb[0], rgb[1], rgb[2]}), show(kFlatFaceColours[c.middle]))
        << c.cam.label << ": pixel " << 400 + best % 400 << "," << 400 + best / 400;
  }
}

TEST_F(MirrorGl, TheXAxisShowsOnlyWhereThePatchIsNotInFront) {
  ASSERT_TRUE(support::loadFlatAtlas(kCell));
  // Along y = 0 the start-up patch lies at z = -800 (u - 0.5)^2, at most 0: lifted by 200
  // it is in front of the axis (z = 0) from x = -400 to 400, lowered by 200 behind it.
  const struct {
    double lift;  // world units added to every control point's z
    bool axisShows;
  } cases[] = {{200.0, false}, {-200.0, true}};
  for (const auto& c : cases) {
    initControlGrid();
    for (auto& row : controlPoints)
      for (auto& point : row) point[2] += c.lift;
    updateSurface();
    // The axis runs from window pixel (600, 600) a pixel every 4 world units to the right:
    // the red of the axis, or the patch exactly as without the axes.
    std::vector<unsigned char> frames[2];
    for (bool axes : {false, true}) {
      showAxes = axes;
      display();
      frames[axes] = readBackRgb(0, 0, 800, 800);
    }
    for (int x = 40; x <= 360; x += 40) {
      const Rgb without = pixelAt(frames[0], 600 + x / 4, 600), with = pixelAt(frames[1], 600 + x / 4, 600);
      EXPECT_EQ(show(with), show(c.axisShows ? Rgb{255, 0, 0} : without)) << "lift " << c.lift << ", x " << x;
      EXPECT_NE(show(without), show({255, 0, 0}));
    }
  }
}

TEST_F(MirrorGl, WithoutATextureThePatchShowsThePlainColour) {
  // Texture object 0 holds no image, as after a failed load.
  glBindTexture(GL_TEXTURE_2D, 0);
  applyCamera({"default", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}});
  display();
  const std::vector<unsigned char> frame = readBackRgb(0, 0, 800, 800);
  const std::vector<int> expected = predictFaces({"default", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}});
  int checked = 0, wrong = 0;
  for (int y = 0; y < 400; y += 3) {
    for (int x = 0; x < 400; x += 3) {
      if (expected[y * 400 + x] < 0) continue;
      ++checked;
      const Rgb got = pixelAt(frame, 400 + x, 400 + y);
      // The colour the side view's last control point leaves: (0.5, 0.5, 1.0).
      if ((std::abs(got.r - 128) > 1 || std::abs(got.g - 128) > 1 || got.b != 255) && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << 400 + x << "," << 400 + y << " is " << show(got);
    }
  }
  EXPECT_GT(checked, 200);
  EXPECT_EQ(wrong, 0);
}

TEST_F(MirrorGl, LeavesTheTextureUnitDisabledAndStateAlone) {
  ASSERT_TRUE(support::loadFlatAtlas(kCell));
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  for (bool enabledBefore : {false, true}) {
    setupView(3);
    if (enabledBefore) glEnable(GL_TEXTURE_2D);
    else glDisable(GL_TEXTURE_2D);
    glColor3f(0.25f, 0.5f, 0.75f);
    glMatrixMode(GL_MODELVIEW);
    drawMirrorPatch();
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE) << "enabled before: " << enabledBefore;
    GLint after = -1, mode = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &after);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(after, bound);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.25f);
    EXPECT_EQ(colour[1], 0.5f);
    EXPECT_EQ(colour[2], 0.75f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

TEST_F(MirrorGl, StripsPairEachSampleWithItsOwnCoordinatesAndPiecesFollowEachRow) {
  // The primitives as the GL receives them, through feedback: window position, colour and
  // texture coordinates of every vertex.
  applyCamera({"default", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}});
  setupView(3);
  std::vector<GLfloat> buffer(3000000);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  drawMirrorPatch();
  const GLint used = glRenderMode(GL_RENDER);
  ASSERT_GT(used, 0) << "feedback buffer overflow";

  // In this view window x depends only on k and window y only on l.
  std::vector<int> polygonsPerCell(128 * 128, 0);
  std::vector<unsigned> cornersPerCell(128 * 128, 0);
  std::vector<double> pieceArea(128 * 128, 0.0);  // window pixels, of a straddling quad's pieces
  int lastOrder = 0;  // twice the last polygon's row of quads, plus one for a piece
  int polygons = 0, badVertices = 0;
  for (GLint i = 0; i < used;) {
    const GLfloat token = buffer[i++];
    ASSERT_EQ(token, static_cast<GLfloat>(GL_POLYGON_TOKEN)) << "at " << i;
    const int count = static_cast<int>(buffer[i++]);
    ASSERT_GE(count, 3);
    // A quad whose corners reflect onto different faces is drawn in pieces of its own (see
    // the seams tests): its polygons are told apart by the cell their middle lies in.
    double kMiddle = 0.0, lMiddle = 0.0;
    for (int v = 0; v < count; ++v) {
      kMiddle += ((buffer[i + 11 * v] - 600.0) * 4.0 / 560.0 + 1.0) * 64.0 / count;
      lMiddle += (1.0 - (buffer[i + 11 * v + 1] - 600.0) * 4.0 / 560.0) * 64.0 / count;
    }
    const int cellK = std::clamp(static_cast<int>(kMiddle), 0, 127);
    const int cellL = std::clamp(static_cast<int>(lMiddle), 0, 127);
    // Row by row, and in each row its strips before its pieces.
    const bool piece = quadStraddlesFaces(cellK + 1, cellL);
    EXPECT_GE(2 * cellK + piece, lastOrder) << "row " << cellK + 1 << (piece ? " piece" : " strip") << " after row "
                                            << lastOrder / 2 + 1 << (lastOrder % 2 ? " piece" : " strip");
    lastOrder = 2 * cellK + piece;
    if (piece) {
      pieceArea[cellK * 128 + cellL] += polygonArea(count, [&](int v, int c) { return c < 2 ? double{buffer[i + 11 * v + c]} : 0.0; });
      i += 11 * count;
      continue;
    }
    int kMin = 1000, lMin = 1000;
    int ks[8], ls[8];
    for (int v = 0; v < count && v < 8; ++v, i += 11) {
      const GLfloat* vertex = &buffer[i];
      const double worldX = (vertex[0] - 600.0) * 4.0, worldY = (vertex[1] - 600.0) * 4.0;
      const int k = static_cast<int>(std::lround((worldX / 560.0 + 1.0) * 64.0));
      const int l = static_cast<int>(std::lround((1.0 - worldY / 560.0) * 64.0));
      ASSERT_TRUE(k >= 0 && k < kSamples && l >= 0 && l < kSamples) << k << "," << l;
      const double* p = surfacePoints[k][l];
      const double* st = texCoords[k][l];
      const bool placed = std::fabs(vertex[0] - (600.0 + p[0] / 4.0)) < 1e-3 &&
                          std::fabs(vertex[1] - (600.0 + p[1] / 4.0)) < 1e-3;
      const bool paired = vertex[7] == static_cast<GLfloat>(st[0]) &&
                          vertex[8] == static_cast<GLfloat>(st[1]);
      if ((!placed || !paired) && ++badVertices <= 5)
        ADD_FAILURE() << "vertex of sample " << k << "," << l << " at " << vertex[0] << ","
                      << vertex[1] << " with (s, t) " << vertex[7] << "," << vertex[8]
                      << ", expected " << st[0] << "," << st[1];
      ks[v] = k;
      ls[v] = l;
      kMin = std::min(kMin, k);
      lMin = std::min(lMin, l);
    }
    ASSERT_LE(count, 8);
    ASSERT_TRUE(kMin < 128 && lMin < 128);
    unsigned corners = 0;
    for (int v = 0; v < count; ++v) {
      ASSERT_TRUE(ks[v] - kMin <= 1 && ls[v] - lMin <= 1) << "a polygon spans more than a cell";
      corners |= 1u << ((ks[v] - kMin) * 2 + (ls[v] - lMin));
    }
    ++polygonsPerCell[kMin * 128 + lMin];
    cornersPerCell[kMin * 128 + lMin] |= corners;
    ++polygons;
  }
  EXPECT_EQ(badVertices, 0);
  int stripCells = 0;
  for (int c = 0; c < 128 * 128; ++c) stripCells += !quadStraddlesFaces(c / 128 + 1, c % 128);
  ASSERT_EQ(polygons % stripCells, 0) << polygons << " polygons";
  const int each = polygons / stripCells;
  int uneven = 0;
  for (int c = 0; c < 128 * 128; ++c)
    if (!quadStraddlesFaces(c / 128 + 1, c % 128) &&
        (polygonsPerCell[c] != each || cornersPerCell[c] != 0xFu))
      ++uneven;
  EXPECT_EQ(uneven, 0) << "cells drawn other than once, of " << each << " polygon(s) each";
  // A straddling quad's pieces cover it once: its outline's area, (k-1, l), (k, l), (k, l+1),
  // (k-1, l+1) in window pixels, not twice that as with the quad in a strip as well.
  int straddling = 0, miscovered = 0;
  for (int c = 0; c < 128 * 128; ++c) {
    const int k = c / 128 + 1, l = c % 128;
    if (!quadStraddlesFaces(k, l)) continue;
    ++straddling;
    const double* outline[4] = {surfacePoints[k - 1][l], surfacePoints[k][l],
                                surfacePoints[k][l + 1], surfacePoints[k - 1][l + 1]};
    const double area = polygonArea(4, [&](int v, int c) { return c < 2 ? outline[v][c] / 4.0 : 0.0; });
    if (std::fabs(pieceArea[c] - area) > 1e-3 * pieceArea[c] && ++miscovered <= 5)
      ADD_FAILURE() << "quad " << k << "," << l << ": pieces of " << pieceArea[c] << " px, the quad " << area;
  }
  EXPECT_GT(straddling, 100);
  EXPECT_EQ(miscovered, 0);
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
}

}  // namespace
