// Screenshot writer. Rows are packed without padding, so the pack alignment is 1 for the
// read; the directory "screenshots" is never created here.
#include "capture/screenshot.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/state.h"

bool screenshotName(int counter, char* name, std::size_t capacity) {
  if (counter < 0 || counter >= kMaxScreenshots) return false;
  const int written = std::snprintf(name, capacity, "screenshots/frame%03d.tga", counter);
  return written > 0 && static_cast<std::size_t>(written) < capacity;
}

void tgaHeader(int width, int height, unsigned char header[kTgaHeaderSize]) {
  for (int i = 0; i < kTgaHeaderSize; ++i) header[i] = 0;
  header[2] = 2;  // uncompressed true-colour
  header[12] = static_cast<unsigned char>(width % 256);
  header[13] = static_cast<unsigned char>(width / 256);
  header[14] = static_cast<unsigned char>(height % 256);
  header[15] = static_cast<unsigned char>(height / 256);
  header[16] = 24;
  header[17] = 0;  // no alpha bits, first row is the bottom row
}

namespace {

// One line for the first failed frame since recording started: a frame a redraw, every
// redraw failing alike, would bury the terminal.
int tellFailure(const char* name, int error) {
  if (!frameFailureTold) std::fprintf(stderr, "%s: %s\n", name, std::strerror(error));
  frameFailureTold = true;
  return 1;
}

}  // namespace

int saveScreenshot() {
  if (frameCounter >= kMaxScreenshots) return 1;
  const int w = windowWidth;
  const int h = windowHeight;
  const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3u;
  char name[32];
  screenshotName(frameCounter, name, sizeof name);
  // One spare byte so that an empty window still gets a buffer of its own.
  unsigned char* pixels = static_cast<unsigned char*>(std::malloc(bytes + 1));
  if (pixels == nullptr) return tellFailure(name, ENOMEM);

  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_BGR_EXT, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);

  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) {
    const int error = errno;
    std::free(pixels);
    return tellFailure(name, error);
  }
  const int counterBefore = frameCounter;
  ++frameCounter;

  unsigned char header[kTgaHeaderSize];
  tgaHeader(w, h, header);
  bool ok = std::fwrite(header, 1, kTgaHeaderSize, file) == static_cast<std::size_t>(kTgaHeaderSize);
  if (ok) ok = std::fwrite(pixels, 1, bytes, file) == bytes;
  int error = errno;
  // The close flushes the stream, so its result is the last word on a full disk.
  if (std::fclose(file) != 0 && ok) ok = false, error = errno;
  std::free(pixels);
  if (!ok) {
    // A truncated frame under a good name would pass for a whole one.
    std::remove(name);
    frameCounter = counterBefore;
    return tellFailure(name, error);
  }
  return 0;
}

void ignoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }
