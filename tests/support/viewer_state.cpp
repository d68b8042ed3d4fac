// Field by field, so that padding in ViewerGlobals never takes part in a comparison.
#include "support/viewer_state.h"

#include <cstring>

namespace support {

namespace {

bool sameFloats(const float a[3], const float b[3]) { return std::memcmp(a, b, 3 * sizeof(float)) == 0; }

}  // namespace

ViewerGlobals saveViewerGlobals() {
  ViewerGlobals s;
  s.windowWidth = windowWidth;
  s.windowHeight = windowHeight;
  s.trackballRadius = trackballRadius;
  s.showAxes = showAxes;
  s.recording = recording;
  s.activeButton = activeButton;
  s.dragView = dragView;
  s.selectedRow = selectedRow;
  s.selectedCol = selectedCol;
  s.lastMouseX = lastMouseX;
  s.lastMouseY = lastMouseY;
  std::memcpy(s.controlPoints, controlPoints, sizeof s.controlPoints);
  s.frameCounter = frameCounter;
  std::memcpy(s.cameraEye, cameraEye, sizeof s.cameraEye);
  std::memcpy(s.cameraCenter, cameraCenter, sizeof s.cameraCenter);
  std::memcpy(s.cameraUp, cameraUp, sizeof s.cameraUp);
  return s;
}

void restoreViewerGlobals(const ViewerGlobals& s) {
  windowWidth = s.windowWidth;
  windowHeight = s.windowHeight;
  trackballRadius = s.trackballRadius;
  showAxes = s.showAxes;
  recording = s.recording;
  activeButton = s.activeButton;
  dragView = s.dragView;
  selectedRow = s.selectedRow;
  selectedCol = s.selectedCol;
  lastMouseX = s.lastMouseX;
  lastMouseY = s.lastMouseY;
  std::memcpy(controlPoints, s.controlPoints, sizeof controlPoints);
  frameCounter = s.frameCounter;
  setCamera(s.cameraEye, s.cameraCenter, s.cameraUp);
}

bool sameViewerGlobals(const ViewerGlobals& a, const ViewerGlobals& b) {
  return a.windowWidth == b.windowWidth && a.windowHeight == b.windowHeight &&
         a.trackballRadius == b.trackballRadius && a.showAxes == b.showAxes && a.recording == b.recording &&
         a.activeButton == b.activeButton && a.dragView == b.dragView && a.selectedRow == b.selectedRow &&
         a.selectedCol == b.selectedCol && a.lastMouseX == b.lastMouseX && a.lastMouseY == b.lastMouseY &&
         std::memcmp(a.controlPoints, b.controlPoints, sizeof a.controlPoints) == 0 &&
         a.frameCounter == b.frameCounter && sameFloats(a.cameraEye, b.cameraEye) &&
         sameFloats(a.cameraCenter, b.cameraCenter) && sameFloats(a.cameraUp, b.cameraUp);
}

bool cameraUnchangedSince(const ViewerGlobals& saved) {
  return sameFloats(saved.cameraEye, cameraEye) && sameFloats(saved.cameraCenter, cameraCenter) &&
         sameFloats(saved.cameraUp, cameraUp);
}

bool gridUnchangedSince(const ViewerGlobals& saved, int exceptRow, int exceptCol) {
  for (int i = 0; i < kGridSize; ++i)
    for (int j = 0; j < kGridSize; ++j)
      if ((i != exceptRow || j != exceptCol) &&
          std::memcmp(saved.controlPoints[i][j], controlPoints[i][j], sizeof controlPoints[i][j]) != 0)
        return false;
  return true;
}

void setCamera(const float eye[3], const float center[3], const float up[3]) {
  std::memcpy(cameraEye, eye, sizeof cameraEye);
  std::memcpy(cameraCenter, center, sizeof cameraCenter);
  std::memcpy(cameraUp, up, sizeof cameraUp);
}

void useFrontCamera() {
  const float eye[3] = {0.0f, 0.0f, 1.0f}, center[3] = {0.0f, 0.0f, 0.0f}, up[3] = {0.0f, 1.0f, 0.0f};
  setCamera(eye, center, up);
}

}  // namespace support
