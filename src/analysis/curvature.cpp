// Curvature from the derivative Bernstein weights, separable like updateSurface: the curves
// along u through each control column with their first and second u-derivatives, then per
// sample the v-sums, in double. The sample loop is written to vectorise along l.
#include "analysis/curvature.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "model/wide_loops.h"

namespace {

// [weight kind: value, first, second derivative][control index j][sample l], so that the
// inner loop reads along l.
double weights[3][kGridSize][kSamples];

// The cubic Bernstein weights at t and their first and second derivatives; exact for t = k/128.
void cubicWeights(double t, double w[3][kGridSize]) {
  const double s = 1.0 - t;
  const double value[kGridSize] = {s * s * s, 3.0 * t * s * s, 3.0 * t * t * s, t * t * t};
  const double first[kGridSize] = {-3.0 * s * s, 3.0 * s * s - 6.0 * t * s, 6.0 * t * s - 3.0 * t * t,
                                   3.0 * t * t};
  const double second[kGridSize] = {6.0 * s, 6.0 * (3.0 * t - 2.0), 6.0 * (1.0 - 3.0 * t), 6.0 * t};
  for (int j = 0; j < kGridSize; ++j) {
    w[0][j] = value[j];
    w[1][j] = first[j];
    w[2][j] = second[j];
  }
}

// Diagonal of the control grid's bounding box, world units.
double gridSize() {
  double lo[3], hi[3];
  for (int c = 0; c < 3; ++c) lo[c] = hi[c] = controlPoints[0][0][c];
  for (const auto& row : controlPoints)
    for (const auto& p : row)
      for (int c = 0; c < 3; ++c) {
        lo[c] = std::min(lo[c], p[c]);
        hi[c] = std::max(hi[c], p[c]);
      }
  return std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                   (hi[2] - lo[2]) * (hi[2] - lo[2]));
}

// Forced inline, as a call left in the sample loop keeps it from vectorising.
[[gnu::always_inline]] inline double dot(const double a[3], const double b[3]) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Row k of both arrays from the column curves at u_k: along[d][j] is the d-th u-derivative of
// column j's curve.
PATCHLUME_WIDE_LOOPS
void curvatureRow(int k, const double along[3][kGridSize][3], double size) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  for (int l = 0; l < kSamples; ++l) {
    // su, sv: first partials; suu, suv, svv: second.
    double su[3], sv[3], suu[3], suv[3], svv[3];
    for (int c = 0; c < 3; ++c) {
      su[c] = sv[c] = suu[c] = suv[c] = svv[c] = 0.0;
      for (int j = 0; j < kGridSize; ++j) {
        su[c] += along[1][j][c] * weights[0][j][l];
        sv[c] += along[0][j][c] * weights[1][j][l];
        suu[c] += along[2][j][c] * weights[0][j][l];
        suv[c] += along[1][j][c] * weights[1][j][l];
        svv[c] += along[0][j][c] * weights[2][j][l];
      }
    }
    // n = Sv x Su, not yet unit: |n|^2 is EG - F^2 without its cancellation, and dividing
    // L, M, N by |n| is left to the end.
    const double n[3] = {sv[1] * su[2] - sv[2] * su[1], sv[2] * su[0] - sv[0] * su[2],
                         sv[0] * su[1] - sv[1] * su[0]};
    const double area = dot(n, n);
    const double e = dot(su, su), f = dot(su, sv), g = dot(sv, sv);
    const double bl = dot(suu, n), bm = dot(suv, n), bn = dot(svv, n);
    const double gaussian = (bl * bn - bm * bm) / (area * area);
    const double mean = (e * bn - 2.0 * f * bm + g * bl) / (2.0 * area * std::sqrt(area));
    // Selects on both sides, which keep the loop free of branches.
    const bool hasNormal = (area > 0.0) & (area < HUGE_VAL);
    const double flatGaussian = std::fabs(gaussian) * size * size <= kFlatCurvature ? 0.0 : gaussian;
    const double flatMean = std::fabs(mean) * size <= kFlatCurvature ? 0.0 : mean;
    gaussianCurvature[k][l] = hasNormal ? flatGaussian : nan;
    meanCurvature[k][l] = hasNormal ? flatMean : nan;
  }
  // Where the mirror has no normal, the sample shows none either.
  for (int l = 0; l < kSamples; ++l) {
    const double* m = surfaceNormals[k][l];
    if (m[0] == 0.0 && m[1] == 0.0 && m[2] == 0.0) gaussianCurvature[k][l] = meanCurvature[k][l] = nan;
  }
}

}  // namespace

void computeCurvature() {
  double w[3][kGridSize];
  for (int l = 0; l < kSamples; ++l) {
    cubicWeights(l / 128.0, w);
    for (int d = 0; d < 3; ++d)
      for (int j = 0; j < kGridSize; ++j) weights[d][j][l] = w[d][j];
  }
  const double size = gridSize();
  for (int k = 0; k < kSamples; ++k) {
    cubicWeights(k / 128.0, w);
    double along[3][kGridSize][3];
    for (int d = 0; d < 3; ++d)
      for (int j = 0; j < kGridSize; ++j)
        for (int c = 0; c < 3; ++c) {
          along[d][j][c] = 0.0;
          for (int i = 0; i < kGridSize; ++i) along[d][j][c] += w[d][i] * controlPoints[i][j][c];
        }
    curvatureRow(k, along, size);
  }
}

void refreshCurvature() {
  if (curvatureComputed && std::memcmp(curvatureGrid, controlPoints, sizeof curvatureGrid) == 0) return;
  computeCurvature();
  std::memcpy(curvatureGrid, controlPoints, sizeof curvatureGrid);
  curvatureComputed = true;
}

double fitCurvatureRange(const double values[kSamples][kSamples]) {
  double magnitudes[kSamples * kSamples];
  int count = 0;
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l)
      if (!std::isnan(values[k][l])) magnitudes[count++] = std::fabs(values[k][l]);
  if (count == 0) return 0.0;
  // Nearest rank: the smallest value with at least the percentile's share at or below it.
  const int rank = static_cast<int>(std::ceil(kRangePercentile * count));
  std::nth_element(magnitudes, magnitudes + rank - 1, magnitudes + count);
  return magnitudes[rank - 1];
}

void fitShownCurvatureRange() {
  if (analysisMode != kGaussianMode && analysisMode != kMeanMode) return;
  refreshCurvature();
  if (analysisMode == kGaussianMode) gaussianRange = fitCurvatureRange(gaussianCurvature);
  else meanRange = fitCurvatureRange(meanCurvature);
}

void divergingColour(double value, double range, float rgb[3]) {
  if (std::isnan(value)) {
    rgb[0] = rgb[1] = rgb[2] = 0.5f;
    return;
  }
  // A zero range has nothing to divide by: 0 stays white, anything else lies beyond it.
  double t = value == 0.0 ? 0.0 : range > 0.0 ? value / range : value > 0.0 ? 1.0 : -1.0;
  t = std::clamp(t, -1.0, 1.0);
  const float fade = static_cast<float>(1.0 - std::fabs(t));
  rgb[0] = t < 0.0 ? fade : 1.0f;
  rgb[1] = fade;
  rgb[2] = t > 0.0 ? fade : 1.0f;
}
