#include "cubemap_scene.h"

#include <algorithm>
#include <cmath>

#include "render/atlas_layout.h"

namespace {

const double kCheckSize = 0.5;   // floor checks, in units of the eye's height
const double kWallTop = 0.5;     // wall band height, in units of the wall's distance
const double kWallGrid = 0.125;  // wall grid spacing, same units
const double kHorizonHalfWidth = 0.007;

double clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

double smoothstep(double e0, double e1, double v) {
  const double t = clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

void mix(const double a[3], const double b[3], double t, double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] + (b[i] - a[i]) * t;
}

// True within halfWidth of a multiple of spacing.
bool nearGridLine(double v, double spacing, double halfWidth) {
  const double r = v / spacing - std::floor(v / spacing + 0.5);
  return std::fabs(r) * spacing < halfWidth;
}

void floorColour(double x, double y, double z, double rgb[3]) {
  static const double light[3] = {0.93, 0.91, 0.86}, dark[3] = {0.16, 0.18, 0.23};
  static const double haze[3] = {0.58, 0.59, 0.62};
  const double p = x / -y, q = z / -y;
  // Offset by half a check so that no check boundary runs along a cube edge.
  const bool odd = (static_cast<long>(std::floor(p / kCheckSize + 0.5)) +
                    static_cast<long>(std::floor(q / kCheckSize + 0.5))) & 1;
  // Checks shrink toward the horizon faster than supersampling can resolve: fade them out.
  mix(haze, odd ? dark : light, smoothstep(0.1, 0.4, -y), rgb);
}

void wallColour(double x, double y, double z, double rgb[3]) {
  static const double hues[4][3] = {
      {0.80, 0.22, 0.18},   // -X red
      {0.22, 0.62, 0.28},   // +X green
      {0.30, 0.30, 0.78},   // -Z blue
      {0.95, 0.72, 0.15}};  // +Z amber
  const bool alongX = std::fabs(x) > std::fabs(z);
  const double m = alongX ? std::fabs(x) : std::fabs(z);
  const double u = (alongX ? z : x) / m, v = y / m;
  const double* hue = hues[alongX ? (x < 0 ? 0 : 1) : (z < 0 ? 2 : 3)];
  const double* next = hues[alongX ? (z < 0 ? 2 : 3) : (x < 0 ? 0 : 1)];
  // Half-and-half at the corner, from either side, so the hues meet without a seam.
  mix(hue, next, 0.5 * smoothstep(0.9, 1.0, std::fabs(u)), rgb);
  const bool line = nearGridLine(u, kWallGrid, 0.006) || nearGridLine(v, kWallGrid, 0.006);
  const double shade = (line ? 0.72 : 1.0) * (1.0 - 0.25 * v / kWallTop);
  for (int i = 0; i < 3; ++i) rgb[i] *= shade;
}

void skyColour(double x, double y, double z, double rgb[3]) {
  static const double horizon[3] = {0.82, 0.89, 0.97}, zenith[3] = {0.16, 0.36, 0.78};
  static const double sunRgb[3] = {1.0, 0.97, 0.88};
  static const double sun[3] = {0.3015113, 0.9045340, -0.3015113};  // (1, 3, -1) normalised
  mix(horizon, zenith, std::sqrt(clamp01(y)), rgb);
  const double c = std::max(0.0, x * sun[0] + y * sun[1] + z * sun[2]);
  const double glow = 0.55 * std::pow(c, 300.0) + 0.25 * std::pow(c, 12.0);
  for (int i = 0; i < 3; ++i) rgb[i] += glow * sunRgb[i];
  mix(rgb, sunRgb, smoothstep(std::cos(0.060), std::cos(0.050), c), rgb);  // ~3 degree disc
}

void quantize(const double rgb[3], unsigned char out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = static_cast<unsigned char>(clamp01(rgb[i]) * 255 + 0.5);
}

}  // namespace

void sceneRadiance(const double dir[3], double rgb[3]) {
  const double len = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
  const double x = dir[0] / len, y = dir[1] / len, z = dir[2] / len;
  if (y < 0) {
    floorColour(x, y, z, rgb);
  } else if (y < kWallTop * std::max(std::fabs(x), std::fabs(z))) {
    wallColour(x, y, z, rgb);
  } else {
    skyColour(x, y, z, rgb);
  }
  if (std::fabs(y) < kHorizonHalfWidth) {
    for (int i = 0; i < 3; ++i) rgb[i] *= 0.25;
  }
  for (int i = 0; i < 3; ++i) rgb[i] = clamp01(rgb[i]);
}

void sceneColour(const double dir[3], unsigned char rgb[3]) {
  double c[3];
  sceneRadiance(dir, c);
  quantize(c, rgb);
}

void renderAtlasTexel(int px, int py, int cellSize, unsigned char rgb[3]) {
  const int n = 4, width = kAtlasColumns * cellSize, height = kAtlasRows * cellSize;
  double sum[3] = {0, 0, 0}, d[3], c[3];
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      atlasPointDirection((px + (i + 0.5) / n) / width, (py + (j + 0.5) / n) / height, d);
      sceneRadiance(d, c);
      for (int k = 0; k < 3; ++k) sum[k] += c[k] / (n * n);
    }
  }
  quantize(sum, rgb);
}

void renderAtlas(int cellSize, unsigned char* rgba) {
  const int width = kAtlasColumns * cellSize, height = kAtlasRows * cellSize;
  for (int py = 0; py < height; ++py) {
    for (int px = 0; px < width; ++px) {
      unsigned char* out = rgba + 4 * (static_cast<long>(py) * width + px);
      renderAtlasTexel(px, py, cellSize, out);
      out[3] = 255;
    }
  }
}

void renderPanorama(int width, int height, unsigned char* rgba) {
  const double pi = 3.14159265358979323846;
  for (int py = 0; py < height; ++py) {
    const double latitude = (0.5 - (py + 0.5) / height) * pi;
    for (int px = 0; px < width; ++px) {
      const double longitude = ((px + 0.5) / width - 0.5) * 2 * pi;
      const double d[3] = {-std::sin(longitude) * std::cos(latitude), std::sin(latitude),
                           std::cos(longitude) * std::cos(latitude)};
      unsigned char* out = rgba + 4 * (static_cast<long>(py) * width + px);
      sceneColour(d, out);
      out[3] = 255;
    }
  }
}
