// The analysis modes on the real window, entered by their keys, against the start-up dome in
// closed form: z = -(x^2 + y^2) / 1568 over |x|, |y| <= 560, seen from +z at 4 units a pixel
// about window pixel (600, 600), its normal facing +z.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/shell.h"
#include "app/state.h"
#include "support/gl_window.h"
#include "support/viewer_gl_test.h"

namespace {

constexpr double kA = -1.0 / 1568.0;  // the dome's z = kA (x^2 + y^2)

// World x, y of the middle of camera-view pixel (px, py), GL window coordinates; false near
// and beyond the patch's rim.
bool domePoint(int px, int py, double& x, double& y) {
  x = (px + 0.5 - 600) * 4, y = (py + 0.5 - 600) * 4;
  return std::fabs(x) <= 540 && std::fabs(y) <= 540;
}

using Frame = std::vector<unsigned char>;
int channel(const Frame& f, int px, int py, int c) { return f[(py * 800 + px) * 3 + c]; }

// bands * phi / (2 pi) at a pixel on the dome, phi the angle about `axis` of the exact
// reflection of d = (0, 0, -1): the unit normal (-f_x, -f_y, 1) / g reflects it to 2 n_z n - d.
double bandCoordinate(double x, double y, int bands, int axis) {
  const double g = std::sqrt(1 + 4 * kA * kA * (x * x + y * y));
  const double n[3] = {-2 * kA * x / g, -2 * kA * y / g, 1 / g};
  const double r[3] = {2 * n[2] * n[0], 2 * n[2] * n[1], 2 * n[2] * n[2] - 1};
  return bands * std::atan2(r[(axis + 2) % 3], r[(axis + 1) % 3]) / (2 * M_PI);
}

bool predictedWhite(double band) { return static_cast<int>(std::floor(band)) % 2 == 0; }

class AnalysisGl : public support::ViewerGlTest {};

TEST_F(AnalysisGl, ZebraShowsTheBandsOfTheExactReflectionAndLeavesTheMirrorAsItWas) {
  display();
  const Frame mirror = readBackRgb(0, 0, 800, 800);
  GLint environment = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &environment);
  keyboard('z', 0, 0);
  const struct {
    unsigned char key;
    int bands, axis;
  } steps[] = {{0, 24, 1}, {']', 32, 1}, {'[', 24, 1}, {'[', 16, 1}, {'x', 16, 0}};
  int edges[5][2];  // seen along the row, then the column, 30 pixels off the middle
  for (int s = 0; s < 5; ++s) {
    if (steps[s].key != 0) keyboard(steps[s].key, 0, 0);
    display();
    const Frame frame = readBackRgb(0, 0, 800, 800);
    // Every pixel well inside a band (a fifth of a band from its edges) shows its colour.
    int checked = 0, wrong = 0;
    for (int py = 400; py < 800; ++py)
      for (int px = 400; px < 800; ++px) {
        double x, y;
        if (!domePoint(px, py, x, y)) continue;
        const double band = bandCoordinate(x, y, steps[s].bands, steps[s].axis);
        if (std::fabs(band - std::floor(band) - 0.5) > 0.3) continue;
        ++checked;
        if (channel(frame, px, py, 0) != (predictedWhite(band) ? 255 : 0) && ++wrong <= 5)
          ADD_FAILURE() << "step " << s << ": pixel " << px << "," << py << " is " << channel(frame, px, py, 0);
      }
    EXPECT_EQ(wrong, 0) << "step " << s;
    EXPECT_GT(checked, 40000);
    // Edges where the picture crosses grey, as many as the exact reflection has there.
    for (int line = 0; line < 2; ++line) {
      int seen = 0, predicted = 0;
      for (int i = 466; i <= 734; ++i) {
        const int px = line == 0 ? i : 630, py = line == 0 ? 630 : i, back = line == 0;
        double x, y, xBack, yBack;
        domePoint(px, py, x, y), domePoint(px - back, py - 1 + back, xBack, yBack);
        seen += (channel(frame, px, py, 0) > 127) != (channel(frame, px - back, py - 1 + back, 0) > 127);
        predicted += predictedWhite(bandCoordinate(x, y, steps[s].bands, steps[s].axis)) !=
                     predictedWhite(bandCoordinate(xBack, yBack, steps[s].bands, steps[s].axis));
      }
      EXPECT_EQ(seen, predicted) << "step " << s << ", line " << line;
      edges[s][line] = seen;
    }
  }
  // More bands, more edges; the count back, the picture back; x turns the bands.
  EXPECT_TRUE(edges[1][0] > edges[0][0] && edges[2][0] == edges[0][0] && edges[3][0] < edges[0][0]);
  EXPECT_TRUE(edges[3][0] > edges[3][1] && edges[4][1] > edges[4][0]);

