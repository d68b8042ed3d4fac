// The fixture of GL tests of the camera view: the shared window at 800 by 800, the axes off,
// the start-up grid, and the camera and the axes switch put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "app/state.h"
#include "model/basis.h"
#include "support/gl_window.h"
#include "support/saved_camera.h"

namespace support {

class CameraViewGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureGlWindow();
    ASSERT_TRUE(resizeGlWindow(800, 800));
    saved_ = saveCamera();
    showAxes = false;
    initControlGrid();
  }
  void TearDown() override { restoreCamera(saved_); }

 private:
  SavedCamera saved_;
};

}  // namespace support
