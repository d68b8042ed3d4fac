// Saved after the window has its size, so that what is put back is a window state GLUT agrees with.
#include "support/viewer_gl_fixture.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "model/basis.h"
#include "model/tessellation.h"
#include "render/cubemap.h"
#include "support/atlas.h"
#include "support/gl_window.h"

namespace support {

void useStartScene() {
  initControlGrid();
  useFrontCamera();
  showAxes = false;
  recording = false;
  analysisMode = kMirrorMode;
  zebraBands = 24;
  zebraAxis = 1;
}

bool loadFlatAtlas(int cell) {
  const char* const name = "flat-atlas.png";
  // The load's message follows what the test printed before it.
  std::fflush(stdout);
  const bool loaded = writeFlatAtlas(name, cell) && loadCubemap(name);
  std::remove(name);
  return loaded;
}

void ViewerGlTest::SetUp() {
  ensureGlWindow();
  const bool sized = setGlWindowSize(800, 800);
  saved_ = saveViewerGlobals();
  useStartScene();
  ASSERT_TRUE(sized);
}

void ViewerGlTest::TearDown() {
  setGlWindowSize(800, 800);
  glDisable(GL_SCISSOR_TEST);
  restoreViewerGlobals(saved_);
  updateSurface();
}

}  // namespace support
