#include "cubemap_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// The viewer's lookup, written out independently: direction (any length) to atlas (s, t).
void referenceLookup(const double d[3], double& s, double& t) {
  const double ax = std::fabs(d[0]), ay = std::fabs(d[1]), az = std::fabs(d[2]);
  double sLo, tLo, a, b;
  if (ax > ay && ax > az) {
    sLo = d[0] < 0 ? 0 : 0.5, tLo = 1.0 / 3;
    a = (d[0] < 0 ? -d[2] : d[2]) / ax, b = -d[1] / ax;
  } else if (ay > az) {
    sLo = 0.25, tLo = d[1] < 0 ? 2.0 / 3 : 0;
    a = d[0] / ay, b = (d[1] < 0 ? d[2] : -d[2]) / ay;
  } else {
    sLo = d[2] < 0 ? 0.25 : 0.75, tLo = 1.0 / 3;
    a = (d[2] < 0 ? d[0] : -d[0]) / az, b = -d[1] / az;
  }
  s = 0.25 * (a + 1) * 0.5 + sLo;
  t = (1.0 / 3) * (b + 1) * 0.5 + tLo;
}

bool usedCell(int px, int py, int cell) { return py / cell == 1 || px / cell == 1; }

int channelGap(const unsigned char* p, const unsigned char* q) {
  return std::max({std::abs(p[0] - q[0]), std::abs(p[1] - q[1]), std::abs(p[2] - q[2])});
}

}  // namespace

TEST(CubemapScene, TexelCentresLookUpTheirOwnTexel) {
  const int cell = 256, w = 4 * cell, h = 3 * cell;
  for (int py = 0; py < h; ++py) {
    for (int px = 0; px < w; ++px) {
      double d[3], s, t;
      const bool used = atlasTexelDirection(px, py, w, h, d);
      ASSERT_EQ(used, usedCell(px, py, cell)) << px << "," << py;
      if (!used) continue;
      referenceLookup(d, s, t);
      ASSERT_EQ(static_cast<int>(std::floor(s * w)), px) << px << "," << py;
      ASSERT_EQ(static_cast<int>(std::floor(t * h)), py) << px << "," << py;
    }
  }
}

TEST(CubemapScene, ColoursAgreeAcrossEveryCubeEdge) {
  const int cell = 64, w = 4 * cell, h = 3 * cell;
  std::vector<unsigned char> img(w * h * 4);
  renderAtlas(cell, img.data());
  const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  long pairs = 0, gapSum = 0;
  for (int py = 0; py < h; ++py) {
    for (int px = 0; px < w; ++px) {
      if (!usedCell(px, py, cell)) continue;
      for (const auto& st : steps) {
        const int qx = px + st[0], qy = py + st[1];
        if (qx >= 0 && qy >= 0 && qx / cell == px / cell && qy / cell == py / cell) continue;
        // One texel past the face edge on the face's plane: 2 * border - inward neighbour.
        double b[3], in[3], out[3], s, t;
        atlasTexelDirection(px, py, w, h, b);
        atlasTexelDirection(px - st[0], py - st[1], w, h, in);
        for (int i = 0; i < 3; ++i) out[i] = 2 * b[i] - in[i];
        referenceLookup(out, s, t);
        const int nx = static_cast<int>(std::floor(s * w)), ny = static_cast<int>(std::floor(t * h));
        ASSERT_TRUE(usedCell(nx, ny, cell));
        ASSERT_FALSE(nx / cell == px / cell && ny / cell == py / cell) << px << "," << py;
        const int gap = channelGap(&img[4 * (py * w + px)], &img[4 * (ny * w + nx)]);
        EXPECT_LE(gap, 100) << px << "," << py << " vs " << nx << "," << ny;
        gapSum += gap, ++pairs;
      }
    }
  }
  EXPECT_EQ(pairs, 6 * 4 * cell);
  EXPECT_LT(static_cast<double>(gapSum) / pairs, 4.0);
}

TEST(CubemapScene, AtlasIsOpaqueDeterministicAndContinuedIntoUnusedCells) {
  const int cell = 32, w = 4 * cell, h = 3 * cell;
  std::vector<unsigned char> first(w * h * 4), second(w * h * 4, 7);
  renderAtlas(cell, first.data());
  renderAtlas(cell, second.data());
  EXPECT_EQ(first, second);
  for (int i = 0; i < w * h; ++i) ASSERT_EQ(first[4 * i + 3], 255);
  // Right of +Y and right of -Y: what bilinear filtering blends in must match the border.
  long gapSum = 0;
  for (int y : {0, 2 * cell})
    for (int i = 4 * (y * w + 2 * cell); i < 4 * ((y + cell) * w); i += 4 * w)
      gapSum += channelGap(&first[i - 4], &first[i]);
  EXPECT_LT(gapSum / (2.0 * cell), 12.0);
}

TEST(CubemapScene, SceneHasSunFloorChecksAndFourWallHues) {
  const double dirs[8][3] = {{0, 1, 0},     {1, 0.7, 0.2},  {0, -1, 0},     {0.5, -1, 0},
                             {-1, 0.2, 0.1}, {1, 0.2, 0.1}, {0.1, 0.2, -1}, {0.1, 0.2, 1}};
  unsigned char c[8][3];
  for (int i = 0; i < 8; ++i) sceneColour(dirs[i], c[i]);
  EXPECT_GT(c[1][0] + c[1][1], c[0][0] + c[0][1]);  // sky paler toward the horizon
  EXPECT_GT(c[0][2], c[0][0]);                      // and blue overhead
  EXPECT_GT(channelGap(c[2], c[3]), 150);           // neighbouring floor checks
  for (int i = 4; i < 8; ++i)
    for (int j = i + 1; j < 8; ++j) EXPECT_GT(channelGap(c[i], c[j]), 80) << i << j;
  // The brightest used texel is the sun, on the +Y face.
  const int cell = 32, w = 4 * cell;
  std::vector<unsigned char> img(w * 3 * cell * 4);
  renderAtlas(cell, img.data());
  int best = 0, bestSum = -1;
  for (int i = 0; i < w * 3 * cell; ++i) {
    const int sum = img[4 * i] + img[4 * i + 1] + img[4 * i + 2];
    if (usedCell(i % w, i / w, cell) && sum > bestSum) bestSum = sum, best = i;
  }
  EXPECT_TRUE((best % w) / cell == 1 && best / w < cell && bestSum > 3 * 235);
}
