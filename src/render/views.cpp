// Quadrant layout and fixed cameras. Every view shows 4 world units per pixel: the volume
// spans 2W by 2H units over a W/2 by H/2 viewport.
#include "render/views.h"

#include <GL/glu.h>

#include "app/state.h"

void viewClearColour(int view, float rgba[4]) {
  // Each orthographic view is tinted with the colour of the axis that points at its viewer.
  rgba[0] = (view == 0 || view == 1) ? 0.9f : 1.0f;
  rgba[1] = (view == 0 || view == 2) ? 0.9f : 1.0f;
  rgba[2] = (view == 1 || view == 2) ? 0.9f : 1.0f;
  rgba[3] = 1.0f;
}

void viewRectangle(int view, int width, int height, int rect[4]) {
  const int halfW = width / 2;
  const int halfH = height / 2;
  rect[0] = (view == 2 || view == 3) ? halfW : 0;
  rect[1] = (view == 1 || view == 3) ? halfH : 0;
  rect[2] = halfW;
  rect[3] = halfH;
}

void setupView(int view) {
  const int w = windowWidth;
  const int h = windowHeight;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-static_cast<double>(w), static_cast<double>(w), -static_cast<double>(h),
          static_cast<double>(h), -100000.0, 100000.0);
  switch (view) {
    case 0:  // front: looking along -Z
      gluLookAt(0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
      break;
    case 1:  // top: looking along -Y, +X right, -Z up
      gluLookAt(0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, -1.0);
      break;
    case 2:  // side: looking along -X, -Z right, +Y up
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
