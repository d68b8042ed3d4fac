// Picking and dragging of control points. Window coordinates have their origin top-left;
// every orthographic view shows 4 world units per pixel about the quadrant's centre.
// Pixel arithmetic is 64-bit so that no pointer position, however far outside, overflows.
#include "interact/picking.h"

#include <cmath>
#include <cstdint>

#include "app/state.h"
#include "interact/camera.h"
#include "interact/history.h"
#include "model/tessellation.h"

namespace {

constexpr double kPickRadius = 5.0 * kWorldUnitsPerPixel;  // world units: 5 pixels

// The pair (right, up) at which view 0..2 draws p, in world units from the view's centre.
void screenPair(int view, const double p[3], double* a, double* b) {
  switch (view) {
    case kFrontView:
      *a = p[0], *b = p[1];
      break;
    case kTopView:
      *a = p[0], *b = -p[2];
      break;
    default:
      *a = -p[2], *b = p[1];
      break;
  }
}

}  // namespace

int classifyPress(int x, int y, int width, int height) {
  const int halfW = width / 2;
  const int halfH = height / 2;
  if (x > halfW && y < halfH) return kCameraView;
  if (x < halfW) return y > halfH ? kFrontView : kTopView;
  return y > halfH ? kSideView : -1;
}

bool pickControlPoint(int view, int x, int y, int width, int height, int* row, int* column) {
  const std::int64_t halfW = width / 2;
  const std::int64_t halfH = height / 2;
  if (halfW == 0 || halfH == 0) return false;
  const double mx = static_cast<double>(kWorldUnitsPerPixel * (x % halfW) - width);
  const double my = static_cast<double>(height - kWorldUnitsPerPixel * (y % halfH));
  bool picked = false;
  for (int i = 0; i < kGridSize; ++i) {
    for (int j = 0; j < kGridSize; ++j) {
      double a = 0.0, b = 0.0;
      screenPair(view, controlPoints[i][j], &a, &b);
      const double d = std::sqrt((a - mx) * (a - mx) + (b - my) * (b - my));
      if (d < kPickRadius) {
        *row = i;
        *column = j;
        picked = true;
      }
    }
  }
  return picked;
}

void placeControlPoint(int view, int x, int y, int width, int height, double p[3]) {
  const std::int64_t px = x, py = y, w = width, h = height;
  const std::int64_t halfW = w / 2, halfH = h / 2;
  switch (view) {
    case kFrontView:
      p[0] = static_cast<double>(kWorldUnitsPerPixel * px - w);
      p[1] = static_cast<double>(h + kWorldUnitsPerPixel * (halfH - py));
      break;
    case kTopView:
      p[0] = static_cast<double>(kWorldUnitsPerPixel * px - w);
      p[2] = static_cast<double>(-(h - kWorldUnitsPerPixel * py));
      break;
    case kSideView:
      p[2] = static_cast<double>(-(kWorldUnitsPerPixel * (px - halfW) - w));
      p[1] = static_cast<double>(h + kWorldUnitsPerPixel * (halfH - py));
      break;
    default:
      break;
  }
}

void mouse(int button, int state, int x, int y) {
  if (state == kButtonDown) {
    const int view = classifyPress(x, y, windowWidth, windowHeight);
    if (view == kCameraView) {
      // A drag taken over ends the one before it, which becomes a step of its own.
      endPointDrag();
      dragView = kCameraView;
      lastMouseX = x - windowWidth / 2;
      lastMouseY = y;
      activeButton = button;
      return;
    }
    int row = 0, column = 0;
    if (view >= 0 && pickControlPoint(view, x, y, windowWidth, windowHeight, &row, &column)) {
      endPointDrag();
      dragView = view;
      selectedRow = row;
      selectedCol = column;
      beginPointDrag();
    }
    activeButton = button;
  } else if (state == kButtonUp) {
    endPointDrag();
    dragView = -1;
    activeButton = -1;
  }
}

void dragTo(int x, int y) {
  if (dragView >= 0 && dragView <= 2) {
    placeControlPoint(dragView, x, y, windowWidth, windowHeight,
                      controlPoints[selectedRow][selectedCol]);
  } else if (dragView == kCameraView) {
    cameraDrag(x, y);
  }
  updateSurface();
}