  for (int i = 0; i < 3; ++i) keyboard('z', 0, 0);
  display();
  EXPECT_TRUE(readBackRgb(0, 0, 800, 800) == mirror) << "the mirror after the zebra";
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, environment);
}

TEST_F(AnalysisGl, CurvatureModesColourTheDomeByItsClosedForm) {
  // K = f_xx f_yy / g^2 and H = (f_xx + f_yy + f_xx f_y^2 + f_yy f_x^2) / (2 g^1.5) of the
  // graph, with g = 1 + f_x^2 + f_y^2.
  auto gaussian = [](double x, double y) {
    const double g = 1 + 4 * kA * kA * (x * x + y * y);
    return 4 * kA * kA / (g * g);
  };
  auto mean = [](double x, double y) {
    const double g = 1 + 4 * kA * kA * (x * x + y * y);
    return kA * (2 + 4 * kA * kA * (x * x + y * y)) / (g * std::sqrt(g));
  };
  for (int mode = kGaussianMode; mode <= kMeanMode; ++mode) {
    double (*value)(double, double) = mode == kGaussianMode ? +gaussian : +mean;
    while (analysisMode != mode) keyboard('z', 0, 0);
    // The range: the 95th percentile (nearest rank) of |value| over the samples.
    std::vector<double> magnitudes;
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) magnitudes.push_back(std::fabs(value(-560 + 8.75 * k, 560 - 8.75 * l)));
    std::sort(magnitudes.begin(), magnitudes.end());
    const double range = magnitudes[static_cast<int>(std::ceil(0.95 * magnitudes.size())) - 1];
    display();
    const Frame frame = readBackRgb(0, 0, 800, 800);
    int checked = 0, wrong = 0;
    for (int py = 400; py < 800; py += 3)
      for (int px = 400; px < 800; px += 3) {
        double x, y;
        if (!domePoint(px, py, x, y)) continue;
        const double t = std::clamp(value(x, y) / range, -1.0, 1.0);
        const double want[3] = {t < 0 ? 1 + t : 1, 1 - std::fabs(t), t > 0 ? 1 - t : 1};
        ++checked;
        for (int c = 0; c < 3; ++c)
          if (std::fabs(channel(frame, px, py, c) - 255 * want[c]) > 2 && ++wrong <= 5)
            ADD_FAILURE() << "mode " << mode << ": pixel " << px << "," << py << " channel " << c << " is "
                          << channel(frame, px, py, c) << ", expected " << 255 * want[c];
      }
    EXPECT_EQ(wrong, 0) << "mode " << mode;
    EXPECT_GT(checked, 8000);
    // The legend above the patch holds the colour bar's pure blue and pure red ends.
    int ends[2] = {0, 0};
    for (int py = 745; py < 800; ++py)
      for (int px = 400; px < 800; ++px) {
        const int r = channel(frame, px, py, 0), g = channel(frame, px, py, 1), b = channel(frame, px, py, 2);
        ends[0] += r < 8 && g < 8 && b > 247, ends[1] += r > 247 && g < 8 && b < 8;
      }
    EXPECT_TRUE(ends[0] > 5 && ends[1] > 5) << "mode " << mode << ": " << ends[0] << " blue, " << ends[1] << " red";
  }
}

}  // namespace
