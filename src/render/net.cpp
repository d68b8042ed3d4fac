// Drawing of the control structure; vertices are world coordinates straight from the model.
#include "render/net.h"

#include <GL/gl.h>

#include "app/state.h"
#include "render/view_layout.h"

namespace {

constexpr double kAxisLength = 400.0;  // world units of each positive axis drawn

}  // namespace

void drawAxes() {
  glLineWidth(3.0f);
  glBegin(GL_LINES);
  if (showAxes) {
    for (int k = 0; k < 3; ++k) {
      glColor3f(k == 0 ? 1.0f : 0.0f, k == 1 ? 1.0f : 0.0f, k == 2 ? 1.0f : 0.0f);
      glVertex3d(0.0, 0.0, 0.0);
      glVertex3d(k == 0 ? kAxisLength : 0.0, k == 1 ? kAxisLength : 0.0, k == 2 ? kAxisLength : 0.0);
    }
  }
  glEnd();
}

void drawControlNet() {
  glLineWidth(1.5f);
  glColor3f(0.7f, 0.7f, 0.7f);
  for (int r = 0; r < kGridSize; ++r) {
    glBegin(GL_LINE_STRIP);
    for (int c = 0; c < kGridSize; ++c) glVertex3dv(controlPoints[r][c]);
    glEnd();
  }
  for (int c = 0; c < kGridSize; ++c) {
    glBegin(GL_LINE_STRIP);
    for (int r = 0; r < kGridSize; ++r) glVertex3dv(controlPoints[r][c]);
    glEnd();
  }
}

void drawControlPoints() {
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_POINTS);
  for (int c = 0; c < kGridSize; ++c) {
    for (int r = 0; r < kGridSize; ++r) {
      float rgb[3];
      controlPointColour(r, c, rgb);
      glColor3f(rgb[0], rgb[1], rgb[2]);
      glVertex3dv(controlPoints[r][c]);
    }
  }
  glEnd();
  glEnable(GL_DEPTH_TEST);
}
