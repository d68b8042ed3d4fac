// Control points, control net and axes as they come out on the real window's back buffer.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/shell.h"
#include "app/state.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "render/net.h"
#include "render/view_layout.h"
#include "render/views.h"
#include "support/gl_window.h"
#include "support/rgb.h"
#include "support/viewer_gl_fixture.h"

namespace {

using support::closeTo;
using support::pointColour;
using support::Rgb;

std::string describe(const unsigned char* p) {
  return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
}

// Window position of a world point in an orthographic view of an 800 by 800 window:
// vx + W/4 + (right . p)/4 and vy + H/4 + (up . p)/4.
void windowPosition(int view, const double p[3], double& x, double& y) {
  double right = 0.0, up = 0.0;
  int vx = 0, vy = 0;
  switch (view) {
    case 0:
      right = p[0], up = p[1];
      break;
    case 1:
      right = p[0], up = -p[2], vy = 400;
      break;
    case 2:
      right = -p[2], up = p[1], vx = 400;
      break;
    default:  // the camera view with the front camera
      right = p[0], up = p[1], vx = 400, vy = 400;
      break;
  }
  x = vx + 200.0 + right / 4.0;
  y = vy + 200.0 + up / 4.0;
}

class FrameReadBack {
 public:
  FrameReadBack() : px_(readBackRgb(0, 0, 800, 800)) {}
  const unsigned char* at(int x, int y) const { return &px_[(static_cast<size_t>(y) * 800 + x) * 3]; }
  // The pixel a world point falls in, in an orthographic view or the front camera's view.
  const unsigned char* under(int view, const double p[3]) const {
    double x, y;
    windowPosition(view, p, x, y);
    return at(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
  }

 private:
  std::vector<unsigned char> px_;
};

class NetGl : public support::ViewerGlTest {};

// The control point that is on top at a pixel: the last one drawn there, column by column,
// rows within a column.
void topmostAt(int view, int r, int c, int& topRow, int& topCol) {
  double x0, y0;
  windowPosition(view, controlPoints[r][c], x0, y0);
  topRow = r, topCol = c;
  for (int cc = 0; cc < 4; ++cc)
    for (int rr = 0; rr < 4; ++rr) {
      double x, y;
      windowPosition(view, controlPoints[rr][cc], x, y);
      if (std::fabs(x - x0) < 0.5 && std::fabs(y - y0) < 0.5) topRow = rr, topCol = cc;
    }
}

}  // namespace

TEST(ControlPointColour, SinglePrecisionFormulaAndTable) {
  const double table[4][4][3] = {
      {{0.6, 0.0, 0.6}, {0.7333, 0.1667, 0.7333}, {0.8667, 0.3333, 0.8667}, {1.0, 0.5, 1.0}},
      {{0.6, 0.6, 0.0}, {0.7333, 0.7333, 0.1667}, {0.8667, 0.8667, 0.3333}, {1.0, 1.0, 0.5}},
      {{0.0, 0.6, 0.0}, {0.1667, 0.7333, 0.1667}, {0.3333, 0.8667, 0.3333}, {0.5, 1.0, 0.5}},
      {{0.0, 0.0, 0.6}, {0.1667, 0.1667, 0.7333}, {0.3333, 0.3333, 0.8667}, {0.5, 0.5, 1.0}},
  };
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float rgb[3] = {-1, -1, -1};
      controlPointColour(r, c, rgb);
      // t = c / 3, hi = t * 0.4 + 0.6, lo = t * 0.5, all in float
      const float t = static_cast<float>(c) / 3.0f;
      const float hi = t * 0.4f + 0.6f;
      const float lo = t * 0.5f;
      const float byRow[4][3] = {{hi, lo, hi}, {hi, hi, lo}, {lo, hi, lo}, {lo, lo, hi}};
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(rgb[k], byRow[r][k]) << "row " << r << " column " << c << " channel " << k;
        EXPECT_NEAR(rgb[k], table[r][c][k], 5e-5) << "row " << r << " column " << c << " channel " << k;
      }
    }
}

