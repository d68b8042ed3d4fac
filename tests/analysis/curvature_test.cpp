// Curvature against closed forms: nets that reproduce z = f(x, y) exactly, compared with the
// curvature of the graph at every sample; the samples without a normal; the band-count steps.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/curvature.h"
#include "analysis/zebra.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "support/viewer_state.h"

namespace {

// z = a x^2 + b y^2 + c x y + p x + q y over x = x0 + w u, y = y0 - w v (the mirror's normal
// then faces +z); rows in reverse order (u running down x) turn the normal to -z.
struct Form {
  const char* name;
  double a, b, c, p, q;
  bool reversed;
};

// Degree elevation by blossoming: the cubic Bernstein coefficient i of u, u^2 is i/3, i(i-1)/6.
double netZ(const Form& f, double x0, double y0, double w, int i, int j) {
  const double x1 = x0 + w * i / 3.0, y1 = y0 - w * j / 3.0;
  const double x2 = x0 * x0 + 2.0 * x0 * w * i / 3.0 + w * w * i * (i - 1) / 6.0;
  const double y2 = y0 * y0 - 2.0 * y0 * w * j / 3.0 + w * w * j * (j - 1) / 6.0;
  return f.a * x2 + f.b * y2 + f.c * x1 * y1 + f.p * x1 + f.q * y1;
}

TEST(Curvature, MatchesTheClosedFormsOfQuadraticGraphs) {
  support::KeepViewerGlobals keep;
  initBinomials();
  initBernstein();
  const double x0 = -300.0, y0 = 700.0, w = 1000.0;  // off-centre, so no symmetry hides a swap
  const Form forms[] = {{"tilted plane", 0, 0, 0, 0.3, -0.7, false},
                        {"hyperbolic paraboloid", 0, 0, 1.3e-3, 0, 0, false},
                        {"parabolic cylinder", 8e-4, 0, 0, 0, 0, false},
                        {"elliptic paraboloid", 6e-4, 6e-4, 0, 0, 0, false},
                        {"elliptic paraboloid, rows reversed", 6e-4, 6e-4, 0, 0, 0, true},
                        {"general quadric", 3e-4, -9e-4, 5e-4, 0.2, 0.1, false}};
  for (const Form& f : forms) {
    for (int i = 0; i < kGridSize; ++i)
      for (int j = 0; j < kGridSize; ++j) {
        const int row = f.reversed ? 3 - i : i;
        double* point = controlPoints[row][j];
        point[0] = x0 + w * i / 3.0;
        point[1] = y0 - w * j / 3.0;
        point[2] = netZ(f, x0, y0, w, i, j);
      }
    updateSurface();
    computeCurvature();
    int wrong = 0;
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) {
        const double x = x0 + w * (f.reversed ? 1.0 - k / 128.0 : k / 128.0), y = y0 - w * l / 128.0;
        const double fx = 2 * f.a * x + f.c * y + f.p, fy = 2 * f.b * y + f.c * x + f.q;
        const double g = 1 + fx * fx + fy * fy;
        const double gaussian = (4 * f.a * f.b - f.c * f.c) / (g * g);
        const double mean = ((1 + fy * fy) * 2 * f.a - 2 * fx * fy * f.c + (1 + fx * fx) * 2 * f.b) /
                            (2 * g * std::sqrt(g)) * (f.reversed ? -1 : 1);
        const double gotK = gaussianCurvature[k][l], gotH = meanCurvature[k][l];
        // Zero is met exactly: below the noise floor the product rounds to 0.
        if ((std::fabs(gotK - gaussian) > 1e-9 * std::fabs(gaussian) ||
             std::fabs(gotH - mean) > 1e-9 * std::fabs(mean)) && ++wrong <= 3)
          ADD_FAILURE() << f.name << " at " << k << "," << l << ": K " << gotK << " for " << gaussian
                        << ", H " << gotH << " for " << mean;
      }
    EXPECT_EQ(wrong, 0) << f.name;
  }

  // Collapsed to a point: no sample has a normal, so every one is grey, and nothing is fitted.
  for (auto& row : controlPoints)
    for (auto& point : row) point[0] = 5, point[1] = -7, point[2] = 11;
  updateSurface();
  computeCurvature();
  EXPECT_TRUE(std::isnan(gaussianCurvature[64][0]) && std::isnan(meanCurvature[128][77]));
  EXPECT_EQ(fitCurvatureRange(meanCurvature), 0.0);
  float rgb[3];
  divergingColour(meanCurvature[3][5], 1.0, rgb);
  EXPECT_TRUE(rgb[0] == 0.5f && rgb[1] == 0.5f && rgb[2] == 0.5f);
}

TEST(Zebra, BandCountsStepThroughTheTableAndStopAtItsEnds) {
  const int cases[][3] = {{24, 1, 32}, {24, -1, 16}, {8, -1, 8}, {96, 1, 96}, {12, -1, 8}, {64, 1, 96}};
  for (const auto& c : cases) EXPECT_EQ(steppedBandCount(c[0], c[1]), c[2]) << c[0] << " by " << c[1];
}

}  // namespace
