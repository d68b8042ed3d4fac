// The software rasteriser of the mirror tests: edge distances in pixels decide coverage,
// barycentric weights interpolate the reflection and the depth.
#include "support/mirror_prediction.h"

#include <algorithm>
#include <cmath>

#include "app/state.h"

namespace support {

namespace {

constexpr double kBorder = 0.99;      // nearer a face border than this, filtering may mix cells
constexpr double kEdgeMargin = 0.01;  // pixels: either side of an edge may get the pixel
constexpr double kDepthSlack = 4.0;   // world units: another row nearer than this may show

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

void normalise(double v[3]) {
  const double length = std::sqrt(dot(v, v));
  for (int i = 0; i < 3; ++i) v[i] /= length;
}

// The face of a direction, or kPixelUnknown where it lies near a border.
int clearFace(const double r[3]) {
  int axis = 0;
  for (int i = 1; i < 3; ++i)
    if (std::fabs(r[i]) > std::fabs(r[axis])) axis = i;
  for (int i = 0; i < 3; ++i)
    if (i != axis && std::fabs(r[i]) > kBorder * std::fabs(r[axis])) return kPixelUnknown;
  return 2 * axis + (r[axis] < 0.0 ? 0 : 1);
}

struct Corner {
  double x, y;   // window pixels, origin bottom-left
  double depth;  // world units in front of the eye
  double r[3];   // reflection of the view direction
};

}  // namespace

MirrorPrediction predictMirrorFaces(const float eye[3], const float center[3], const float up[3]) {
  // The look-at frame: forward, side = forward x up, and up made perpendicular.
  double d[3], forward[3], side[3], upright[3], given[3];
  for (int i = 0; i < 3; ++i) {
    d[i] = forward[i] = static_cast<double>(center[i]) - eye[i];
    given[i] = up[i];
  }
  normalise(forward);
  cross(forward, given, side);
  normalise(side);
  cross(side, forward, upright);
  static Corner corners[kSamples][kSamples];
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l) {
      Corner& c = corners[k][l];
      double p[3];
      for (int i = 0; i < 3; ++i) p[i] = surfacePoints[k][l][i] - eye[i];
      c.x = 600.0 + dot(p, side) / 4.0;
      c.y = 600.0 + dot(p, upright) / 4.0;
      c.depth = dot(p, forward);
      const double* n = surfaceNormals[k][l];
      const double along = dot(n, d);
      for (int i = 0; i < 3; ++i) c.r[i] = d[i] - 2.0 * along * n[i];
    }
  // Per pixel the nearest triangle's depth, face and row, and the nearest depth and face of
  // another row's triangle.
  struct Cover {
    double depth = HUGE_VAL, otherDepth = HUGE_VAL;
    int face = kPixelBackground, otherFace = kPixelBackground, row = 0;
    bool straddles = false;
  };
  std::vector<Cover> covers(400 * 400);
  for (int k = 1; k < kSamples; ++k) {
    for (int l = 0; l + 1 < kSamples; ++l) {
      const Corner* quad[4] = {&corners[k - 1][l], &corners[k][l], &corners[k - 1][l + 1], &corners[k][l + 1]};
      const bool straddles = std::any_of(quad + 1, quad + 4, [&](const Corner* c) {
        return clearFace(c->r) != clearFace(quad[0]->r) || clearFace(c->r) == kPixelUnknown;
      });
      const Corner* triangles[2][3] = {{quad[0], quad[1], quad[3]}, {quad[0], quad[3], quad[2]}};
      for (const auto& t : triangles) {
        const double area = (t[1]->x - t[0]->x) * (t[2]->y - t[0]->y) - (t[2]->x - t[0]->x) * (t[1]->y - t[0]->y);
        if (area == 0.0) continue;
        const double minX = std::min({t[0]->x, t[1]->x, t[2]->x}) - 400.0 - kEdgeMargin;
        const double maxX = std::max({t[0]->x, t[1]->x, t[2]->x}) - 400.0 + kEdgeMargin;
        const double minY = std::min({t[0]->y, t[1]->y, t[2]->y}) - 400.0 - kEdgeMargin;
        const double maxY = std::max({t[0]->y, t[1]->y, t[2]->y}) - 400.0 + kEdgeMargin;
        for (int py = std::max(0, static_cast<int>(std::floor(minY))); py <= std::min(399.0, maxY); ++py) {
          for (int px = std::max(0, static_cast<int>(std::floor(minX))); px <= std::min(399.0, maxX); ++px) {
            const double x = px + 400.5, y = py + 400.5;
            double w[3], nearest = HUGE_VAL;  // barycentric weights; the pixel's distance inside
            for (int v = 0; v < 3; ++v) {
              const Corner* a = t[(v + 1) % 3];
              const Corner* b = t[(v + 2) % 3];
              w[v] = ((b->x - a->x) * (y - a->y) - (x - a->x) * (b->y - a->y)) / area;
              nearest = std::min(nearest, w[v] * std::fabs(area) / std::hypot(b->x - a->x, b->y - a->y));
            }
            if (nearest < -kEdgeMargin) continue;
            double r[3];
            for (int i = 0; i < 3; ++i) r[i] = w[0] * t[0]->r[i] + w[1] * t[1]->r[i] + w[2] * t[2]->r[i];
            const double depth = w[0] * t[0]->depth + w[1] * t[1]->depth + w[2] * t[2]->depth;
            const int face = nearest <= kEdgeMargin ? kPixelUnknown : clearFace(r);
            Cover& c = covers[py * 400 + px];
            // A nearer triangle of another row makes the one it covers the other one.
            if (depth < c.depth)
              c = {depth, c.row != k ? c.depth : c.otherDepth, face, c.row != k ? c.face : c.otherFace, k, straddles};
            else if (c.row != k && depth < c.otherDepth)
              c.otherDepth = depth, c.otherFace = face;
          }
        }
      }
    }
  }
  MirrorPrediction prediction;
  prediction.faces.resize(400 * 400);
  for (int i = 0; i < 400 * 400; ++i) {
    const Cover& c = covers[i];
    int& face = prediction.faces[i];
    face = c.depth == HUGE_VAL || c.otherDepth - c.depth > kDepthSlack ? c.face : kPixelUnknown;
    if (face < 0) continue;
    prediction.seamPixels += c.straddles;
    prediction.hiddenPixels += c.otherFace >= 0 && c.otherFace != c.face;
  }
  return prediction;
}

}  // namespace support
