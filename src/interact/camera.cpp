// Camera step of the camera view. Square roots and trigonometry are the double-precision
// library functions on the widened float, narrowed back; everything else is float, in the
// order written, so that a drag gives the same camera in every build.
#include "interact/camera.h"

#include <climits>
#include <cmath>
#include <cstdint>

namespace {

Vec3f fromArray(const float a[3]) { return Vec3f{a[0], a[1], a[2]}; }

void toArray(const Vec3f& v, float a[3]) {
  a[0] = v.x;
  a[1] = v.y;
  a[2] = v.z;
}

Vec3f cross3f(const Vec3f& a, const Vec3f& b) {
  return Vec3f{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float floatSqrt(float x) { return static_cast<float>(std::sqrt(static_cast<double>(x))); }

int saturateToInt(std::int64_t v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

void rotateStep(float px, float py, float pz, float qx, float qy, float qz) {
  const Vec3f axis{pz * qy - qz * py, qz * px - pz * qx, qx * py - qy * px};
  const float qLength = floatSqrt(qz * qz + (qy * qy + qx * qx));
  const float pLength = floatSqrt(pz * pz + (py * py + px * px));
  float cosv = ((qy * py + qx * px) + qz * pz) / (qLength * pLength);
  if (cosv < -1.0f) cosv = -1.0f;
  if (cosv > 1.0f) cosv = 1.0f;
  const float theta = 2.0f * static_cast<float>(std::acos(static_cast<double>(cosv)));

  const Vec3f worldAxis = screenToWorld(axis.x, axis.y, axis.z);
  const Vec3f d{cameraCenter[0] - cameraEye[0], cameraCenter[1] - cameraEye[1],
                cameraCenter[2] - cameraEye[2]};
  const Vec3f dRotated = rotateAroundAxis(d, worldAxis, theta);
  const Vec3f upRotated = rotateAroundAxis(fromArray(cameraUp), worldAxis, theta);
  const float eye[3] = {cameraCenter[0] - dRotated.x, cameraCenter[1] - dRotated.y,
                        cameraCenter[2] - dRotated.z};
  float up[3];
  toArray(upRotated, up);
  if (!cameraIsSound(eye, cameraCenter, up)) return;
  toArray(upRotated, cameraUp);
  for (int k = 0; k < 3; ++k) cameraEye[k] = eye[k];
}

void zoomStep(std::int64_t dy) {
  const float f = dy < 0 ? 0.975f : 1.025f;
  float eye[3];
  for (int k = 0; k < 3; ++k) eye[k] = cameraCenter[k] - (cameraCenter[k] - cameraEye[k]) * f;
  const float e[3] = {eye[0] - cameraCenter[0], eye[1] - cameraCenter[1], eye[2] - cameraCenter[2]};
  const float dist = floatSqrt((e[1] * e[1] + e[0] * e[0]) + e[2] * e[2]);
  // Stay inside the bounds exactly; the slack of cameraIsSound is for rotation's rounding.
  if (!(dist >= kMinCameraDistance && dist <= kMaxCameraDistance)) return;
  if (!cameraIsSound(eye, cameraCenter, cameraUp)) return;
  for (int k = 0; k < 3; ++k) cameraEye[k] = eye[k];
}

void panStep(std::int64_t travelX, std::int64_t travelY) {
  const float dx = static_cast<float>(travelX);
  const float fdy = static_cast<float>(travelY);
  if (dx == 0.0f && travelY == 0) return;
  Vec3f v = screenToWorld(dx, fdy, 0.0f);
  normalize3f(v);
  const float e[3] = {cameraEye[0] - cameraCenter[0], cameraEye[1] - cameraCenter[1],
                      cameraEye[2] - cameraCenter[2]};
  const float dist = floatSqrt((e[1] * e[1] + e[0] * e[0]) + e[2] * e[2]);
  const double dyd = static_cast<double>(travelY);
  const double dxd = static_cast<double>(dx);
  const float s = static_cast<float>(dist * (std::sqrt(dyd * dyd + dxd * dxd) / 1000.0));
  const float center[3] = {cameraCenter[0] + s * v.x, cameraCenter[1] + s * v.y,
                           cameraCenter[2] + s * v.z};
  const float eye[3] = {cameraEye[0] + s * v.x, cameraEye[1] + s * v.y, cameraEye[2] + s * v.z};
  if (!cameraIsSound(eye, center, cameraUp)) return;
  for (int k = 0; k < 3; ++k) {
    cameraCenter[k] = center[k];
    cameraEye[k] = eye[k];
  }
}

}  // namespace

void setDefaultCamera() {
  cameraEye[0] = 0.0f;
  cameraEye[1] = 0.0f;
  cameraEye[2] = 1.0f;
  cameraCenter[0] = 0.0f;
  cameraCenter[1] = 0.0f;
  cameraCenter[2] = 0.0f;
  cameraUp[0] = 0.0f;
  cameraUp[1] = 1.0f;
  cameraUp[2] = 0.0f;
}

bool cameraIsSound(const float eye[3], const float center[3], const float up[3]) {
  for (int k = 0; k < 3; ++k) {
    if (!std::isfinite(eye[k]) || !std::isfinite(center[k]) || !std::isfinite(up[k])) return false;
  }
  const float d[3] = {center[0] - eye[0], center[1] - eye[1], center[2] - eye[2]};
  const double dist = std::sqrt(static_cast<double>(d[0]) * d[0] +
                                static_cast<double>(d[1]) * d[1] +
                                static_cast<double>(d[2]) * d[2]);
  if (!(dist >= 0.5 * kMinCameraDistance && dist <= 2.0 * kMaxCameraDistance)) return false;
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(eye[k]) > kMaxCameraReach * dist || std::fabs(center[k]) > kMaxCameraReach * dist)
      return false;
  }
  // Up must keep a clear angle to the viewing direction, or the picture's left is lost.
  const double ux = up[0], uy = up[1], uz = up[2];
  const double fx = d[0] / dist, fy = d[1] / dist, fz = d[2] / dist;
  const double lx = uy * fz - uz * fy, ly = uz * fx - ux * fz, lz = ux * fy - uy * fx;
  const double upLength = std::sqrt(ux * ux + uy * uy + uz * uz);
  const double leftLength = std::sqrt(lx * lx + ly * ly + lz * lz);
  return upLength > 1.0e-6 && upLength < 1.0e6 && leftLength > 1.0e-3 * upLength;
}

void normalize3f(Vec3f& v) {
  const float length = floatSqrt((v.x * v.x + v.y * v.y) + v.z * v.z);
  const float inv = 1.0f / length;
  v.x *= inv;
  v.y *= inv;
  v.z *= inv;
}

Mat3f axisAngleMatrix(float angle, Vec3f axis) {
  const float len = floatSqrt((axis.x * axis.x + axis.y * axis.y) + axis.z * axis.z);
  if (static_cast<double>(len) < 1.110223024e-16) {
    return Mat3f{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}};
  }
  const float inv = 1.0f / len;
  const float nx = axis.x * inv, ny = axis.y * inv, nz = axis.z * inv;
  const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
  const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
  const float t = 1.0f - c;
  return Mat3f{{{t * nx * nx + c, t * nx * ny - s * nz, t * nx * nz + s * ny},
                {t * nx * ny + s * nz, t * ny * ny + c, t * ny * nz - s * nx},
                {t * nx * nz - s * ny, t * ny * nz + s * nx, t * nz * nz + c}}};
}

