// Quadrant layout and fixed cameras. Every view shows 4 world units per pixel: the volume
// spans 2W by 2H units over a W/2 by H/2 viewport.
#include "render/views.h"

#include <GL/glu.h>

#include "app/state.h"
#include "render/view_layout.h"

namespace {

// World units the view volume reaches in front of and behind every view's eye.
constexpr double kViewDepth = 100000.0;

}  // namespace

void setupView(int view) {
  const int w = windowWidth;
  const int h = windowHeight;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-static_cast<double>(w), static_cast<double>(w), -static_cast<double>(h),
          static_cast<double>(h), -kViewDepth, kViewDepth);
  switch (view) {
    case kFrontView:  // looking along -Z
      gluLookAt(0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
      break;
    case kTopView:  // looking along -Y, +X right, -Z up
      gluLookAt(0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, -1.0);
      break;
    case kSideView:  // looking along -X, -Z right, +Y up
      gluLookAt(1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
      break;
    default:
      gluLookAt(cameraEye[0], cameraEye[1], cameraEye[2], cameraCenter[0], cameraCenter[1],
                cameraCenter[2], cameraUp[0], cameraUp[1], cameraUp[2]);
      break;
  }
  int rect[4];
  viewRectangle(view, w, h, rect);
  glViewport(rect[0], rect[1], rect[2], rect[3]);
  glScissor(rect[0], rect[1], rect[2], rect[3]);
  float colour[4];
  viewClearColour(view, colour);
  glClearColor(colour[0], colour[1], colour[2], colour[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
