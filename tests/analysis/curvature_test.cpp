// Curvature against closed forms: nets that reproduce z = f(x, y) exactly, compared at every
// sample with the curvature of the graph, and a net without normals.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/curvature.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "support/viewer_state.h"

TEST(Curvature, MatchesTheClosedFormsOfQuadraticGraphs) {
  support::KeepViewerGlobals keep;
  initBinomials();
  initBernstein();
  // z = a x^2 + b y^2 + c x y + p x + q y over x = x0 + w u, y = y0 - w v, where the mirror's
  // normal faces +z; with the rows reversed (s = -1: x = x0 + w (1 - u)) it faces -z, which
  // turns H. A plane, a hyperbolic paraboloid, a parabolic cylinder, an elliptic paraboloid
  // (twice), a general quadric, and all points in one (w = 0): no normal, NaN. Off-centre, so
  // that no symmetry hides a swap.
  const double x0 = -300, y0 = 700, nan = std::nan("");
  const double forms[][7] = {{0, 0, 0, 0.3, -0.7, 1, 1000}, {0, 0, 1.3e-3, 0, 0, 1, 1000}, {8e-4, 0, 0, 0, 0, 1, 1000},
                             {6e-4, 6e-4, 0, 0, 0, 1, 1000}, {6e-4, 6e-4, 0, 0, 0, -1, 1000},
                             {3e-4, -9e-4, 5e-4, 0.2, 0.1, 1, 1000}, {3e-4, 0, 0, 0, 0, 1, 0}};
  for (const auto& f : forms) {
    const double a = f[0], b = f[1], c = f[2], p = f[3], q = f[4], s = f[5], w = f[6];
    for (int i = 0; i < kGridSize; ++i)
      for (int j = 0; j < kGridSize; ++j) {
        // Degree elevation by blossoming: the cubic coefficient i of u is i/3, of u^2 i(i-1)/6.
        const double x = x0 + w * i / 3, y = y0 - w * j / 3;
        const double xx = x0 * x0 + 2 * x0 * w * i / 3 + w * w * i * (i - 1) / 6;
        const double yy = y0 * y0 - 2 * y0 * w * j / 3 + w * w * j * (j - 1) / 6;
        double* point = controlPoints[s < 0 ? 3 - i : i][j];
        point[0] = x, point[1] = y, point[2] = a * xx + b * yy + c * x * y + p * x + q * y;
      }
    updateSurface();
    computeCurvature();
    int wrong = 0;
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) {
        const double x = x0 + w * (s < 0 ? 128 - k : k) / 128, y = y0 - w * l / 128;
        const double fx = 2 * a * x + c * y + p, fy = 2 * b * y + c * x + q, g = 1 + fx * fx + fy * fy;
        const double h = ((1 + fy * fy) * a - fx * fy * c + (1 + fx * fx) * b) / (g * std::sqrt(g));
        const double want[2] = {w == 0 ? nan : (4 * a * b - c * c) / (g * g), w == 0 ? nan : s * h};
        const double got[2] = {gaussianCurvature[k][l], meanCurvature[k][l]};
        // Zero is met exactly: the product rounds the noise below its floor to 0.
        for (int m = 0; m < 2; ++m)
          if ((std::isnan(want[m]) ? !std::isnan(got[m]) : !(std::fabs(got[m] - want[m]) <= 1e-9 * std::fabs(want[m]))) &&
              ++wrong <= 3)
            ADD_FAILURE() << "form " << &f - forms << " at " << k << "," << l << ": " << got[m] << " for " << want[m];
      }
    EXPECT_EQ(wrong, 0) << "form " << &f - forms;
  }
}
