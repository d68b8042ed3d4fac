// The four quadrant views on the real window: matrices, rectangles, clear colours, pixels.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/shell.h"
#include "app/state.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "render/views.h"
#include "render/view_layout.h"
#include "support/gl_window.h"
#include "support/rgb.h"
#include "support/viewer_gl_fixture.h"

namespace {

using support::closeTo;
using support::Rgb;

struct Vec {
  double x, y, z;
};

Vec sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec unit(Vec a) {
  const double n = std::sqrt(dot(a, a));
  return {a.x / n, a.y / n, a.z / n};
}

// Column-major 4x4, as GL hands matrices out.
struct Mat {
  double m[16];
};

Mat multiply(const Mat& a, const Mat& b) {
  Mat r{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      double s = 0.0;
      for (int k = 0; k < 4; ++k) s += a.m[k * 4 + row] * b.m[col * 4 + k];
      r.m[col * 4 + row] = s;
    }
  return r;
}

Mat orthoMatrix(double l, double r, double b, double t, double n, double f) {
  Mat o{};
  o.m[0] = 2.0 / (r - l);
  o.m[5] = 2.0 / (t - b);
  o.m[10] = -2.0 / (f - n);
  o.m[12] = -(r + l) / (r - l);
  o.m[13] = -(t + b) / (t - b);
  o.m[14] = -(f + n) / (f - n);
  o.m[15] = 1.0;
  return o;
}

// Rows side, up, -forward, then the eye moved to the origin.
Mat lookAtMatrix(Vec eye, Vec center, Vec up) {
  const Vec f = unit(sub(center, eye));
  const Vec s = unit(cross(f, up));
  const Vec u = cross(s, f);
  Mat l{};
  const double rows[3][3] = {{s.x, s.y, s.z}, {u.x, u.y, u.z}, {-f.x, -f.y, -f.z}};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) l.m[col * 4 + row] = rows[row][col];
    l.m[12 + row] = -(rows[row][0] * eye.x + rows[row][1] * eye.y + rows[row][2] * eye.z);
  }
  l.m[15] = 1.0;
  return l;
}

struct Camera {
  Vec eye, center, up;
};

Camera fixedCamera(int view) {
  switch (view) {
    case 0:
      return {{0, 0, 1}, {0, 0, 0}, {0, 1, 0}};
    case 1:
      return {{0, 1, 0}, {0, 0, 0}, {0, 0, -1}};
    case 2:
      return {{1, 0, 0}, {0, 0, 0}, {0, 1, 0}};
    default:
      return {{cameraEye[0], cameraEye[1], cameraEye[2]},
              {cameraCenter[0], cameraCenter[1], cameraCenter[2]},
              {cameraUp[0], cameraUp[1], cameraUp[2]}};
  }
}

Mat expectedProjection(int view, int w, int h) {
  const Camera c = fixedCamera(view);
  return multiply(orthoMatrix(-w, w, -h, h, -100000.0, 100000.0), lookAtMatrix(c.eye, c.center, c.up));
}

Mat projectionNow() {
  Mat p;
  glGetDoublev(GL_PROJECTION_MATRIX, p.m);
  return p;
}

// GL and GLU work in single precision: each row is compared at float accuracy, the
// translation scaled by how far the eye is from the origin.
void expectMatrixNear(const Mat& actual, const Mat& expected, double eyeSize, const char* label) {
  for (int row = 0; row < 4; ++row) {
    double rotation = 0.0;
    for (int col = 0; col < 3; ++col) rotation = std::max(rotation, std::fabs(expected.m[col * 4 + row]));
    const double scale = rotation * (1.0 + eyeSize) + std::fabs(expected.m[12 + row]);
    for (int col = 0; col < 4; ++col)
      EXPECT_NEAR(actual.m[col * 4 + row], expected.m[col * 4 + row], 1e-6 * scale + 1e-300)
          << label << " row " << row << " col " << col;
  }
}

// 0.9 lands on 229 or 230 depending on the rounding of the colour conversion.
Rgb clearColourBytes(int view) {
  const int n = 229;
  switch (view) {
    case 0:
      return {n, n, 255};
    case 1:
      return {n, 255, n};
    case 2:
      return {255, n, n};
    default:
      return {255, 255, 255};
  }
}

