// reshape without a window: it only stores the size and derives the trackball radius; the
// message for a window without a depth buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/window.h"
#include "app/state.h"

namespace {

// The radius from its definition: a quarter of the window diagonal, squares summed as ints.
double referenceRadius(int width, int height) {
  const int sumOfSquares = width * width + height * height;
  return 0.25 * std::sqrt(static_cast<double>(sumOfSquares));
}

struct WindowGlobals {
  int width = windowWidth;
  int height = windowHeight;
  double radius = trackballRadius;
  ~WindowGlobals() {
    windowWidth = width;
    windowHeight = height;
    trackballRadius = radius;
  }
};

}  // namespace

TEST(Reshape, RadiusIsZeroUntilTheFirstReshape) {
  // A fresh process, so no other test's reshape can have run before the look.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const bool initial = trackballRadius == 0.0 && windowWidth == 800 && windowHeight == 800;
        std::exit(initial ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(Reshape, StoresTheSizeAndAQuarterOfTheDiagonal) {
  WindowGlobals saved;

  // initial window
  reshape(800, 800);
  EXPECT_EQ(windowWidth, 800);
  EXPECT_EQ(windowHeight, 800);
  EXPECT_EQ(trackballRadius, referenceRadius(800, 800));
  EXPECT_NEAR(trackballRadius, 282.842712474619, 1e-12);

  // odd sizes, width and height not swapped
  reshape(801, 601);
  EXPECT_EQ(windowWidth, 801);
  EXPECT_EQ(windowHeight, 601);
  EXPECT_EQ(trackballRadius, referenceRadius(801, 601));
  EXPECT_NEAR(trackballRadius, 250.350004993, 1e-9);

  // tall and thin
  reshape(3, 4);
  EXPECT_EQ(windowWidth, 3);
  EXPECT_EQ(windowHeight, 4);
  EXPECT_EQ(trackballRadius, 1.25);

  // one side empty, then both
  reshape(0, 600);
  EXPECT_EQ(windowWidth, 0);
  EXPECT_EQ(trackballRadius, 150.0);
  reshape(0, 0);
  EXPECT_EQ(windowHeight, 0);
  EXPECT_EQ(trackballRadius, 0.0);

  // the largest window whose sum of squares still fits 32 bits
  reshape(32767, 32767);
  EXPECT_EQ(trackballRadius, referenceRadius(32767, 32767));
}

TEST(Reshape, TouchesNothingButTheSizeAndTheRadius) {
  WindowGlobals saved;
  const bool axes = showAxes;
  const bool rec = recording;
  const int counter = frameCounter;
  const int button = activeButton;
  const int view = dragView;
  const int mouseX = lastMouseX;
  const int mouseY = lastMouseY;
  float eye[3], center[3], up[3];
  std::memcpy(eye, cameraEye, sizeof eye);
  std::memcpy(center, cameraCenter, sizeof center);
  std::memcpy(up, cameraUp, sizeof up);

  reshape(1024, 300);

  EXPECT_EQ(showAxes, axes);
  EXPECT_EQ(recording, rec);
  EXPECT_EQ(frameCounter, counter);
  EXPECT_EQ(activeButton, button);
  EXPECT_EQ(dragView, view);
  EXPECT_EQ(lastMouseX, mouseX);
  EXPECT_EQ(lastMouseY, mouseY);
  EXPECT_EQ(std::memcmp(eye, cameraEye, sizeof eye), 0);
  EXPECT_EQ(std::memcmp(center, cameraCenter, sizeof center), 0);
  EXPECT_EQ(std::memcmp(up, cameraUp, sizeof up), 0);
}

TEST(DepthBuffer, OnlyAWindowWithoutOneIsReportedOnStderr) {
  for (int bits : {0, 16, 24}) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(warnWithoutDepthBuffer(bits), bits == 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              bits == 0 ? "no depth buffer: overlapping surfaces may show in drawing order\n" : "")
        << bits << " bits";
  }
}
