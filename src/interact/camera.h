// Navigation of the camera view: trackball orbit (left button), eye distance (right) and
// pan (middle), all in single precision. No GL.
#pragma once

#include "app/state.h"

// Bounds on the eye-to-look-at distance, world units. Inside them every later step stays
// finite: squared lengths stay far below the float range, and a pan of the largest pointer
// travel X can report cannot overflow. A zoom step that would leave them is skipped.
constexpr float kMinCameraDistance = 1.0e-3f;
constexpr float kMaxCameraDistance = 1.0e9f;
// Eye and look-at point may lie at most this many distances from the origin (per
// coordinate): beyond it their float difference keeps too few bits to aim the camera.
constexpr float kMaxCameraReach = 4096.0f;

// The start-up camera: eye (0, 0, 1), look-at point at the origin, up (0, 1, 0), so the
// camera view looks along -Z at the side towards which the initial dome bulges.
void setDefaultCamera();

// True when eye, look-at point and up vector are finite, the distance is within the bounds
// above (with a factor 2 of slack for rounding), eye and look-at point are within reach, and
// up is not parallel to the viewing direction. Every rotate and pan step must keep this.
bool cameraIsSound(const float eye[3], const float center[3], const float up[3]);

// Scales v to unit length by the float reciprocal of its length; a zero v becomes NaN.
void normalize3f(Vec3f& v);

// Right-handed rotation by angle (radians) about axis of any length; the identity for an
// axis shorter than 1.110223024e-16.
Mat3f axisAngleMatrix(float angle, Vec3f axis);

// axisAngleMatrix(angle, axis) times v.
Vec3f rotateAroundAxis(Vec3f v, Vec3f axis, float angle);

// a * L + b * U + c * F in the camera's frame: F the viewing direction, L the picture's
// left, U its up, all unit length.
Vec3f screenToWorld(float a, float b, float c);

// One motion event of a camera drag at window pixel (x, y): moves the camera by
// activeButton, then records the pointer in lastMouseX (from the view's left edge) and
// lastMouseY. A step that would leave the camera unsound is skipped; the pointer is
// recorded all the same.
void cameraDrag(int x, int y);
