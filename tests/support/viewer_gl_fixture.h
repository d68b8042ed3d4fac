// The fixture of the in-process GL tests that draw the viewer's scene: the shared window at
// 800 by 800 and the start-up scene, with every viewer global put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "support/viewer_state.h"

namespace support {

// The start-up scene: the initial dome (re-tessellated, no drag), the front camera, axes off,
// not recording, the mirror shown with the start's zebra settings.
void useStartScene();

// Writes the flat atlas (support/atlas.h) of cells `cell` texels square into the working
// directory, uploads it through loadCubemap and removes the file; whether it loaded.
bool loadFlatAtlas(int cell);

// SetUp: the window at 800 by 800, the globals saved, the start-up scene. TearDown: the window
// back at 800 by 800, the scissor test off as display leaves it, the saved globals written back
// (the window's size globals included) and their grid re-tessellated. Fixtures that override
// these call them first and last.
class ViewerGlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  ViewerGlobals saved_{};
};

}  // namespace support
