// Basis tables and the initial control grid of the cubic patch.
#include "model/basis.h"

#include <cmath>
#include <cstring>

#include "app/state.h"
#include "model/tessellation.h"

namespace {

// x to the n-th power by repeated multiplication; never exp/log, so the table stays exact.
double integerPower(double x, int n) {
  double result = 1.0;
  for (int i = 0; i < n; ++i) result *= x;
  return result;
}

}  // namespace

void initBinomials() {
  // Pascal's triangle built in place, storing only the first half of each row plus,
  // for an odd degree, a copy of its middle entry.
  binomial[0] = 1;
  for (int n = 1; n <= 3; ++n) {
    const int h = n / 2;
    for (int m = h; m >= 1; --m) binomial[m] = binomial[m] + binomial[m - 1];
    if (n % 2 == 1) binomial[h + 1] = binomial[h];
  }
}

void initBernstein() {
  for (int k = 0; k < kSamples; ++k) {
    const double t = k * 0.0078125;  // k / 128, exact
    const double s = 1.0 - t;
    for (int i = 0; i < 2; ++i) {
      bernstein[k][i] = (binomial[i] * integerPower(t, i)) * integerPower(s, 3 - i);
      bernstein[k][3 - i] = (binomial[i] * integerPower(t, 3 - i)) * integerPower(s, i);
    }
  }
}

void initControlGrid() {
  for (int i = 0; i < kGridSize; ++i) {
    for (int j = 0; j < kGridSize; ++j) {
      controlPoints[i][j][0] = ((2 * i) / 3.0 - 1.0) * 560.0;
      controlPoints[i][j][1] = (1.0 - (2 * j) / 3.0) * 560.0;
      controlPoints[i][j][2] =
          ((0.5 - std::fabs(i / 3.0 - 0.5)) - std::fabs(j / 3.0 - 0.5)) * 800.0;
    }
  }
  updateSurface();
  dragView = -1;
}

void setControlGrid(const double grid[kGridSize][kGridSize][3]) {
  std::memcpy(controlPoints, grid, sizeof controlPoints);
  updateSurface();
}
