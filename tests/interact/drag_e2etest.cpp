// Control points dragged with real X input in the three orthographic views of the 800 by 800
// window, checked in the recorded frames: the point's colour lands on the pointer in its own
// view, and the two other views draw it where its new coordinates put it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "support/recording_session.h"

namespace {

using e2e::Rgb;
using e2e::TgaImage;
using support::pointColour;

struct Pixel {
  int x, y;  // window pixels from the top-left
};

// Where view 0 (front), 1 (top) or 2 (side) draws a world point: 4 units a pixel about the
// quadrant's centre, front (x, y), top (x, -z), side (-z, y).
Pixel drawnAt(int view, const double p[3]) {
  switch (view) {
    case 0:
      return {static_cast<int>(std::lround(200 + p[0] / 4)),
              static_cast<int>(std::lround(600 - p[1] / 4))};
    case 1:
      return {static_cast<int>(std::lround(200 + p[0] / 4)),
              static_cast<int>(std::lround(200 + p[2] / 4))};
    default:
      return {static_cast<int>(std::lround(600 - p[2] / 4)),
              static_cast<int>(std::lround(600 - p[1] / 4))};
  }
}

// The start-up grid: x from the row, y from the column, z the dome.
void initialPoint(int row, int column, double p[3]) {
  p[0] = ((2 * row) / 3.0 - 1.0) * 560.0;
  p[1] = (1.0 - (2 * column) / 3.0) * 560.0;
  p[2] = ((0.5 - std::fabs(row / 3.0 - 0.5)) - std::fabs(column / 3.0 - 0.5)) * 800.0;
}

// The point follows the pointer's absolute position; the view's depth coordinate stays.
void placedAt(int view, Pixel pointer, double p[3]) {
  const int w = 800, h = 800;
  if (view == 0) {
    p[0] = 4 * pointer.x - w;
    p[1] = h + 4 * (h / 2 - pointer.y);
  } else if (view == 1) {
    p[0] = 4 * pointer.x - w;
    p[2] = -(h - 4 * pointer.y);
  } else {
    p[2] = -(4 * (pointer.x - w / 2) - w);
    p[1] = h + 4 * (h / 2 - pointer.y);
  }
}

const char* const kViewNames[] = {"front view", "top view", "side view"};

class DragE2eTest : public e2e::RecordingSessionTest {
 protected:
  // Drags point [row][column] of `view` from its drawn pixel moved by `offset` to `target`,
  // then checks the settled frame in all three views. `hidden` is the point drawn on the same
  // pixel of `view` before the drag, which must show there afterwards (-1: none).
  void dragAndCheck(int view, int row, int column, Pixel offset, Pixel target,
                    int hiddenRow = -1, int hiddenColumn = -1) {
    double p[3];
    initialPoint(row, column, p);
    const Pixel from = drawnAt(view, p);
    ASSERT_TRUE(e2e::pixelNear(initial, from.x, from.y, pointColour(row, column)))
        << "the point is not drawn where the test presses";
    drag(1, from.x + offset.x, from.y + offset.y, target.x, target.y);
    int number = 0;
    TgaImage frame;
    ASSERT_TRUE(settledFrame(1, number, frame));

    placedAt(view, target, p);
    for (int v = 0; v < 3; ++v) {
      const Pixel at = drawnAt(v, p);
      EXPECT_TRUE(e2e::pixelNear(frame, at.x, at.y, pointColour(row, column), 3))
          << kViewNames[v] << ", point moved to (" << p[0] << ", " << p[1] << ", " << p[2]
          << ")";
    }
    if (hiddenRow >= 0) {
      EXPECT_TRUE(e2e::pixelNear(frame, from.x, from.y, pointColour(hiddenRow, hiddenColumn), 3))
          << "the point drawn underneath should have stayed";
    } else {
      const Rgb left = frame.at(from.x, from.y);
      const Rgb colour = pointColour(row, column);
      EXPECT_FALSE(std::abs(left.r - colour.r) <= 3 && std::abs(left.g - colour.g) <= 3 &&
                   std::abs(left.b - colour.b) <= 3)
          << "the point still shows where it was picked";
    }
  }

  TgaImage initial;  // frame 0, the start-up picture
};

TEST_F(DragE2eTest, FrontViewDragMovesXAndYAndKeepsZ) {
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, initial));
  // Pressed 4 pixels (16 units) left of the point: inside the 20-unit pick radius.
  dragAndCheck(0, 1, 1, {-4, 0}, {300, 480});
}

TEST_F(DragE2eTest, TopViewDragMovesXAndZAndKeepsY) {
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, initial));
  // [2][0] and [2][3] share x and z: the top view draws [2][3] over [2][0], and the scan
  // takes the later one, so [2][3] moves and [2][0] appears where both were.
  dragAndCheck(1, 2, 3, {0, 0}, {300, 330}, 2, 0);
}

TEST_F(DragE2eTest, SideViewDragMovesZAndYAndKeepsX) {
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, initial));
  // Rows 0 and 3 coincide in the side view; row 3 is later in the scan and on top.
  dragAndCheck(2, 3, 2, {0, 0}, {480, 520}, 0, 2);
}

TEST_F(DragE2eTest, PressSixPixelsFromEveryPointDragsNothing) {
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, initial));
  double p[3];
  // 6 pixels are 24 units, beyond the 20-unit radius; each press is also far from all other
  // points of its view.
  initialPoint(1, 1, p);
  const Pixel front = drawnAt(0, p);
  drag(1, front.x + 6, front.y, 300, 480);
  initialPoint(2, 3, p);
  const Pixel top = drawnAt(1, p);
  drag(3, top.x, top.y + 6, 300, 330);
  initialPoint(3, 2, p);
  const Pixel side = drawnAt(2, p);
  drag(2, side.x - 6, side.y, 480, 520);

  int number = 0;
  TgaImage frame;
  ASSERT_TRUE(settledFrame(1, number, frame));
  ASSERT_EQ(frame.data.size(), initial.data.size());
  EXPECT_EQ(std::memcmp(frame.data.data(), initial.data.data(), frame.data.size()), 0)
      << "the picture changed although no press picked a point";
}

}  // namespace
