// Frame timing, picture fitting, turntable poses, numbered names and PNG bytes. The time
// arithmetic is in integers so that a frame is due at the same microsecond on every run.
#include "capture/frames.h"

#include <lodepng.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "interact/camera.h"

namespace {
constexpr std::int64_t kMicroseconds = 1000000;  // in a second
}  // namespace

std::int64_t videoFramesDue(std::int64_t elapsedUs, int fps) {
  if (elapsedUs < 0) return 0;
  return elapsedUs * fps / kMicroseconds + 1;
}

std::int64_t videoFrameTimeUs(std::int64_t frame, int fps) {
  return (frame * kMicroseconds + fps - 1) / fps;
}

int evenVideoSize(int pixels) { return pixels - pixels % 2; }

void fitPicture(const unsigned char* from, int width, int height, unsigned char* to,
                int frameWidth, int frameHeight) {
  const std::size_t copied = 3u * static_cast<std::size_t>(width < frameWidth ? width : frameWidth);
  const std::size_t frameRow = 3u * static_cast<std::size_t>(frameWidth);
  // Rows counted from the top, where both pictures are anchored.
  for (int fromTop = 0; fromTop < frameHeight; ++fromTop) {
    unsigned char* row = to + static_cast<std::size_t>(frameHeight - 1 - fromTop) * frameRow;
    std::size_t filled = 0;
    if (fromTop < height) {
      const unsigned char* source = from + static_cast<std::size_t>(height - 1 - fromTop) * 3u * width;
      std::memcpy(row, source, copied);
      filled = copied;
    }
    std::memset(row + filled, 0, frameRow - filled);
  }
}

void turntablePose(const float startEye[3], const float center[3], const float startUp[3],
                   int frame, int frames, float eye[3], float up[3]) {
  const Vec3f yAxis = {0.0f, 1.0f, 0.0f};
  // The angle in double first, so that frame / frames is exact before the one rounding.
  const float angle = static_cast<float>(2.0 * M_PI * frame / frames);
  const Vec3f offset = {startEye[0] - center[0], startEye[1] - center[1], startEye[2] - center[2]};
  const Vec3f turned = rotateAroundAxis(offset, yAxis, angle);
  const Vec3f turnedUp = rotateAroundAxis(Vec3f{startUp[0], startUp[1], startUp[2]}, yAxis, angle);
  eye[0] = center[0] + turned.x;
  eye[1] = center[1] + turned.y;
  eye[2] = center[2] + turned.z;
  up[0] = turnedUp.x;
  up[1] = turnedUp.y;
  up[2] = turnedUp.z;
}

bool firstFreeName(const char* pattern, char* name, std::size_t capacity) {
  for (int number = 0; number < kMaxNumberedFiles; ++number) {
    const int written = std::snprintf(name, capacity, pattern, number);
    if (written < 0 || static_cast<std::size_t>(written) >= capacity) return false;
    struct stat info;
    // lstat: a dangling link still holds its name. A name that cannot be looked at (a
    // directory that may not be searched) is tried: the write then says why it fails.
    if (lstat(name, &info) != 0) return true;
  }
  return false;
}

bool encodePng(const unsigned char* bottomFirst, int width, int height, unsigned char** png,
               std::size_t* size) {
  const std::size_t rowBytes = 3u * static_cast<std::size_t>(width);
  unsigned char* topFirst = static_cast<unsigned char*>(std::malloc(rowBytes * height + 1));
  if (topFirst == nullptr) return false;
  for (int row = 0; row < height; ++row) {
    std::memcpy(topFirst + row * rowBytes, bottomFirst + (height - 1 - row) * rowBytes, rowBytes);
  }
  *png = nullptr;
  const unsigned error = lodepng_encode_memory(png, size, topFirst, static_cast<unsigned>(width),
                                               static_cast<unsigned>(height), LCT_RGB, 8);
  std::free(topFirst);
  if (error != 0) {
    std::free(*png);
    *png = nullptr;
    return false;
  }
  return true;
}