// The initial dome keeps the net and the patch well inside every quadrant.
class ViewsGl : public support::ViewerGlTest {};

void checkSetupView(int view, int w, int h) {
  SCOPED_TRACE(::testing::Message() << "view " << view << " at " << w << "x" << h);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_SCISSOR_TEST);
  setupView(view);

  // matrix mode left on the projection, the modelview untouched
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
  Mat modelview;
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview.m);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(modelview.m[i], (i % 5 == 0) ? 1.0 : 0.0) << "modelview " << i;

  // projection: ortho first, then the look-at, built here from their definitions
  const Mat actual = projectionNow();
  const Camera c = fixedCamera(view);
  const double eyeSize = std::fabs(c.eye.x) + std::fabs(c.eye.y) + std::fabs(c.eye.z);
  expectMatrixNear(actual, expectedProjection(view, w, h), eyeSize, "independent");

  // the same two steps done by GL on the identity give the same floats
  glLoadIdentity();
  glOrtho(-w, w, -h, h, -100000.0, 100000.0);
  gluLookAt(c.eye.x, c.eye.y, c.eye.z, c.center.x, c.center.y, c.center.z, c.up.x, c.up.y, c.up.z);
  const Mat byGl = projectionNow();
  EXPECT_EQ(std::memcmp(actual.m, byGl.m, sizeof actual.m), 0) << "differs from glOrtho then gluLookAt";

  // viewport and scissor box on the quadrant, integer halves
  const int halfW = w / 2, halfH = h / 2;
  const GLint expectedRect[4] = {(view == 2 || view == 3) ? halfW : 0, (view == 1 || view == 3) ? halfH : 0,
                                 halfW, halfH};
  GLint viewport[4] = {-1, -1, -1, -1}, scissor[4] = {-1, -1, -1, -1};
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetIntegerv(GL_SCISSOR_BOX, scissor);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(viewport[i], expectedRect[i]) << "viewport " << i;
    EXPECT_EQ(scissor[i], expectedRect[i]) << "scissor " << i;
  }

  // clear colour, exactly the single-precision values
  GLfloat clear[4] = {-1, -1, -1, -1};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0], (view == 0 || view == 1) ? 0.9f : 1.0f);
  EXPECT_EQ(clear[1], (view == 0 || view == 2) ? 0.9f : 1.0f);
  EXPECT_EQ(clear[2], (view == 1 || view == 2) ? 0.9f : 1.0f);
  EXPECT_EQ(clear[3], 1.0f);
  glDisable(GL_SCISSOR_TEST);
}

// Fills the whole back buffer with a colour no view uses.
void clearToSentinel() {
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}
const Rgb kSentinel = {51, 102, 153};

}  // namespace

TEST_F(ViewsGl, SetupViewAt800By800) {
  for (int view = 0; view < 4; ++view) checkSetupView(view, 800, 800);
}

TEST_F(ViewsGl, SetupViewAtAnOddSize) {
  ASSERT_TRUE(setGlWindowSize(801, 601));
  for (int view = 0; view < 4; ++view) checkSetupView(view, 801, 601);
}

TEST_F(ViewsGl, CameraViewFollowsTheCameraAtEveryCall) {
  // a tilted camera with a rolled, non-unit up vector
  const float e[3] = {300.0f, -200.0f, 450.0f}, c[3] = {10.0f, 20.0f, -30.0f}, u[3] = {0.3f, 2.0f, 0.1f};
  support::setCamera(e, c, u);
  checkSetupView(3, 800, 800);

  // the same view number picks the new camera up without anything else being told
  const float e2[3] = {0.0f, 0.0f, -5.0f};
  std::memcpy(cameraEye, e2, sizeof e2);
  checkSetupView(3, 800, 800);

  // any other view number is a camera view too
  checkSetupView(7, 800, 800);
}

