// What the views and the net look like, as numbers: the quadrants, their backgrounds and the
// control points' colours. No GL: the drawing reads them.
#include "render/view_layout.h"

#include "app/state.h"

void viewClearColour(int view, float rgba[4]) {
  // Each orthographic view is tinted with the colour of the axis that points at its viewer.
  rgba[0] = (view == kFrontView || view == kTopView) ? 0.9f : 1.0f;
  rgba[1] = (view == kFrontView || view == kSideView) ? 0.9f : 1.0f;
  rgba[2] = (view == kTopView || view == kSideView) ? 0.9f : 1.0f;
  rgba[3] = 1.0f;
}

void viewRectangle(int view, int width, int height, int rect[4]) {
  const int halfW = width / 2;
  const int halfH = height / 2;
  rect[0] = (view == kSideView || view == kCameraView) ? halfW : 0;
  rect[1] = (view == kTopView || view == kCameraView) ? halfH : 0;
  rect[2] = halfW;
  rect[3] = halfH;
}

void controlPointColour(int row, int column, float rgb[3]) {
  const float t = static_cast<float>(column) / 3.0f;
  const float hi = t * 0.4f + 0.6f;
  const float lo = t * 0.5f;
  switch (row) {
    case 0:
      rgb[0] = hi, rgb[1] = lo, rgb[2] = hi;
      break;
    case 1:
      rgb[0] = hi, rgb[1] = hi, rgb[2] = lo;
      break;
    case 2:
      rgb[0] = lo, rgb[1] = hi, rgb[2] = lo;
      break;
    default:
      rgb[0] = lo, rgb[1] = lo, rgb[2] = hi;
      break;
  }
}
