// The window's size as the views and the trackball read it, and the word on a window
// without a depth buffer. No GL: GLUT hands the numbers over.
#include "app/window.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "app/state.h"

bool warnWithoutDepthBuffer(int depthSize) {
  if (depthSize > 0) return false;
  std::fprintf(stderr, "no depth buffer: overlapping surfaces may show in drawing order\n");
  return true;
}

void reshape(int width, int height) {
  windowWidth = width;
  windowHeight = height;
  // 64-bit so that no window size can overflow the sum of squares.
  const std::int64_t sumOfSquares =
      static_cast<std::int64_t>(width) * width + static_cast<std::int64_t>(height) * height;
  trackballRadius = 0.25 * std::sqrt(static_cast<double>(sumOfSquares));
}
