// The screenshot sequence's TGA files. The directory "screenshots" is never created here.
#include "capture/frame_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
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

int tellFrameFailure(const char* name, int error) {
  if (!frameFailureTold) std::fprintf(stderr, "%s: %s\n", name, std::strerror(error));
  frameFailureTold = true;
  return 1;
}

int writeFrameFile(const unsigned char* pixels, int width, int height) {
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3u;
  char name[32];
  screenshotName(frameCounter, name, sizeof name);
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) return tellFrameFailure(name, errno);
  const int counterBefore = frameCounter;
  ++frameCounter;

  unsigned char header[kTgaHeaderSize];
  tgaHeader(width, height, header);
  bool ok = std::fwrite(header, 1, kTgaHeaderSize, file) == static_cast<std::size_t>(kTgaHeaderSize);
  if (ok) ok = std::fwrite(pixels, 1, bytes, file) == bytes;
  int error = errno;
  // The close flushes the stream, so its result is the last word on a full disk.
  if (std::fclose(file) != 0 && ok) ok = false, error = errno;
  if (!ok) {
    // A truncated frame under a good name would pass for a whole one.
    std::remove(name);
    frameCounter = counterBefore;
    return tellFrameFailure(name, error);
  }
  return 0;
}

void ignoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }
