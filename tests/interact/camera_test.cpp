// Camera-view navigation without GL: cameraDrag and its vector helpers, driven by the same
// presses mouse() records, checked against the documented pictures and bit for bit against
// an independent single-precision reference.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "app/window.h"
#include "app/state.h"
#include "interact/camera.h"
#include "interact/picking.h"
#include "support/compare.h"
#include "support/random_input.h"
#include "support/viewer_state.h"

namespace {

using support::sameBits;
using support::setCamera;

// Whether a motion event at (x, y) leaves eye, look-at point and up bit for bit as they were.
bool dragLeavesCamera(int x, int y) {
  const support::ViewerGlobals before = support::saveViewerGlobals();
  cameraDrag(x, y);
  return support::cameraUnchangedSince(before);
}

// Eye `height` above the look-at point (x, 0, 0) on the z axis through it, up +y.
void setCameraAbove(float x, float height) {
  const float eye[3] = {x, 0.0f, height}, center[3] = {x, 0.0f, 0.0f}, up[3] = {0.0f, 1.0f, 0.0f};
  setCamera(eye, center, up);
}

double cameraDistance() {
  const double dx = static_cast<double>(cameraEye[0]) - cameraCenter[0];
  const double dy = static_cast<double>(cameraEye[1]) - cameraCenter[1];
  const double dz = static_cast<double>(cameraEye[2]) - cameraCenter[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

class Camera : public ::testing::Test {
 protected:
  void SetUp() override {
    windowWidth = 800;
    windowHeight = 800;
    trackballRadius = 0.25 * std::sqrt(800.0 * 800.0 * 2.0);
    support::useFrontCamera();
    dragView = -1;
    activeButton = -1;
  }

  // A press in the camera view, as the mouse handler records it.
  static void pressCamera(int button, int x, int y) {
    mouse(button, GLUT_DOWN, x, y);
    ASSERT_EQ(dragView, 3);
    ASSERT_EQ(activeButton, button);
  }

  support::KeepViewerGlobals saved_;
};

// ---- the reference, written from the rules: float throughout, library sqrt/acos/sin/cos
// in double on the widened float, every sum in the stated order ----

struct V {
  float x, y, z;
};

float rootOf(float s) { return static_cast<float>(std::sqrt(static_cast<double>(s))); }

V refNormalized(V v) {
  const float length = rootOf((v.x * v.x + v.y * v.y) + v.z * v.z);
  const float inv = 1.0f / length;
  return {v.x * inv, v.y * inv, v.z * inv};
}

V refCross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

struct RefCamera {
  V eye, center, up;
};

RefCamera currentCamera() {
  return {{cameraEye[0], cameraEye[1], cameraEye[2]},
          {cameraCenter[0], cameraCenter[1], cameraCenter[2]},
          {cameraUp[0], cameraUp[1], cameraUp[2]}};
}

V refScreenToWorld(const RefCamera& cam, float a, float b, float c) {
  const V f = refNormalized({cam.center.x - cam.eye.x, cam.center.y - cam.eye.y, cam.center.z - cam.eye.z});
  const V l = refNormalized(refCross(cam.up, f));
  const V u = refNormalized(refCross(f, l));
  return {(a * l.x + b * u.x) + c * f.x, (a * l.y + b * u.y) + c * f.y, (a * l.z + b * u.z) + c * f.z};
}

void refAxisAngle(float angle, V axis, float m[3][3]) {
  const float len = rootOf((axis.x * axis.x + axis.y * axis.y) + axis.z * axis.z);
  if (static_cast<double>(len) < 1.110223024e-16) {
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) m[r][k] = r == k ? 1.0f : 0.0f;
    return;
  }
  const float inv = 1.0f / len;
  const float nx = axis.x * inv, ny = axis.y * inv, nz = axis.z * inv;
  const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
  const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
  const float t = 1.0f - c;
  m[0][0] = ((t * nx) * nx) + c;
  m[0][1] = ((t * nx) * ny) - (s * nz);
  m[0][2] = ((t * nx) * nz) + (s * ny);
  m[1][0] = ((t * nx) * ny) + (s * nz);
  m[1][1] = ((t * ny) * ny) + c;
  m[1][2] = ((t * ny) * nz) - (s * nx);
  m[2][0] = ((t * nx) * nz) - (s * ny);
  m[2][1] = ((t * ny) * nz) + (s * nx);
  m[2][2] = ((t * nz) * nz) + c;
}

V refRotate(V v, V axis, float angle) {
  float m[3][3];
  refAxisAngle(angle, axis, m);
  const float in[3] = {v.x, v.y, v.z};
  float out[3];
  for (int r = 0; r < 3; ++r) {
    float sum = m[r][0] * in[0];
    sum = sum + m[r][1] * in[1];
    sum = sum + m[r][2] * in[2];
    out[r] = sum;
  }
  return {out[0], out[1], out[2]};
}

// A trackball point: the pointer offset lifted onto the sphere of radius r, height 0 outside.
V refOnBall(float x, float y, float r) {
  const float h = (r * r - x * x) - y * y;
  return {x, y, h > 0.0f ? rootOf(h) : 0.0f};
}

// The trackball's sums start from z: z z + (y y + x x) for a length, (y y' + x x') + z z' for
// a dot product.
float refLength(V v) { return rootOf(v.z * v.z + (v.y * v.y + v.x * v.x)); }
float refDot(V a, V b) { return (a.y * b.y + a.x * b.x) + a.z * b.z; }

// One motion event of a camera drag at (x, y), the pointer last at (lastX, lastY).
void refCameraStep(RefCamera& cam, int button, int width, int height, double radius, int lastX,
                   int lastY, int x, int y) {
  const int halfW = width / 2, halfH = height / 2;
  if (button == GLUT_LEFT_BUTTON) {
    const double cx = halfW * 0.5, cy = halfH * 0.5;
    const float r = static_cast<float>(radius);
    const float px = static_cast<float>(static_cast<double>(lastX) - cx);
    const float py = static_cast<float>(static_cast<double>(lastY) - cy);
    const float qx = static_cast<float>(static_cast<double>(x - halfW) - cx);
    const float qy = static_cast<float>(static_cast<double>(y) - cy);
    const V p = refOnBall(px, py, r), q = refOnBall(qx, qy, r);
    const V axis = refCross(q, p);
    const float cosv = refDot(q, p) / (refLength(q) * refLength(p));
    const float clamped = cosv < -1.0f ? -1.0f : (cosv > 1.0f ? 1.0f : cosv);
    const float theta = 2.0f * static_cast<float>(std::acos(static_cast<double>(clamped)));
    const V world = refScreenToWorld(cam, axis.x, axis.y, axis.z);
    const V d{cam.center.x - cam.eye.x, cam.center.y - cam.eye.y, cam.center.z - cam.eye.z};
    const V dTurned = refRotate(d, world, theta);
    cam.up = refRotate(cam.up, world, theta);
    cam.eye = {cam.center.x - dTurned.x, cam.center.y - dTurned.y, cam.center.z - dTurned.z};
  } else if (button == GLUT_RIGHT_BUTTON) {
    const int dy = y - lastY;
    const float f = dy < 0 ? 0.975f : 1.025f;
    cam.eye = {cam.center.x - (cam.center.x - cam.eye.x) * f, cam.center.y - (cam.center.y - cam.eye.y) * f,
               cam.center.z - (cam.center.z - cam.eye.z) * f};
  } else if (button == GLUT_MIDDLE_BUTTON) {
    const float dx = static_cast<float>((x - halfW) - lastX);
    const int dy = y - lastY;
    if (dx == 0.0f && dy == 0) return;
    const V v = refNormalized(refScreenToWorld(cam, dx, static_cast<float>(dy), 0.0f));
    const V e{cam.eye.x - cam.center.x, cam.eye.y - cam.center.y, cam.eye.z - cam.center.z};
    const float dist = rootOf((e.y * e.y + e.x * e.x) + e.z * e.z);
    const double ddx = dx, ddy = dy;
    const float s = static_cast<float>(static_cast<double>(dist) * (std::sqrt(ddy * ddy + ddx * ddx) / 1000.0));
    cam.center = {cam.center.x + s * v.x, cam.center.y + s * v.y, cam.center.z + s * v.z};
    cam.eye = {cam.eye.x + s * v.x, cam.eye.y + s * v.y, cam.eye.z + s * v.z};
  }
}

::testing::AssertionResult cameraIs(const RefCamera& expected) {
  const float want[9] = {expected.eye.x,    expected.eye.y,    expected.eye.z,
                         expected.center.x, expected.center.y, expected.center.z,
                         expected.up.x,     expected.up.y,     expected.up.z};
  const float got[9] = {cameraEye[0],    cameraEye[1],    cameraEye[2], cameraCenter[0], cameraCenter[1],
                        cameraCenter[2], cameraUp[0],     cameraUp[1],  cameraUp[2]};
  for (int k = 0; k < 9; ++k) {
    if (!sameBits(want[k], got[k])) {
      return ::testing::AssertionFailure() << "component " << k << " (eye, center, up): got " << got[k]
                                           << ", expected " << want[k];
    }
  }
  return ::testing::AssertionSuccess();
}

// Whether each component of v is within 1e-6 of (x, y, z), the accuracy of the float steps.
::testing::AssertionResult near3(const float v[3], float x, float y, float z) {
  const float want[3] = {x, y, z};
  for (int k = 0; k < 3; ++k)
    if (!(std::fabs(static_cast<double>(v[k]) - want[k]) <= 1e-6))
      return ::testing::AssertionFailure() << "component " << k << " is " << v[k] << ", expected " << want[k];
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(Camera, RotateDownwardsLooksStraightDown) {
  pressCamera(GLUT_LEFT_BUTTON, 600, 200);
  cameraDrag(600, 400);
  EXPECT_TRUE(near3(cameraEye, 0.0f, 1.0f, 0.0f)) << "eye";
  EXPECT_TRUE(near3(cameraUp, 0.0f, 0.0f, -1.0f)) << "up";
  EXPECT_EQ(cameraCenter[0], 0.0f);
  EXPECT_EQ(cameraCenter[1], 0.0f);
  EXPECT_EQ(cameraCenter[2], 0.0f);
  EXPECT_EQ(lastMouseX, 200);
  EXPECT_EQ(lastMouseY, 400);
}

TEST_F(Camera, RotateRightCarriesTheEyeLeft) {
  pressCamera(GLUT_LEFT_BUTTON, 600, 200);
  cameraDrag(700, 200);
  EXPECT_NEAR(cameraEye[0], -0.6614f, 1e-4);
  EXPECT_NEAR(cameraEye[1], 0.0f, 1e-6);
  EXPECT_NEAR(cameraEye[2], 0.75f, 1e-4);
  EXPECT_NEAR(cameraDistance(), 1.0, 1e-6);  // an orbit keeps the distance
  EXPECT_NEAR(cameraUp[0], 0.0f, 1e-6);  // a turn about the vertical keeps up
  EXPECT_NEAR(cameraUp[1], 1.0f, 1e-6);
  EXPECT_NEAR(cameraUp[2], 0.0f, 1e-6);
}

TEST_F(Camera, RotateToTheSamePixelChangesNothing) {
  {  // from the initial camera, at the view's centre
    pressCamera(GLUT_LEFT_BUTTON, 600, 200);
    EXPECT_TRUE(dragLeavesCamera(600, 200));
  }
  {  // after a turn, off centre
    cameraDrag(650, 120);
    EXPECT_TRUE(dragLeavesCamera(650, 120));
    EXPECT_EQ(lastMouseX, 250);
    EXPECT_EQ(lastMouseY, 120);
  }
}

TEST_F(Camera, OutsideTheOutlineTheHeightIsZero) {
  // q = (1000, 0, 0) against p = (0, 0, r): perpendicular, a half turn about the vertical.
  // A height taken from |r^2 - x^2| would tilt q and turn by less.
  pressCamera(GLUT_LEFT_BUTTON, 600, 200);
  const RefCamera start = currentCamera();
  cameraDrag(1600, 200);
  EXPECT_NEAR(cameraEye[0], 0.0f, 1e-5);
  EXPECT_NEAR(cameraEye[1], 0.0f, 1e-6);
  EXPECT_NEAR(cameraEye[2], -1.0f, 1e-6);
  RefCamera expected = start;
  refCameraStep(expected, GLUT_LEFT_BUTTON, 800, 800, trackballRadius, 200, 200, 1600, 200);
  EXPECT_TRUE(cameraIs(expected));
  {  // nearly opposite points outside: cosv rounds below -1 and is clamped, a full turn
    support::useFrontCamera();
    pressCamera(GLUT_LEFT_BUTTON, 1662, 198);  // p = (1062, -2, 0)
    RefCamera turned = currentCamera();
    refCameraStep(turned, GLUT_LEFT_BUTTON, 800, 800, trackballRadius, 1262, 198, -2586, 207);
    ASSERT_TRUE(std::isfinite(turned.eye.x) && std::isfinite(turned.up.y));
    ASSERT_FALSE(sameBits(turned.up.x, 0.0f));  // about the view axis: only up turns, by a hair
    cameraDrag(-2586, 207);  // q = (-3186, 7, 0)
    EXPECT_TRUE(cameraIs(turned));
  }
  {  // both points outside, far away
    RefCamera next = currentCamera();
    refCameraStep(next, GLUT_LEFT_BUTTON, 800, 800, trackballRadius, lastMouseX, lastMouseY, -900, 1500);
    cameraDrag(-900, 1500);
    EXPECT_TRUE(cameraIs(next));
  }
}

TEST_F(Camera, ZoomUpThenHorizontal) {
  pressCamera(GLUT_RIGHT_BUTTON, 600, 200);
  cameraDrag(600, 150);
  EXPECT_EQ(cameraEye[0], 0.0f);
  EXPECT_EQ(cameraEye[1], 0.0f);
  EXPECT_EQ(cameraEye[2], 0.975f);
  {  // dy = 0 counts as downwards
    cameraDrag(700, 150);
    const float expected = 0.0f - (0.0f - 0.975f) * 1.025f;
    EXPECT_EQ(cameraEye[2], expected);
    EXPECT_NEAR(cameraEye[2], 0.999375f, 1e-6);
    EXPECT_NE(cameraEye[2], 1.0f);
  }
  {  // one factor per event, however far the pointer went
    const float before = cameraEye[2];
    cameraDrag(700, -100000);
    EXPECT_EQ(cameraEye[2], 0.0f - (0.0f - before) * 0.975f);
    EXPECT_EQ(lastMouseY, -100000);
  }
  {  // zoom moves neither look-at point nor up
    EXPECT_EQ(cameraCenter[2], 0.0f);
    EXPECT_EQ(cameraUp[1], 1.0f);
  }
}

TEST_F(Camera, PanFollowsThePointer) {
  pressCamera(GLUT_MIDDLE_BUTTON, 600, 200);
  cameraDrag(700, 200);
  EXPECT_TRUE(near3(cameraEye, -0.1f, 0.0f, 1.0f)) << "eye";
  EXPECT_TRUE(near3(cameraCenter, -0.1f, 0.0f, 0.0f)) << "look-at point";
  cameraDrag(700, 300);
  EXPECT_TRUE(near3(cameraEye, -0.1f, 0.1f, 1.0f)) << "eye";
  EXPECT_TRUE(near3(cameraCenter, -0.1f, 0.1f, 0.0f)) << "look-at point";
  {  // the same pixel again: nothing moves, not even by rounding
    EXPECT_TRUE(dragLeavesCamera(700, 300));
    EXPECT_EQ(lastMouseX, 300);
    EXPECT_EQ(lastMouseY, 300);
  }
}

TEST_F(Camera, OtherButtonsOnlyRecordThePointer) {
  const int buttons[] = {3, 4, 7, -1};
  for (int button : buttons) {
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 600, 200);
    activeButton = button;
    EXPECT_TRUE(dragLeavesCamera(733, 55)) << "button " << button;
    EXPECT_EQ(lastMouseX, 333);
    EXPECT_EQ(lastMouseY, 55);
  }
}

TEST_F(Camera, OneStepOfEachModeBitForBit) {
  // Odd halves put the trackball centre between pixels; up is neither unit nor
  // perpendicular to the view, as it may become after many turns.
  windowWidth = 803;
  windowHeight = 603;
  trackballRadius = 0.25 * std::sqrt(803.0 * 803.0 + 603.0 * 603.0);
  const float eye[3] = {0.3f, -0.7f, 2.1f}, center[3] = {0.1f, 0.2f, -0.3f}, up[3] = {0.2f, 0.9f, 0.1f};
  const int buttons[] = {GLUT_LEFT_BUTTON, GLUT_RIGHT_BUTTON, GLUT_MIDDLE_BUTTON};
  for (int button : buttons) {
    setCamera(eye, center, up);
    pressCamera(button, 520, 90);
    ASSERT_EQ(lastMouseX, 119);
    RefCamera expected = currentCamera();
    refCameraStep(expected, button, 803, 603, trackballRadius, 119, 90, 610, 177);
    cameraDrag(610, 177);
    EXPECT_TRUE(cameraIs(expected)) << "button " << button;
    EXPECT_EQ(lastMouseX, 209);
    EXPECT_EQ(lastMouseY, 177);
  }
  {  // the reference is not the starting camera: each mode moved something
    setCamera(eye, center, up);
    for (int button : buttons) {
      RefCamera moved = currentCamera();
      refCameraStep(moved, button, 803, 603, trackballRadius, 119, 90, 610, 177);
      EXPECT_FALSE(sameBits(moved.eye.x, eye[0]) && sameBits(moved.eye.y, eye[1]) &&
                   sameBits(moved.eye.z, eye[2]))
          << "button " << button;
    }
  }
}

TEST_F(Camera, ChainOfRandomStepsBitForBit) {
  // The 800-pixel window, and a huge one with odd halves: there the trackball points are
  // half-integers in the thousands whose squares are no longer exact in float, so the order
  // of every sum shows in the bits.
  const int windows[][2] = {{800, 800}, {16003, 12003}};
  for (const auto& size : windows) {
    const int width = size[0], height = size[1];
    windowWidth = width;
    windowHeight = height;
    trackballRadius = 0.25 * std::sqrt(static_cast<double>(width) * width + static_cast<double>(height) * height);
    const int halfW = width / 2, halfH = height / 2;
    std::mt19937 rng(4711);
    const float eye[3] = {-1.5f, 0.4f, 0.8f}, center[3] = {0.25f, -0.5f, 0.125f}, up[3] = {0.1f, 1.0f, -0.3f};
    setCamera(eye, center, up);
    pressCamera(GLUT_LEFT_BUTTON, halfW + halfW / 2, halfH / 2);
    for (int step = 0; step < 2000; ++step) {
      if (step % 50 == 0) activeButton = static_cast<int>(rng() % 3);
      // Mostly in the camera view and a margin around it, now and then far outside.
      const bool far = rng() % 8 == 0;
      const int x = far ? static_cast<int>(rng() % 20001) - 10000
                        : halfW - 50 + static_cast<int>(rng() % static_cast<unsigned>(halfW + 100));
      const int y = far ? static_cast<int>(rng() % 20001) - 10000
                        : -50 + static_cast<int>(rng() % static_cast<unsigned>(halfH + 100));
      RefCamera expected = currentCamera();
      refCameraStep(expected, activeButton, width, height, trackballRadius, lastMouseX, lastMouseY, x, y);
      cameraDrag(x, y);
      ASSERT_TRUE(cameraIs(expected)) << width << "x" << height << " step " << step << " button " << activeButton;
    }
  }
}

TEST(CameraHelpers, AxisAngleMatrix) {
  {  // a zero axis gives the identity, bit for bit
    const Mat3f m = axisAngleMatrix(1.25f, Vec3f{0.0f, 0.0f, 0.0f});
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) EXPECT_TRUE(sameBits(m.m[r][k], r == k ? 1.0f : 0.0f)) << r << k;
  }
  {  // an axis shorter than the threshold too; one a little longer rotates
    const Mat3f tiny = axisAngleMatrix(1.5707964f, Vec3f{1.0e-16f, 0.0f, 0.0f});
    EXPECT_EQ(tiny.m[1][1], 1.0f);
    EXPECT_EQ(tiny.m[2][1], 0.0f);
    const Vec3f turned = rotateAroundAxis(Vec3f{0.0f, 1.0f, 0.0f}, Vec3f{2.0e-16f, 0.0f, 0.0f}, 1.5707964f);
    EXPECT_NEAR(turned.x, 0.0f, 1e-7);
    EXPECT_NEAR(turned.y, 0.0f, 1e-7);
    EXPECT_NEAR(turned.z, 1.0f, 1e-7);
  }
  {  // axis (0, 0, 2), a quarter turn: counter-clockwise seen from +z
    const Vec3f turned = rotateAroundAxis(Vec3f{1.0f, 0.0f, 0.0f}, Vec3f{0.0f, 0.0f, 2.0f}, 1.5707964f);
    EXPECT_NEAR(turned.x, 0.0f, 1e-7);
    EXPECT_NEAR(turned.y, 1.0f, 1e-7);
    EXPECT_NEAR(turned.z, 0.0f, 1e-7);
  }
  {  // skew axes and angles, bit for bit against the reference
    const V axes[] = {{0.3f, -1.7f, 0.9f}, {-2.0e-3f, 5.0f, 1.0e-4f}, {1.0f, 1.0f, 1.0f}};
    const float angles[] = {0.7f, -2.9f, 3.14159f, 1.0e-4f};
    for (const V& a : axes) {
      for (float angle : angles) {
        float expected[3][3];
        refAxisAngle(angle, a, expected);
        const Mat3f m = axisAngleMatrix(angle, Vec3f{a.x, a.y, a.z});
        EXPECT_EQ(std::memcmp(expected, m.m, sizeof expected), 0) << angle;
        const V v{0.25f, -3.0f, 7.5f};
        const V want = refRotate(v, a, angle);
        const Vec3f got = rotateAroundAxis(Vec3f{v.x, v.y, v.z}, Vec3f{a.x, a.y, a.z}, angle);
        EXPECT_TRUE(sameBits(want.x, got.x) && sameBits(want.y, got.y) && sameBits(want.z, got.z));
      }
    }
  }
}

TEST(CameraHelpers, NormalizeAndScreenToWorld) {
  const support::KeepViewerGlobals saved;
  {  // normalize3f: float reciprocal of the double root of the float sum
    const V samples[] = {{3.0f, 4.0f, 0.0f}, {0.1f, -0.2f, 0.3f}, {1.0e-3f, 7.0e4f, -2.5f}};
    for (const V& s : samples) {
      Vec3f v{s.x, s.y, s.z};
      normalize3f(v);
      const V want = refNormalized(s);
      EXPECT_TRUE(sameBits(v.x, want.x) && sameBits(v.y, want.y) && sameBits(v.z, want.z));
    }
    Vec3f v{3.0f, 4.0f, 0.0f};
    normalize3f(v);
    EXPECT_NEAR(v.x, 0.6f, 1e-7);
    EXPECT_NEAR(v.y, 0.8f, 1e-7);
  }
  {  // the initial camera: left is -x, up is +y, forward is -z
    support::useFrontCamera();
    const Vec3f l = screenToWorld(1.0f, 0.0f, 0.0f);
    const Vec3f u = screenToWorld(0.0f, 1.0f, 0.0f);
    const Vec3f f = screenToWorld(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(l.x, -1.0f);
    EXPECT_EQ(u.y, 1.0f);
    EXPECT_EQ(f.z, -1.0f);
  }
  {  // a skew camera, bit for bit
    const float eye[3] = {0.3f, -0.7f, 2.1f}, center[3] = {0.1f, 0.2f, -0.3f}, up[3] = {0.2f, 0.9f, 0.1f};
    setCamera(eye, center, up);
    const V want = refScreenToWorld(currentCamera(), 2.5f, -1.25f, 0.75f);
    const Vec3f got = screenToWorld(2.5f, -1.25f, 0.75f);
    EXPECT_TRUE(sameBits(want.x, got.x) && sameBits(want.y, got.y) && sameBits(want.z, got.z));
  }
}

TEST(CameraHelpers, CameraIsSound) {
  const float eye[3] = {0.0f, 0.0f, 1.0f}, center[3] = {0.0f, 0.0f, 0.0f}, up[3] = {0.0f, 1.0f, 0.0f};
  EXPECT_TRUE(cameraIsSound(eye, center, up));
  {  // a non-finite component anywhere
    const float bad[] = {NAN, INFINITY, -INFINITY};
    for (float b : bad) {
      for (int k = 0; k < 3; ++k) {
        float e[3] = {eye[0], eye[1], eye[2]}, c[3] = {center[0], center[1], center[2]},
              u[3] = {up[0], up[1], up[2]};
        e[k] = b;
        EXPECT_FALSE(cameraIsSound(e, center, up));
        c[k] = b;
        EXPECT_FALSE(cameraIsSound(eye, c, up));
        u[k] = b;
        EXPECT_FALSE(cameraIsSound(eye, center, u));
      }
    }
  }
  {  // the distance: half the lower bound and twice the upper bound are the limits
    const float nearEye[3] = {0.0f, 0.0f, 0.51f * kMinCameraDistance};
    const float tooNearEye[3] = {0.0f, 0.0f, 0.49f * kMinCameraDistance};
    const float farEye[3] = {0.0f, 0.0f, 1.9f * kMaxCameraDistance};
    const float tooFarEye[3] = {0.0f, 0.0f, 2.1f * kMaxCameraDistance};
    EXPECT_TRUE(cameraIsSound(nearEye, center, up));
    EXPECT_FALSE(cameraIsSound(tooNearEye, center, up));
    EXPECT_FALSE(cameraIsSound(center, center, up));
    EXPECT_TRUE(cameraIsSound(farEye, center, up));
    EXPECT_FALSE(cameraIsSound(tooFarEye, center, up));
  }
  {  // reach: eye or look-at point more than kMaxCameraReach distances from the origin
    const float c1[3] = {0.9f * kMaxCameraReach, 0.0f, 0.0f}, e1[3] = {0.9f * kMaxCameraReach, 0.0f, 1.0f};
    const float c2[3] = {1.1f * kMaxCameraReach, 0.0f, 0.0f}, e2[3] = {1.1f * kMaxCameraReach, 0.0f, 1.0f};
    EXPECT_TRUE(cameraIsSound(e1, c1, up));
    EXPECT_FALSE(cameraIsSound(e2, c2, up));
  }
  {  // up parallel to the view, or zero
    const float along[3] = {0.0f, 0.0f, -3.0f}, zero[3] = {0.0f, 0.0f, 0.0f}, tilted[3] = {0.0f, 0.1f, 1.0f};
    EXPECT_FALSE(cameraIsSound(eye, center, along));
    EXPECT_FALSE(cameraIsSound(eye, center, zero));
    EXPECT_TRUE(cameraIsSound(eye, center, tilted));
  }
}

TEST_F(Camera, StepsThatWouldLeaveTheBoundsAreSkipped) {
  {  // zoom nearer at the lower bound
    setCameraAbove(0.0f, kMinCameraDistance);
    pressCamera(GLUT_RIGHT_BUTTON, 600, 200);
    EXPECT_TRUE(dragLeavesCamera(600, 199));
    EXPECT_EQ(lastMouseY, 199);
    cameraDrag(600, 199);  // farther is allowed
    EXPECT_EQ(cameraEye[2], 0.0f - (0.0f - kMinCameraDistance) * 1.025f);
  }
  {  // zoom farther at the upper bound
    setCameraAbove(0.0f, kMaxCameraDistance);
    pressCamera(GLUT_RIGHT_BUTTON, 600, 200);
    EXPECT_TRUE(dragLeavesCamera(650, 260));
    EXPECT_EQ(lastMouseX, 250);
    EXPECT_EQ(lastMouseY, 260);
    cameraDrag(650, 100);  // nearer is allowed
    EXPECT_EQ(cameraEye[2], 0.0f - (0.0f - kMaxCameraDistance) * 0.975f);
  }
  {  // zoom nearer far from the origin: the look-at point would be out of reach
    setCameraAbove(4000.0f, 1.0f);
    pressCamera(GLUT_RIGHT_BUTTON, 600, 200);
    EXPECT_TRUE(dragLeavesCamera(600, 150));  // 4000 > 4096 * 0.975
    cameraDrag(600, 150);  // farther is allowed
    EXPECT_EQ(cameraEye[2], 0.0f - (0.0f - 1.0f) * 1.025f);
  }
  {  // a half turn that would carry the eye out of reach: eye 4094.5 -> 4096.5, distance 1
    const float eye[3] = {kMaxCameraReach - 1.5f, 0.0f, 0.0f}, center[3] = {kMaxCameraReach - 0.5f, 0.0f, 0.0f},
                up[3] = {0.0f, 1.0f, 0.0f};
    setCamera(eye, center, up);
    pressCamera(GLUT_LEFT_BUTTON, 600, 200);
    const support::ViewerGlobals before = support::saveViewerGlobals();
    cameraDrag(1600, 200);  // outside the outline: perpendicular, theta = pi
    EXPECT_TRUE(support::cameraUnchangedSince(before));
    EXPECT_EQ(lastMouseX, 1200);
    pressCamera(GLUT_LEFT_BUTTON, 600, 200);
    cameraDrag(600, 400);  // a quarter turn over the top stays within reach
    EXPECT_FALSE(support::cameraUnchangedSince(before));
    EXPECT_NEAR(cameraEye[1], 1.0f, 1e-3);
    EXPECT_LE(std::fabs(cameraEye[0]), kMaxCameraReach);
  }
  {  // a pan that would carry eye and look-at point out of reach
    support::useFrontCamera();
    pressCamera(GLUT_MIDDLE_BUTTON, 600, 200);
    EXPECT_TRUE(dragLeavesCamera(600 + 5000000, 200));  // 5000 distances
    EXPECT_EQ(lastMouseX, 200 + 5000000);
    cameraDrag(600 + 5000000 - 1000000, 200);  // 1000 distances back is allowed
    EXPECT_NEAR(cameraCenter[0], 1000.0f, 1e-2);
  }
}

TEST_F(Camera, ExtremePointerPositions) {
  const int buttons[] = {GLUT_LEFT_BUTTON, GLUT_MIDDLE_BUTTON, GLUT_RIGHT_BUTTON};
  const int xs[] = {INT_MIN, INT_MAX, 0};
  const int ys[] = {INT_MAX, INT_MIN, 0};
  for (int button : buttons) {
    pressCamera(button, 600, 200);
    for (int x : xs) {
      for (int y : ys) {
        cameraDrag(x, y);
        ASSERT_TRUE(cameraIsSound(cameraEye, cameraCenter, cameraUp)) << button << " at " << x << ", " << y;
        // x - halfW, saturated at the bottom of the int range
        const std::int64_t viewX = static_cast<std::int64_t>(x) - 400;
        EXPECT_EQ(lastMouseX, viewX < INT_MIN ? INT_MIN : static_cast<int>(viewX));
        EXPECT_EQ(lastMouseY, y);
      }
    }
  }
}

TEST_F(Camera, ExtremeZoomStaysWithinTheBounds) {
  pressCamera(GLUT_RIGHT_BUTTON, 600, 200);
  int y = 200;
  double previous = cameraDistance();
  // Up (nearer), down (farther), up again: each phase far longer than the bounds need.
  const int phases[] = {-1, +1, -1};
  for (int direction : phases) {
    for (int step = 0; step < 3000; ++step) {
      y += direction;
      cameraDrag(600, y);
      const double d = cameraDistance();
      ASSERT_TRUE(std::isfinite(d));
      ASSERT_TRUE(cameraIsSound(cameraEye, cameraCenter, cameraUp));
      ASSERT_GE(d, kMinCameraDistance * (1.0 - 1e-6)) << step;
      ASSERT_LE(d, kMaxCameraDistance * (1.0 + 1e-6)) << step;
      if (direction < 0) {
        ASSERT_LE(d, previous);
      } else {
        ASSERT_GE(d, previous);
      }
      previous = d;
      // the eye stays on the axis through the look-at point
      ASSERT_EQ(cameraEye[0], 0.0f);
      ASSERT_EQ(cameraEye[1], 0.0f);
      ASSERT_GT(cameraEye[2], 0.0f);
    }
    // stopped within one factor of the bound it ran into
    if (direction < 0) {
      EXPECT_LT(previous, kMinCameraDistance / 0.975);
    } else {
      EXPECT_GT(previous, kMaxCameraDistance / 1.025);
    }
    {  // orbit and pan still work at the bound; then the phase goes on from the bound
      const support::ViewerGlobals before = support::saveViewerGlobals();
      activeButton = GLUT_LEFT_BUTTON;
      cameraDrag(650, y + 40);
      activeButton = GLUT_MIDDLE_BUTTON;
      cameraDrag(660, y + 45);
      EXPECT_FALSE(support::cameraUnchangedSince(before));
      EXPECT_TRUE(cameraIsSound(cameraEye, cameraCenter, cameraUp));
      EXPECT_NEAR(cameraDistance() / previous, 1.0, 1e-4);
      setCamera(before.cameraEye, before.cameraCenter, before.cameraUp);
      activeButton = GLUT_RIGHT_BUTTON;
      lastMouseY = y;
    }
  }
}

namespace {

// Mostly inside the 800-pixel window, often far outside, up to 100000 pixels out.
int randomCoordinate(std::mt19937& rng) { return support::randomCoordinate(rng, 5, 3, 100000); }

}  // namespace

TEST_F(Camera, LongRandomSessionsKeepTheCameraSound) {
  std::mt19937 rng(20240611);
  double nearest = cameraDistance(), farthest = nearest;
  int moved = 0;
  // One motion event as motion() treats the camera, then what must hold after every event.
  auto moveTo = [&](int x, int y) -> ::testing::AssertionResult {
    const support::ViewerGlobals before = support::saveViewerGlobals();
    if (dragView == 3) {
      cameraDrag(x, y);
      if (lastMouseX != static_cast<std::int64_t>(x) - windowWidth / 2 || lastMouseY != y)
        return ::testing::AssertionFailure() << "pointer not recorded";
    }
    if (!support::cameraUnchangedSince(before)) ++moved;
    return ::testing::AssertionSuccess();
  };
  auto sound = [&]() -> ::testing::AssertionResult {
    const double d = cameraDistance();
    nearest = std::min(nearest, d);
    farthest = std::max(farthest, d);
    if (!cameraIsSound(cameraEye, cameraCenter, cameraUp)) return ::testing::AssertionFailure() << "unsound";
    if (!(d >= kMinCameraDistance * (1.0 - 1e-3) && d <= kMaxCameraDistance * (1.0 + 1e-3)))
      return ::testing::AssertionFailure() << "distance " << d;
    return ::testing::AssertionSuccess();
  };
  const int kEvents = 20000;
  int event = 0;
  while (event < kEvents) {
    const unsigned kind = rng() % 100;
    if (kind < 8) {
      mouse(static_cast<int>(rng() % 5), GLUT_DOWN, randomCoordinate(rng), randomCoordinate(rng));
    } else if (kind < 11) {
      mouse(static_cast<int>(rng() % 5), GLUT_UP, randomCoordinate(rng), randomCoordinate(rng));
    } else if (kind < 13) {
      reshape(support::randomWindowSide(rng), support::randomWindowSide(rng));
    } else if (kind < 20) {
      // A long straight drag with one button: far enough to reach the distance bounds.
      mouse(static_cast<int>(rng() % 3), GLUT_DOWN, windowWidth / 2 + 1, 0);
      const int burst = 200 + static_cast<int>(rng() % 1300);
      const int dx = static_cast<int>(rng() % 3) - 1, dy = rng() % 2 == 0 ? -1 : 1;
      int x = windowWidth / 2 + 1, y = 0;
      for (int k = 0; k < burst && event < kEvents; ++k, ++event) {
        x += dx * static_cast<int>(1 + rng() % 3);
        y += dy;
        ASSERT_TRUE(moveTo(x, y)) << "event " << event;
        ASSERT_TRUE(sound()) << "event " << event;
      }
      continue;
    } else {
      const int x = randomCoordinate(rng), y = randomCoordinate(rng);
      ASSERT_TRUE(moveTo(x, y)) << "event " << event;
    }
    ASSERT_TRUE(sound()) << "event " << event;
    ++event;
  }
  // This seed's session moves the camera often and comes near both bounds, so every guard
  // above was exercised; panning far at a large distance can keep a session from the lower
  // bound, which is why not any seed would do.
  EXPECT_GT(moved, 2000);
  EXPECT_LT(nearest, 10.0 * kMinCameraDistance);
  EXPECT_GT(farthest, 0.1 * kMaxCameraDistance);
}
