// The camera and the axes switch as a test found them, put back when it is done, so that a
// test that moves the camera hands the process-wide state on unchanged.
#pragma once

#include <cstring>

#include "app/state.h"

namespace support {

struct SavedCamera {
  float eye[3], center[3], up[3];
  bool showAxes;
};

inline SavedCamera saveCamera() {
  SavedCamera saved;
  std::memcpy(saved.eye, cameraEye, sizeof saved.eye);
  std::memcpy(saved.center, cameraCenter, sizeof saved.center);
  std::memcpy(saved.up, cameraUp, sizeof saved.up);
  saved.showAxes = showAxes;
  return saved;
}

inline void restoreCamera(const SavedCamera& saved) {
  std::memcpy(cameraEye, saved.eye, sizeof cameraEye);
  std::memcpy(cameraCenter, saved.center, sizeof cameraCenter);
  std::memcpy(cameraUp, saved.up, sizeof cameraUp);
  showAxes = saved.showAxes;
}

}  // namespace support
