// A long random session through the real callbacks: the model, the camera and the texture
// coordinates must stay finite, and the camera sound, whatever the events.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "app/shell.h"
#include "app/window.h"
#include "app/state.h"
#include "interact/camera.h"
#include "interact/picking.h"
#include "render/reflection.h"
#include "support/gl_window.h"
#include "support/random_input.h"

namespace {

bool modelIsFinite() {
  for (auto& row : controlPoints)
    for (auto& p : row)
      for (double v : p)
        if (!std::isfinite(v)) return false;
  return true;
}

bool samplesAreFinite() {
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l)
      for (int c = 0; c < 3; ++c)
        if (!std::isfinite(surfacePoints[k][l][c]) || !std::isfinite(surfaceNormals[k][l][c]))
          return false;
  return true;
}

bool texCoordsInRange() {
  for (int k = 0; k < kSamples; ++k)
    for (int l = 0; l < kSamples; ++l)
      for (int c = 0; c < 2; ++c) {
        const double v = texCoords[k][l][c];
        if (!(v >= 0.0 && v <= 1.0)) return false;
      }
  return true;
}

// A coordinate mostly inside an 800-pixel window, sometimes far outside it.
int randomCoordinate(std::mt19937& rng) { return support::randomCoordinate(rng, 7, 2, 1000000); }

}  // namespace

TEST(LongSession, HundredThousandRandomEventsKeepEverythingFinite) {
  ensureGlWindow();
  double initialGrid[kGridSize][kGridSize][3];
  std::memcpy(initialGrid, controlPoints, sizeof initialGrid);
  std::mt19937 rng(20261208);
  constexpr int kEvents = 100000;
  for (int event = 0; event < kEvents; ++event) {
    const unsigned kind = rng() % 100;
    if (kind < 10) {
      mouse(static_cast<int>(rng() % 5), GLUT_DOWN, randomCoordinate(rng), randomCoordinate(rng));
    } else if (kind < 14) {
      mouse(static_cast<int>(rng() % 5), GLUT_UP, randomCoordinate(rng), randomCoordinate(rng));
    } else if (kind < 16) {
      reshape(support::randomWindowSide(rng), support::randomWindowSide(rng));
    } else if (kind < 18) {
      unsigned char key = static_cast<unsigned char>(rng() % 256);
      if (key == 27) key = 'x';  // Escape would end the test process
      keyboard(key, randomCoordinate(rng), randomCoordinate(rng));
    } else {
      // Keep a drag alive most of the time so that motion has something to move.
      if (dragView < 0 && rng() % 4 != 0) {
        mouse(static_cast<int>(rng() % 3), GLUT_DOWN, randomCoordinate(rng), randomCoordinate(rng));
      }
      motion(randomCoordinate(rng), randomCoordinate(rng));
    }

    ASSERT_TRUE(modelIsFinite()) << "after event " << event;
    ASSERT_TRUE(cameraIsSound(cameraEye, cameraCenter, cameraUp)) << "after event " << event;
    if (event % 100 == 0) {
      ASSERT_TRUE(samplesAreFinite()) << "after event " << event;
      computeTexCoords();
      ASSERT_TRUE(texCoordsInRange()) << "after event " << event;
    }
    // Let GLUT run the posted redisplays now and then, through the whole display pass.
    if (event % 5000 == 0) glutMainLoopEvent();
  }
  // The session must have moved both the camera and the control points, or it proved nothing.
  EXPECT_FALSE(cameraEye[0] == 0.0f && cameraEye[1] == 0.0f && cameraEye[2] == 1.0f);
  EXPECT_NE(std::memcmp(controlPoints, initialGrid, sizeof initialGrid), 0);
}
