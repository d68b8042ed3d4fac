// Shared comparisons: memcmp for bits, the fan from vertex 0 for areas.
#include "support/compare.h"

#include <cmath>
#include <cstring>

namespace support {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(const double* a, const double* b, std::size_t count) {
  return std::memcmp(a, b, count * sizeof(double)) == 0;
}

double polygonArea(int count, const std::function<double(int v, int c)>& at) {
  double sum[3] = {0, 0, 0};
  for (int i = 1; i + 1 < count; ++i) {
    double a[3], b[3];
    for (int c = 0; c < 3; ++c) a[c] = at(i, c) - at(0, c), b[c] = at(i + 1, c) - at(0, c);
    for (int c = 0; c < 3; ++c) sum[c] += a[(c + 1) % 3] * b[(c + 2) % 3] - a[(c + 2) % 3] * b[(c + 1) % 3];
  }
  return 0.5 * std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
}

}  // namespace support
