// Screenshot read-back. Rows are packed without padding, so the pack alignment is 1 for the
// read.
#include "capture/screenshot.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cerrno>
#include <cstdlib>

#include "app/state.h"
#include "capture/frame_file.h"

int saveScreenshot() {
  if (frameCounter >= kMaxScreenshots) return 1;
  const int w = windowWidth;
  const int h = windowHeight;
  const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3u;
  // One spare byte so that an empty window still gets a buffer of its own.
  unsigned char* pixels = static_cast<unsigned char*>(std::malloc(bytes + 1));
  if (pixels == nullptr) {
    char name[32];
    screenshotName(frameCounter, name, sizeof name);
    return tellFrameFailure(name, ENOMEM);
  }

  readWindowPixels(pixels, true);
  const int result = writeFrameFile(pixels, w, h);
  std::free(pixels);
  return result;
}

void readWindowPixels(unsigned char* pixels, bool blueFirst) {
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, windowWidth, windowHeight, blueFirst ? GL_BGR_EXT : GL_RGB,
               GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
}