TEST_F(NetGl, EveryControlPointInItsColourAtItsPixel) {
  display();
  const FrameReadBack frame;
  for (int view = 0; view < 3; ++view)
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) {
        double x, y;
        windowPosition(view, controlPoints[r][c], x, y);
        int topRow, topCol;
        topmostAt(view, r, c, topRow, topCol);
        const int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
        const unsigned char* p = frame.at(px, py);
        EXPECT_TRUE(closeTo(p, pointColour(topRow, topCol), 2))
            << "view " << view << " point [" << r << "][" << c << "] shown as [" << topRow << "][" << topCol
            << "] at (" << px << ", " << py << ") is " << describe(p);
      }
}

TEST_F(NetGl, CoincidingPointsShowTheLaterInDrawingOrder) {
  display();
  const FrameReadBack frame;
  // top view: columns 0 and 3 (and 1 and 2) of a row share x and z, the higher column wins;
  // side view: rows 0 and 3 (and 1 and 2) of a column share y and z, the higher row wins
  struct Case {
    int view, r, c, winnerRow, winnerCol, loserRow, loserCol;
  };
  const Case cases[] = {
      {1, 0, 0, 0, 3, 0, 0}, {1, 1, 1, 1, 2, 1, 1}, {1, 2, 0, 2, 3, 2, 0}, {1, 3, 1, 3, 2, 3, 1},
      {2, 0, 0, 3, 0, 0, 0}, {2, 1, 1, 2, 1, 1, 1}, {2, 0, 2, 3, 2, 0, 2}, {2, 1, 3, 2, 3, 1, 3},
  };
  for (const Case& k : cases) {
    double x, y;
    windowPosition(k.view, controlPoints[k.r][k.c], x, y);
    double wx, wy;
    windowPosition(k.view, controlPoints[k.winnerRow][k.winnerCol], wx, wy);
    ASSERT_NEAR(x, wx, 1e-9);
    ASSERT_NEAR(y, wy, 1e-9);
    const unsigned char* p = frame.under(k.view, controlPoints[k.r][k.c]);
    EXPECT_TRUE(closeTo(p, pointColour(k.winnerRow, k.winnerCol), 2)) << "view " << k.view << " [" << k.winnerRow << "][" << k.winnerCol
                                             << "] should be on top, pixel is " << describe(p);
    EXPECT_FALSE(closeTo(p, pointColour(k.loserRow, k.loserCol), 8)) << "view " << k.view << " [" << k.loserRow << "][" << k.loserCol
                                               << "] shows through";
  }

  // two points moved onto one place in the front view: [2][1] is drawn after [3][0]
  controlPoints[3][0][0] = controlPoints[2][1][0];
  controlPoints[3][0][1] = controlPoints[2][1][1];
  display();
  const FrameReadBack moved;
  const unsigned char* p = moved.under(0, controlPoints[2][1]);
  EXPECT_TRUE(closeTo(p, pointColour(2, 1), 2)) << "front view [2][1] over [3][0], pixel is " << describe(p);
}

TEST_F(NetGl, PointsAreNotCoveredByNetOrAxesAndNotDrawnInTheCameraView) {
  // Put the X axis of the front view right through point [1][1], and a net line too.
  showAxes = true;
  controlPoints[1][1][1] = 0.0;
  controlPoints[1][1][0] = 200.0;
  display();
  const FrameReadBack frame;
  const unsigned char* p = frame.under(0, controlPoints[1][1]);
  EXPECT_TRUE(closeTo(p, pointColour(1, 1), 2)) << "front view point on the X axis is " << describe(p);

  // camera view: where the front view has its points, none of their colours appears
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      if (r == 3 && c == 3) continue;  // its colour is also the untextured patch's
      const unsigned char* q = frame.under(3, controlPoints[r][c]);
      EXPECT_FALSE(closeTo(q, pointColour(r, c), 8)) << "control point [" << r << "][" << c << "] in the camera view";
    }
}

