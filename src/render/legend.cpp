// The legend's card, colour bar and texts; the words and numbers come from
// analysis/legend_text.
#include "render/legend.h"

#include <GL/glut.h>

#include <algorithm>

#include "analysis/legend_text.h"
#include "app/state.h"

namespace {

// Sends text with its left end at pixel (x, y) of the view, in the current colour.
void drawText(int x, int y, const char* text) {
  glRasterPos2i(x, y);
  for (const char* c = text; *c != '\0'; ++c) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, *c);
}

// Width of text in pixels.
int textWidth(const char* text) {
  return glutBitmapLength(GLUT_BITMAP_HELVETICA_12, reinterpret_cast<const unsigned char*>(text));
}

// The pixels from (x0, y0) up to (x1, y1), exclusive, in the current colour.
void fillRectangle(int x0, int y0, int x1, int y1) {
  glBegin(GL_QUADS);
  glVertex2i(x0, y0);
  glVertex2i(x1, y0);
  glVertex2i(x1, y1);
  glVertex2i(x0, y1);
  glEnd();
}

}  // namespace

void drawLegend() {
  if (analysisMode == kMirrorMode) return;
  const LegendText text = legendText(analysisMode, zebraBands, zebraAxis,
                                     analysisMode == kGaussianMode ? gaussianRange : meanRange);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);
  glDisable(GL_DEPTH_TEST);

  // Pixels: the card's margin from the view's corner and padding, a text line's height and
  // the colour bar's size.
  constexpr int kMargin = 4, kPad = 5, kLine = 15, kBarWidth = 200, kBarHeight = 10;
  const int top = viewport[3] - kMargin, left = kMargin;
  const int titleWidth = textWidth(text.title);
  const int width = (text.colourBar ? std::max(kBarWidth, titleWidth) : titleWidth) + 2 * kPad;
  const int height = text.colourBar ? 2 * kLine + kBarHeight + 3 * kPad : kLine + kPad;
  glColor3f(1.0f, 1.0f, 1.0f);
  fillRectangle(left, top - height, left + width, top);
  const int x = left + kPad, titleBase = top - kLine + 2;
  if (text.colourBar) {
    // Two quads blend blue to white to red as divergingColour does: it is linear either side of 0.
    const int barTop = titleBase - kPad, barBottom = barTop - kBarHeight, middle = x + kBarWidth / 2;
    glBegin(GL_QUADS);
    const float stops[3][3] = {{0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 0.0f}};
    for (int half = 0; half < 2; ++half) {
      const int x0 = half == 0 ? x : middle, x1 = half == 0 ? middle : x + kBarWidth;
      glColor3fv(stops[half]);
      glVertex2i(x0, barBottom);
      glColor3fv(stops[half + 1]);
      glVertex2i(x1, barBottom);
      glVertex2i(x1, barTop);
      glColor3fv(stops[half]);
      glVertex2i(x0, barTop);
    }
    glEnd();
    glColor3f(0.0f, 0.0f, 0.0f);
    const int numberBase = barBottom - kLine + 2;
    drawText(x, numberBase, text.low);
    drawText(middle - textWidth("0") / 2, numberBase, "0");
    drawText(x + kBarWidth - textWidth(text.high), numberBase, text.high);
  }
  glColor3f(0.0f, 0.0f, 0.0f);
  drawText(x, titleBase, text.title);
  glEnable(GL_DEPTH_TEST);
}
