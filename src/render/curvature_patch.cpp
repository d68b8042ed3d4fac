// Colour strips of the curvature; the values and colours come from analysis/curvature.
#include "render/curvature_patch.h"

#include <GL/gl.h>

#include "analysis/curvature.h"
#include "app/state.h"

void drawCurvaturePatch() {
  refreshCurvature();
  const bool gaussian = analysisMode == kGaussianMode;
  const double(*values)[kSamples] = gaussian ? gaussianCurvature : meanCurvature;
  const double range = gaussian ? gaussianRange : meanRange;
  float colours[2][kSamples][3];  // rows k - 1 and k, in slots by parity
  for (int l = 0; l < kSamples; ++l) divergingColour(values[0][l], range, colours[0][l]);
  for (int k = 1; k < kSamples; ++k) {
    const float(*above)[3] = colours[(k - 1) % 2];
    float(*row)[3] = colours[k % 2];
    for (int l = 0; l < kSamples; ++l) divergingColour(values[k][l], range, row[l]);
    glBegin(GL_QUAD_STRIP);
    for (int l = 0; l < kSamples; ++l) {
      glColor3fv(above[l]);
      glVertex3dv(surfacePoints[k - 1][l]);
      glColor3fv(row[l]);
      glVertex3dv(surfacePoints[k][l]);
    }
    glEnd();
  }
}