namespace {

const Rgb kBackground[3] = {{229, 229, 255}, {229, 255, 229}, {255, 229, 229}};

// How far a pixel is from the net's grey blended over the view's background with at least
// half coverage (smoothed lines only partly cover pixels they do not pass through the middle of).
int netDistance(const unsigned char* p, Rgb bg) {
  const double grey = 0.7f * 255.0;
  const double d[3] = {bg.r - grey, bg.g - grey, bg.b - grey};
  const double q[3] = {bg.r - p[0] * 1.0, bg.g - p[1] * 1.0, bg.b - p[2] * 1.0};
  double coverage = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  coverage = std::min(1.0, std::max(0.5, coverage));
  double worst = 0.0;
  for (int k = 0; k < 3; ++k) worst = std::max(worst, std::fabs(q[k] - coverage * d[k]));
  return static_cast<int>(std::lround(worst));
}

// The pixel of a 5 by 5 block that looks most like the net.
int netDistanceNear(const FrameReadBack& frame, int view, double x, double y, std::string& seen) {
  const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
  int best = 1000;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      const unsigned char* p = frame.at(cx + dx, cy + dy);
      const int d = netDistance(p, kBackground[view]);
      if (d < best) best = d, seen = describe(p);
    }
  return best;
}

// Screen distance from a window position to the nearest control point of the view.
double nearestPointDistance(int view, double x, double y) {
  double best = 1e9;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double px, py;
      windowPosition(view, controlPoints[r][c], px, py);
      best = std::min(best, std::hypot(px - x, py - y));
    }
  return best;
}

}  // namespace

TEST_F(NetGl, GreyNetRunsBetweenNeighbouringPoints) {
  display();
  const FrameReadBack frame;
  int checked = 0;
  for (int view = 0; view < 3; ++view) {
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) {
        // midpoints of the segment to the next column and to the next row
        const int next[2][2] = {{r, c + 1}, {r + 1, c}};
        for (const auto& n : next) {
          if (n[0] > 3 || n[1] > 3) continue;
          const double* a = controlPoints[r][c];
          const double* b = controlPoints[n[0]][n[1]];
          const double mid[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
          double x, y;
          windowPosition(view, mid, x, y);
          // segments seen end-on sit under a point; the points are 9 pixels wide
          if (nearestPointDistance(view, x, y) < 8.0) continue;
          ++checked;
          std::string seen;
          EXPECT_LE(netDistanceNear(frame, view, x, y, seen), 6)
              << "view " << view << " segment [" << r << "][" << c << "]-[" << n[0] << "][" << n[1]
              << "] near (" << x << ", " << y << "), closest " << seen;
        }
      }
  }
  // all 24 segments of the front view and most of the others
  EXPECT_GE(checked, 24 + 2 * 16);

  // and no net away from it: halfway between two parallel lines of the front view
  const double between[3] = {0.0, 93.33333333333333, 0.0};
  double x, y;
  windowPosition(0, between, x, y);
  std::string seen;
  EXPECT_GT(netDistanceNear(frame, 0, x, y, seen), 20) << "unexpected net near (" << x << ", " << y << ")";
}

namespace {

struct AxisProbe {
  int view;
  double world[3];  // a point 280 units along an axis, 70 pixels from the origin
  Rgb colour;       // when the axis is shown
};

}  // namespace