TEST_F(ViewsGl, DisplayClearsEachQuadrantToItsColour) {
  clearToSentinel();
  display();
  const std::vector<unsigned char> px = readBackRgb(0, 0, 800, 800);
  auto at = [&](int x, int y) { return &px[(static_cast<size_t>(y) * 800 + x) * 3]; };
  for (int view = 0; view < 4; ++view) {
    const int x0 = (view == 2 || view == 3) ? 400 : 0;
    const int y0 = (view == 1 || view == 3) ? 400 : 0;
    // corners and edge middles: far from the net, the points and the patch
    const int probes[8][2] = {{0, 0}, {399, 0}, {0, 399}, {399, 399}, {200, 0}, {0, 200}, {399, 200}, {200, 399}};
    for (const auto& p : probes) {
      const unsigned char* c = at(x0 + p[0], y0 + p[1]);
      EXPECT_TRUE(closeTo(c, clearColourBytes(view), 1))
          << "view " << view << " pixel (" << x0 + p[0] << ", " << y0 + p[1] << ") is " << int(c[0]) << ","
          << int(c[1]) << "," << int(c[2]);
    }
  }
  // nothing of the sentinel is left: every pixel belongs to some quadrant
  int sentinelPixels = 0;
  for (int y = 0; y < 800; ++y)
    for (int x = 0; x < 800; ++x) sentinelPixels += closeTo(at(x, y), kSentinel, 0);
  EXPECT_EQ(sentinelPixels, 0);
  // display leaves the scissor test off
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(ViewsGl, OddSizeLeavesTheLastColumnAndRowUncleared) {
  ASSERT_TRUE(setGlWindowSize(801, 601));
  clearToSentinel();
  display();
  const std::vector<unsigned char> px = readBackRgb(0, 0, 801, 601);
  auto at = [&](int x, int y) { return &px[(static_cast<size_t>(y) * 801 + x) * 3]; };

  // column x = 800 and row y = 600 belong to no view
  int clearedInColumn = 0, clearedInRow = 0;
  for (int y = 0; y < 601; ++y) clearedInColumn += !closeTo(at(800, y), kSentinel, 0);
  for (int x = 0; x < 801; ++x) clearedInRow += !closeTo(at(x, 600), kSentinel, 0);
  EXPECT_EQ(clearedInColumn, 0);
  EXPECT_EQ(clearedInRow, 0);

  // the 400 by 300 quadrants meet at x = 400 and y = 300
  struct Probe {
    int x, y, view;
  };
  const Probe probes[] = {{0, 0, 0},     {399, 0, 0},   {0, 299, 0},   {400, 0, 2},   {799, 0, 2},
                          {799, 299, 2}, {0, 300, 1},   {399, 599, 1}, {0, 599, 1},   {400, 300, 3},
                          {799, 599, 3}, {400, 599, 3}, {399, 299, 0}, {400, 299, 2}, {399, 300, 1}};
  for (const Probe& p : probes) {
    const unsigned char* c = at(p.x, p.y);
    EXPECT_TRUE(closeTo(c, clearColourBytes(p.view), 1))
        << "pixel (" << p.x << ", " << p.y << ") should be view " << p.view << ", is " << int(c[0]) << ","
        << int(c[1]) << "," << int(c[2]);
  }
}

namespace {

// World point that the view shows at screen offset (right, up) from the origin.
void worldFromScreenAxes(int view, double right, double up, double p[3]) {
  switch (view) {
    case 1:  // +X right, -Z up
      p[0] = right, p[1] = 0.0, p[2] = -up;
      break;
    case 2:  // -Z right, +Y up
      p[0] = 0.0, p[1] = up, p[2] = -right;
      break;
    default:  // front, and the camera view with the front camera
      p[0] = right, p[1] = up, p[2] = 0.0;
      break;
  }
}

// Draws one unsmoothed one-pixel black point and returns every pixel of the quadrant it darkened.
std::vector<std::pair<int, int>> pixelsOfPoint(int view, const double p[3], int w, int h) {
  glEnable(GL_SCISSOR_TEST);
  setupView(view);
  glDisable(GL_POINT_SMOOTH);
  glPointSize(1.0f);
  glColor3f(0.0f, 0.0f, 0.0f);
  glBegin(GL_POINTS);
  glVertex3dv(p);
  glEnd();
  glPointSize(9.0f);
  glEnable(GL_POINT_SMOOTH);
  glDisable(GL_SCISSOR_TEST);

  int rect[4];
  viewRectangle(view, w, h, rect);
  const std::vector<unsigned char> px = readBackRgb(rect[0], rect[1], rect[2], rect[3]);
  std::vector<std::pair<int, int>> dark;
  for (int y = 0; y < rect[3]; ++y)
    for (int x = 0; x < rect[2]; ++x) {
      const unsigned char* c = &px[(static_cast<size_t>(y) * rect[2] + x) * 3];
      if (c[0] < 128 && c[1] < 128 && c[2] < 128) dark.push_back({rect[0] + x, rect[1] + y});
    }
  return dark;
}

// Draws the world point that the view shows at screen offset (right, up) and expects exactly
// window pixel (px, py) darkened.
void expectDrawnAt(int view, double right, double up, int px, int py, int w = 800, int h = 800) {
  double p[3];
  worldFromScreenAxes(view, right, up, p);
  SCOPED_TRACE(::testing::Message() << "view " << view << " world (" << p[0] << ", " << p[1] << ", " << p[2] << ")");
  const auto dark = pixelsOfPoint(view, p, w, h);
  ASSERT_EQ(dark.size(), 1u);
  EXPECT_EQ(dark[0], std::make_pair(px, py));
}

// Puts a point on the centre of pixel (px, py) by inverting
// x = vx + (vw / 2)(1 + right / W), y = vy + (vh / 2)(1 + up / H), then finds it.
void expectPointAtPixel(int view, int px, int py, int w, int h) {
  const int vx = (view == 2 || view == 3) ? w / 2 : 0;
  const int vy = (view == 1 || view == 3) ? h / 2 : 0;
  const int vw = w / 2, vh = h / 2;
  expectDrawnAt(view, ((px + 0.5 - vx) / (vw / 2.0) - 1.0) * w, ((py + 0.5 - vy) / (vh / 2.0) - 1.0) * h, px, py, w, h);
}

}  // namespace

TEST_F(ViewsGl, WorldOriginAtTheQuadrantCentreFourUnitsPerPixel) {
  for (int view = 0; view < 4; ++view) {
    const int cx = (view == 2 || view == 3) ? 600 : 200;
    const int cy = (view == 1 || view == 3) ? 600 : 200;
    // two units off each axis (the first step) is the centre of the pixel up and right of the
    // quadrant centre; then 4 world units per pixel along both screen axes, both signs, out to
    // the quadrant's edges
    const int steps[][2] = {{0, 0}, {100, 0}, {0, 100}, {-150, -37}, {199, 199}, {-200, -200}, {-200, 199}, {37, -150}};
    for (const auto& s : steps) expectDrawnAt(view, 4.0 * s[0] + 2.0, 4.0 * s[1] + 2.0, cx + s[0], cy + s[1]);
    // one pixel past the quadrant: clipped, not drawn into the neighbour
    {
      double p[3];
      worldFromScreenAxes(view, 4.0 * 200 + 2.0, 2.0, p);
      EXPECT_TRUE(pixelsOfPoint(view, p, 800, 800).empty()) << "view " << view;
    }
  }
}

TEST_F(ViewsGl, PointMappingAtAnOddSize) {
  ASSERT_TRUE(setGlWindowSize(801, 601));
  for (int view = 0; view < 4; ++view) {
    const int vx = (view == 2 || view == 3) ? 400 : 0;
    const int vy = (view == 1 || view == 3) ? 300 : 0;
    const int offsets[][2] = {{200, 150}, {0, 0}, {399, 299}, {17, 250}, {310, 3}};
    for (const auto& o : offsets) expectPointAtPixel(view, vx + o[0], vy + o[1], 801, 601);
  }
}

TEST_F(ViewsGl, CameraViewWithTheSideCameraMapsLikeTheSideView) {
  // looking along -X from five units away: only the direction matters
  const float e[3] = {5.0f, 0.0f, 0.0f};
  std::memcpy(cameraEye, e, sizeof e);
  const int steps[][2] = {{0, 0}, {100, 0}, {0, -120}, {-80, 60}};
  for (const auto& s : steps) {
    double p[3];
    worldFromScreenAxes(2, 4.0 * s[0] + 2.0, 4.0 * s[1] + 2.0, p);  // shown by the side view
    SCOPED_TRACE(::testing::Message() << "step " << s[0] << "," << s[1]);
    const auto dark = pixelsOfPoint(3, p, 800, 800);
    ASSERT_EQ(dark.size(), 1u);
    EXPECT_EQ(dark[0], std::make_pair(600 + s[0], 600 + s[1]));
  }
}
