// The analysis modes on the real window, entered by their keys, against the start-up dome in
// closed form: z = kA (x^2 + y^2) over |x|, |y| <= 560, seen from +z at 4 units a pixel about
// window pixel (600, 600), its unit normal (-f_x, -f_y, 1) / g facing +z, g^2 = 1 + f_x^2 + f_y^2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/shell.h"
#include "support/gl_window.h"
#include "support/viewer_gl_fixture.h"

namespace {

constexpr double kA = -1.0 / 1568.0;

// K = 4 kA^2 / g^4 (mean false) or H = kA (1 + g^2) / g^3 of the dome at a point of that g.
double curvature(bool mean, double g) { return mean ? kA * (1 + g * g) / std::pow(g, 3) : 4 * kA * kA / std::pow(g, 4); }

class AnalysisGl : public support::ViewerGlTest {};

TEST_F(AnalysisGl, EveryModeShowsTheDomeAsItsClosedFormPredicts) {
  display();
  const std::vector<unsigned char> mirror = readBackRgb(0, 0, 800, 800);
  // Both |K| and |H| fall with the distance from the middle, so their 95th percentile (nearest
  // rank) over the samples, 8.75 units apart, is their value at the distance of rank
  // n - ceil(0.95 n) from the middle, counted from 0.
  std::vector<double> distances;
  for (int k = 0; k < kSamples * kSamples; ++k) distances.push_back(8.75 * std::hypot(k / kSamples - 64, k % kSamples - 64));
  std::sort(distances.begin(), distances.end());
  const std::size_t rank = distances.size() - static_cast<std::size_t>(std::ceil(0.95 * distances.size()));
  const double rangeG = std::hypot(1, 2 * kA * distances[rank]);  // g where the value is the range
  // A key, and the mode, band count and band axis it leads to: [ stops at 8 bands.
  const int steps[][4] = {{'z', kZebraMode, 24, 1}, {']', kZebraMode, 32, 1}, {'[', kZebraMode, 24, 1}, {'[', kZebraMode, 16, 1},
                          {'x', kZebraMode, 16, 0}, {'[', kZebraMode, 12, 0}, {'[', kZebraMode, 8, 0},  {'[', kZebraMode, 8, 0},
                          {'z', kGaussianMode},     {'z', kMeanMode}};
  int edges[10] = {};  // grey crossings along the row 30 pixels above the middle
  for (int s = 0; s < 10; ++s) {
    const int mode = steps[s][1], bands = steps[s][2], axis = steps[s][3];
    keyboard(static_cast<unsigned char>(steps[s][0]), 0, 0);
    display();
    const std::vector<unsigned char> frame = readBackRgb(0, 0, 800, 800);
    auto channel = [&frame](int px, int py, int c) { return frame[(py * 800 + px) * 3 + c]; };
    int checked = 0, wrong = 0;
    for (int py = 465; py < 736; ++py)
      for (int px = 465; px < 736; ++px) {
        // Middle of the pixel in world units, away from the rim.
        const double x = (px + 0.5 - 600) * 4, y = (py + 0.5 - 600) * 4, g = std::sqrt(1 + 4 * kA * kA * (x * x + y * y));
        double want[3];
        if (mode == kZebraMode) {
          // d = (0, 0, -1) reflects to 2 n_z n - d; its band is floor(band), by its angle about the axis.
          const double r[3] = {-4 * kA * x / (g * g), -4 * kA * y / (g * g), 2 / (g * g) - 1};
          const double band = bands * std::atan2(r[(axis + 2) % 3], r[(axis + 1) % 3]) / (2 * M_PI);
          if (std::fabs(band - std::floor(band) - 0.5) > 0.3) continue;  // within a fifth of a band of an edge
          want[0] = want[1] = want[2] = static_cast<int>(std::floor(band)) % 2 == 0 ? 1 : 0;
        } else {
          const double t = std::clamp(curvature(mode == kMeanMode, g) / std::fabs(curvature(mode == kMeanMode, rangeG)), -1.0, 1.0);
          want[0] = t < 0 ? 1 + t : 1, want[1] = 1 - std::fabs(t), want[2] = t > 0 ? 1 - t : 1;
        }
        ++checked;
        for (int c = 0; c < 3; ++c)
          if (std::fabs(channel(px, py, c) - 255 * want[c]) > 2 && ++wrong <= 5)
            ADD_FAILURE() << "step " << s << ": pixel " << px << "," << py << "," << c << " is " << +channel(px, py, c);
      }
    EXPECT_TRUE(wrong == 0 && checked > 30000) << "step " << s << ": " << wrong << " wrong of " << checked;
    for (int px = 466; px < 736; ++px) edges[s] += (channel(px, 630, 0) > 127) != (channel(px - 1, 630, 0) > 127);
  }
  // More bands, more edges across; the count back, the edges back; turned by x, fewer.
  EXPECT_TRUE(edges[1] > edges[0] && edges[2] == edges[0] && edges[3] < edges[0] && edges[4] < edges[3]);
  keyboard('z', 0, 0);
  display();
  EXPECT_TRUE(readBackRgb(0, 0, 800, 800) == mirror) << "the mirror after the others";
}

}  // namespace