TEST_F(NetGl, PositiveAxesInAllFourViewsOnlyWhenShown) {
  const Rgb red = {255, 0, 0}, green = {0, 255, 0}, blue = {0, 0, 255};
  const AxisProbe positive[] = {
      {0, {280, 0, 0}, red}, {0, {0, 280, 0}, green}, {1, {280, 0, 0}, red},  {1, {0, 0, 280}, blue},
      {2, {0, 280, 0}, green}, {2, {0, 0, 280}, blue}, {3, {280, 0, 0}, red}, {3, {0, 280, 0}, green},
  };
  const AxisProbe negative[] = {
      {0, {-280, 0, 0}, {}}, {0, {0, -280, 0}, {}}, {1, {-280, 0, 0}, {}},
      {1, {0, 0, -280}, {}}, {2, {0, -280, 0}, {}}, {2, {0, 0, -280}, {}},
  };
  const Rgb* background = kBackground;

  // hidden: background where the ortho views' positive axes would be, the patch in the camera view
  showAxes = false;
  display();
  const FrameReadBack hidden;
  for (const AxisProbe& a : positive) {
    const unsigned char* p = hidden.under(a.view, a.world);
    if (a.view == 3)
      EXPECT_FALSE(closeTo(p, a.colour, 60)) << "hidden axis in the camera view: " << describe(p);
    else
      EXPECT_TRUE(closeTo(p, background[a.view], 1)) << "hidden axis in view " << a.view << ": " << describe(p);
  }

  // shown: the axis colour on the positive side, untouched background on the negative side
  showAxes = true;
  display();
  const FrameReadBack shown;
  for (const AxisProbe& a : positive) {
    const double origin[3] = {0, 0, 0};
    double ox, oy, x, y;
    windowPosition(a.view, origin, ox, oy);
    windowPosition(a.view, a.world, x, y);
    // the 3-pixel line is centred on a pixel boundary: both pixels beside it are fully covered
    const bool horizontal = oy == y;
    for (int side = -1; side <= 0; ++side) {
      const int px = static_cast<int>(x) + (horizontal ? 0 : side);
      const int py = static_cast<int>(y) + (horizontal ? side : 0);
      const unsigned char* p = shown.at(px, py);
      EXPECT_TRUE(closeTo(p, a.colour, 3)) << "view " << a.view << " at (" << px << ", " << py << ") is "
                                           << describe(p);
    }
  }
  for (const AxisProbe& a : negative) {
    const unsigned char* p = shown.under(a.view, a.world);
    EXPECT_TRUE(closeTo(p, background[a.view], 1)) << "negative axis in view " << a.view << ": " << describe(p);
  }
  // camera view: the negative side is whatever the patch shows, with or without axes
  {
    const double w[3] = {-280.0, 0, 0};
    double x, y;
    windowPosition(3, w, x, y);
    const unsigned char* before = hidden.at(static_cast<int>(x), static_cast<int>(y));
    const unsigned char* after = shown.at(static_cast<int>(x), static_cast<int>(y));
    EXPECT_EQ(describe(before), describe(after)) << "camera view -X";
  }
}

namespace {

GLfloat lineWidthNow() {
  GLfloat width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  return width;
}

// Whether the GL's current colour is exactly (r, g, b), and its alpha 1 when withAlpha.
::testing::AssertionResult currentColourIs(float r, float g, float b, bool withAlpha) {
  GLfloat colour[4] = {-1, -1, -1, -1};
  glGetFloatv(GL_CURRENT_COLOR, colour);
  if (colour[0] == r && colour[1] == g && colour[2] == b && (!withAlpha || colour[3] == 1.0f))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "current colour is (" << colour[0] << ", " << colour[1] << ", "
                                       << colour[2] << ", " << colour[3] << ")";
}

}  // namespace

TEST_F(NetGl, DrawingLeavesItsDocumentedState) {
  glEnable(GL_SCISSOR_TEST);
  setupView(0);

  // net: width 1.5 and its grey current
  glLineWidth(7.0f);
  drawControlNet();
  EXPECT_EQ(lineWidthNow(), 1.5f);
  EXPECT_TRUE(currentColourIs(0.7f, 0.7f, 0.7f, true));

  // axes: width 3 whether shown or not; when shown, the Z axis's blue is left current
  showAxes = false;
  glLineWidth(7.0f);
  drawAxes();
  EXPECT_EQ(lineWidthNow(), 3.0f);
  GLfloat colour[4] = {-1, -1, -1, -1};
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0], 0.7f) << "hidden axes set a colour";
  showAxes = true;
  glLineWidth(7.0f);
  drawAxes();
  EXPECT_EQ(lineWidthNow(), 3.0f);
  EXPECT_TRUE(currentColourIs(0.0f, 0.0f, 1.0f, false));

  // points: depth test back on, [3][3]'s colour current, whichever way the test was before
  for (const bool depthBefore : {true, false}) {
    if (depthBefore) glEnable(GL_DEPTH_TEST);
    else glDisable(GL_DEPTH_TEST);
    glColor3f(0.1f, 0.2f, 0.3f);
    drawControlPoints();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "depth test before: " << depthBefore;
    EXPECT_TRUE(currentColourIs(0.5f, 0.5f, 1.0f, true)) << "depth test before: " << depthBefore;
  }
  glDisable(GL_SCISSOR_TEST);
  glEnable(GL_DEPTH_TEST);
}

TEST_F(NetGl, DisplayLeavesThePointsColourForTheNextFrameAndDepthOn) {
  display();
  // the camera view sets no colour of its own: the side view's last point colour is current
  EXPECT_TRUE(currentColourIs(0.5f, 0.5f, 1.0f, false));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
}
