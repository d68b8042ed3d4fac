// The mirror in the camera view, seen in recorded frames of the real program: a cube map of six
// solid faces, and a prediction of the face every pixel must show, made here from the surface's
// shape and the reflection law alone (no product code), for the start-up camera and after the
// left-button orbits that the trackball gives in closed form.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "support/atlas.h"
#include "support/recording_session.h"

namespace {

using e2e::Rgb;
using e2e::TgaImage;

using support::kFaceNames;
using support::kFlatFaceColours;
constexpr int kCell = 64;  // texels a cell side: filtering stays well inside a cell

using V3 = std::array<double, 3>;
V3 sub(V3 a, V3 b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 add(V3 a, V3 b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
V3 scale(V3 a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double dot(V3 a, V3 b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
V3 cross(V3 a, V3 b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
V3 unit(V3 a) { return scale(a, 1.0 / std::sqrt(dot(a, a))); }

struct Camera {
  V3 eye, center, up;
};

// The face a reflected direction picks, and how far inside the cell (largest |a|, |b| of the
// in-cell coordinates, 1 on the border).
int faceFor(V3 r, double* border) {
  const double ax = std::fabs(r[0]), ay = std::fabs(r[1]), az = std::fabs(r[2]);
  if (ax > ay && ax > az) {
    *border = std::max(ay, az) / ax;
    return r[0] < 0 ? kFaceMinusX : kFacePlusX;
  }
  if (ay > az) {
    *border = std::max(ax, az) / ay;
    return r[1] < 0 ? kFaceMinusY : kFacePlusY;
  }
  *border = std::max(ax, ay) / az;
  return r[2] < 0 ? kFaceMinusZ : kFacePlusZ;
}

// The start-up grid is a paraboloid: with u, v the patch parameters, x = 1120u - 560,
// y = 560 - 1120v and z = 800(u(1 - u) + v(1 - v) - 1/2), that is z = -(x^2 + y^2) / 1568 over
// |x|, |y| <= 560, with the normal (2x/1568, 2y/1568, 1) facing +z. Returns the predicted face
// at window pixel (px, py) of the camera view, or -1 when the pixel misses the patch, lies
// near a cell border, or two surface points on its ray would show different faces (which of
// them is drawn last depends on the strip order and on whether the window has depth).
int predictedFace(const Camera& camera, double px, double py) {
  // Orthographic: 4 world units a pixel about the view's centre, window pixel (600, 200); the
  // pixel's centre is half a pixel right of and below its corner.
  const V3 f = unit(sub(camera.center, camera.eye));
  const V3 right = unit(cross(f, camera.up));
  const V3 up = cross(right, f);
  const double a = (px + 0.5 - 600) * 4, b = (200 - (py + 0.5)) * 4;
  const V3 o = add(camera.eye, add(scale(right, a), scale(up, b)));
  // (o + t f) on the surface: x^2 + y^2 + 1568 z = 0.
  const double qa = f[0] * f[0] + f[1] * f[1];
  const double qb = 2 * (o[0] * f[0] + o[1] * f[1]) + 1568 * f[2];
  const double qc = o[0] * o[0] + o[1] * o[1] + 1568 * o[2];
  std::vector<double> roots;
  if (std::fabs(qa) < 1e-12) {
    roots.push_back(-qc / qb);
  } else {
    const double disc = qb * qb - 4 * qa * qc;
    if (disc < 0) return -1;
    roots.push_back((-qb - std::sqrt(disc)) / (2 * qa));
    roots.push_back((-qb + std::sqrt(disc)) / (2 * qa));
  }
  int face = -1;
  for (double t : roots) {
    const V3 p = add(o, scale(f, t));
    // Off the patch; near its rim the pixel may or may not be covered.
    const double rim = std::max(std::fabs(p[0]), std::fabs(p[1]));
    if (rim > 590) continue;
    if (rim > 530) return -1;
    const V3 n = unit({2 * p[0] / 1568, 2 * p[1] / 1568, 1});
    const V3 d = sub(camera.center, camera.eye);
    const V3 r = sub(d, scale(n, 2 * dot(n, d)));
    double border = 0;
    const int here = faceFor(r, &border);
    // 5% of a 64-texel cell keeps linear filtering inside the cell.
    if (border > 0.95) return -1;
    if (face >= 0 && face != here) return -1;
    face = here;
  }
  return face;
}

// Faces at and `reach` pixels around a pixel agree, so that the corners of the quad drawn there
// (under 2 pixels across) all lie in one cell.
int steadyFace(const Camera& camera, int px, int py, int reach = 4) {
  const int face = predictedFace(camera, px, py);
  for (int dy = -reach; dy <= reach && face >= 0; dy += reach)
    for (int dx = -reach; dx <= reach; dx += reach)
      if (predictedFace(camera, px + dx, py + dy) != face) return -1;
  return face;
}

const Camera kStartCamera = {{0, 0, 1}, {0, 0, 0}, {0, 1, 0}};

class MirrorE2eTest : public e2e::RecordingSessionTest {
 protected:
  // The solid atlas in the working directory (unless withCubemap is false), then recording
  // from frame 0.
  void recordWithAtlas(bool withCubemap = true) {
    if (withCubemap) {
      ASSERT_TRUE(support::writeFlatAtlas(path("cubemap.png"), kCell));
    }
    // Without one here, a copy that has no default beside it either.
    ASSERT_TRUE(startRecording(withCubemap ? PATCHLUME_BINARY : binaryWithoutData(PATCHLUME_BINARY),
                               frame));
  }

  // Left-button orbit from the view's centre, then the settled frame.
  void orbitTo(int x, int y) {
    drag(1, 600, 200, x, y, 10);
    int number = 0;
    ASSERT_TRUE(settledFrame(1, number, frame));
  }

  // Every 5th pixel of the camera view whose face is predicted with margin shows that face;
  // the prediction must cover at least `minimum` pixels, so a blank frame cannot pass.
  void expectPredictedFaces(const Camera& camera, int minimum) {
    int checked = 0, wrong = 0;
    for (int py = 2; py < 400; py += 5) {
      for (int px = 402; px < 800; px += 5) {
        const int want = steadyFace(camera, px, py);
        if (want < 0) continue;
        ++checked;
        const int got = support::flatFaceOf(frame.at(px, py));
        if (got != want && ++wrong <= 10) {
          const Rgb p = frame.at(px, py);
          ADD_FAILURE() << "pixel (" << px << ", " << py << ") is (" << p.r << ", " << p.g
                        << ", " << p.b << ") = " << (got < 0 ? "no face" : kFaceNames[got])
                        << ", predicted " << kFaceNames[want];
        }
      }
    }
    EXPECT_EQ(wrong, 0) << "of " << checked << " predicted pixels";
    EXPECT_GE(checked, minimum);
  }

  // The face at one pixel, with the prediction for it checked first.
  void expectFaceAt(const Camera& camera, int px, int py, int face) {
    ASSERT_EQ(steadyFace(camera, px, py, 2), face) << "the prediction itself";
    EXPECT_TRUE(e2e::pixelNear(frame, px, py, kFlatFaceColours[face], 3)) << kFaceNames[face];
  }

  TgaImage frame;
};

TEST_F(MirrorE2eTest, StartCameraShowsPlusZInTheMiddleAndTheSidesBeyond) {
  recordWithAtlas();
  // d = (0, 0, -1) reflects in the middle normal (0, 0, 1) to +Z.
  expectFaceAt(kStartCamera, 600, 200, kFacePlusZ);
  // 100 pixels right of the middle the normal leans to +x enough for +X to dominate; looking
  // along -Z, screen right is +X and screen up +Y.
  expectFaceAt(kStartCamera, 700, 200, kFacePlusX);
  expectFaceAt(kStartCamera, 500, 200, kFaceMinusX);
  expectFaceAt(kStartCamera, 600, 100, kFacePlusY);
  expectFaceAt(kStartCamera, 600, 300, kFaceMinusY);
  expectPredictedFaces(kStartCamera, 1500);
}

TEST_F(MirrorE2eTest, OrbitOverTheTopShowsMinusYAtTheDomesCrown) {
  recordWithAtlas();
  // Down by 200 pixels from the centre: 90 degrees about the picture's horizontal axis, the
  // eye goes over the top to (0, 1, 0) looking down with up (0, 0, -1).
  orbitTo(600, 400);
  const Camera top = {{0, 1, 0}, {0, 0, 0}, {0, 0, -1}};
  // d = (0, -1, 0) is parallel to the crown's tangent plane and reflects to itself. The crown
  // (z = 0) is the patch's highest line as seen from above and runs through the middle of the
  // view, so the pixels just above the middle show the crown's -Y.
  expectFaceAt(top, 600, 196, kFaceMinusY);
  // Beyond the crown's band the two points on a ray show -Z and +Z, and the prediction leaves
  // them out rather than assume which is drawn last.
  expectPredictedFaces(top, 60);
}

TEST_F(MirrorE2eTest, OrbitToTheRightTurnsTheReflectionsWithTheEye) {
  recordWithAtlas();
  // 100 pixels right on the trackball of radius 200 sqrt(2): cos(theta) = 2 (1 - 1/8) - 1 =
  // 0.75 about the vertical axis, the eye going left to (-sin(theta), 0, 0.75).
  orbitTo(700, 200);
  const double theta = std::acos(0.75);
  const Camera right = {{-std::sin(theta), 0, std::cos(theta)}, {0, 0, 0}, {0, 1, 0}};
  // d = (0.661, 0, -0.75) reflects in the middle normal (0, 0, 1) to (0.661, 0, 0.75): still
  // +Z, now near the +X side of the cell.
  expectFaceAt(right, 600, 200, kFacePlusZ);
  expectPredictedFaces(right, 1200);
  // The start-up prediction must not fit this picture.
  int moved = 0;
  for (int px = 405; px < 800; px += 10) {
    const int before = steadyFace(kStartCamera, px, 200);
    const int after = steadyFace(right, px, 200);
    if (before >= 0 && after >= 0 && before != after) ++moved;
  }
  EXPECT_GE(moved, 3) << "the two predictions hardly differ: the test would not see a turn";
}

TEST_F(MirrorE2eTest, MissingCubemapShowsThePatchInTheLastPointsColour) {
  recordWithAtlas(false);
  // No texture: the patch takes the colour left by the side view's last point, (0.5, 0.5, 1).
  EXPECT_TRUE(e2e::pixelNear(frame, 600, 200, {128, 128, 255}, 2));
  EXPECT_TRUE(e2e::pixelNear(frame, 680, 120, {128, 128, 255}, 2));
  EXPECT_TRUE(e2e::pixelNear(frame, 420, 20, {255, 255, 255}, 2)) << "background outside it";
}

}  // namespace