Vec3f rotateAroundAxis(Vec3f v, Vec3f axis, float angle) {
  const Mat3f m = axisAngleMatrix(angle, axis);
  return Vec3f{(m.m[0][0] * v.x + m.m[0][1] * v.y) + m.m[0][2] * v.z,
               (m.m[1][0] * v.x + m.m[1][1] * v.y) + m.m[1][2] * v.z,
               (m.m[2][0] * v.x + m.m[2][1] * v.y) + m.m[2][2] * v.z};
}

Vec3f screenToWorld(float a, float b, float c) {
  Vec3f forward{cameraCenter[0] - cameraEye[0], cameraCenter[1] - cameraEye[1],
                cameraCenter[2] - cameraEye[2]};
  normalize3f(forward);
  Vec3f left = cross3f(fromArray(cameraUp), forward);
  normalize3f(left);
  Vec3f up = cross3f(forward, left);
  normalize3f(up);
  return Vec3f{(a * left.x + b * up.x) + c * forward.x, (a * left.y + b * up.y) + c * forward.y,
               (a * left.z + b * up.z) + c * forward.z};
}

void cameraDrag(int x, int y) {
  const int halfW = windowWidth / 2;
  const int halfH = windowHeight / 2;
  // Pointer relative to the camera view's left edge, in 64 bits so no position overflows.
  const std::int64_t viewX = static_cast<std::int64_t>(x) - halfW;

  switch (activeButton) {
    case kLeftButton: {
      // Trackball points in pixels from the view's centre, x right, y down, z the height
      // above the picture on a sphere of radius trackballRadius (0 outside its outline).
      const double cx = halfW * 0.5;
      const double cy = halfH * 0.5;
      const float r = static_cast<float>(trackballRadius);
      const float px = static_cast<float>(lastMouseX - cx);
      const float py = static_cast<float>(lastMouseY - cy);
      const float qx = static_cast<float>(static_cast<double>(viewX) - cx);
      const float qy = static_cast<float>(y - cy);
      const float zp = (r * r - px * px) - py * py;
      const float zq = (r * r - qx * qx) - qy * qy;
      const float pz = zp > 0.0f ? floatSqrt(zp) : 0.0f;
      const float qz = zq > 0.0f ? floatSqrt(zq) : 0.0f;
      rotateStep(px, py, pz, qx, qy, qz);
      break;
    }
    case kRightButton:
      zoomStep(static_cast<std::int64_t>(y) - lastMouseY);
      break;
    case kMiddleButton:
      panStep(viewX - lastMouseX, static_cast<std::int64_t>(y) - lastMouseY);
      break;
    default:
      break;
  }
  lastMouseX = saturateToInt(viewX);
  lastMouseY = y;
}
