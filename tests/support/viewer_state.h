// The viewer's process-wide state as tests save, restore and compare it, so that each test
// leaves the globals as it found them and can check what a call changed. No GL.
#pragma once

#include "app/state.h"

namespace support {

// Every global of state.h that a callback or a test writes, but the tessellation's output.
struct ViewerGlobals {
  int windowWidth, windowHeight;
  double trackballRadius;
  bool showAxes, recording;
  int activeButton, dragView, selectedRow, selectedCol, lastMouseX, lastMouseY;
  double controlPoints[kGridSize][kGridSize][3];
  int frameCounter;
  float cameraEye[3], cameraCenter[3], cameraUp[3];
};

ViewerGlobals saveViewerGlobals();
// Writes every saved value back; the surface is not re-tessellated (updateSurface does that).
void restoreViewerGlobals(const ViewerGlobals& saved);
// Whether two saves hold the same values, bit for bit.
bool sameViewerGlobals(const ViewerGlobals& a, const ViewerGlobals& b);
// Whether eye, look-at point and up still hold the saved values, bit for bit.
bool cameraUnchangedSince(const ViewerGlobals& saved);
// Whether every control point but (exceptRow, exceptCol) still holds its saved value, bit for
// bit; the default -1 compares all sixteen.
bool gridUnchangedSince(const ViewerGlobals& saved, int exceptRow = -1, int exceptCol = -1);

void setCamera(const float eye[3], const float center[3], const float up[3]);
// The start-up camera, written out here: eye (0, 0, 1), look-at point at the origin, up +y.
void useFrontCamera();

// Saves the globals when made and restores them when destroyed: a fixture member or a local
// of a test that needs no GL.
class KeepViewerGlobals {
 public:
  KeepViewerGlobals() : saved_(saveViewerGlobals()) {}
  ~KeepViewerGlobals() { restoreViewerGlobals(saved_); }
  KeepViewerGlobals(const KeepViewerGlobals&) = delete;
  KeepViewerGlobals& operator=(const KeepViewerGlobals&) = delete;

 private:
  ViewerGlobals saved_;
};

}  // namespace support
