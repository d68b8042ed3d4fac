// Presses, releases and point placement in the orthographic views, without GL: mouse()
// only reads and writes the process-wide state. GLUT is never initialised here, so a press
// or release that asked for a redisplay would end the test process with an error.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "app/state.h"
#include "interact/picking.h"
#include "model/basis.h"
#include "support/viewer_state.h"

namespace {

// Far from every pixel any press in these tests can reach, in every view.
constexpr double kParked = 1.0e7;

// The press-to-world mapping written out from the rule: 4 * (x % halfW) - W and
// H - 4 * (y % halfH), truncating remainder, in 64 bits.
double pressX(std::int64_t x, std::int64_t width) { return static_cast<double>(4 * (x % (width / 2)) - width); }
double pressY(std::int64_t y, std::int64_t height) { return static_cast<double>(height - 4 * (y % (height / 2))); }

class Picking : public ::testing::Test {
 protected:
  void SetUp() override {
    windowWidth = 800;
    windowHeight = 800;
    dragView = -1;
    activeButton = -1;
    selectedRow = 0;
    selectedCol = 0;
    lastMouseX = 0;
    lastMouseY = 0;
    parkAll();
  }

  static void parkAll() {
    for (auto& row : controlPoints)
      for (auto& p : row) p[0] = p[1] = p[2] = kParked;
  }

  static void setPoint(int i, int j, double x, double y, double z) {
    controlPoints[i][j][0] = x;
    controlPoints[i][j][1] = y;
    controlPoints[i][j][2] = z;
  }

  // Marks the drag state with values no press in these tests produces by accident.
  static void markState() {
    dragView = -1;
    selectedRow = 2;
    selectedCol = 1;
    lastMouseX = -777;
    lastMouseY = -888;
    activeButton = -1;
  }

  static void press(int button, int x, int y) { mouse(button, GLUT_DOWN, x, y); }
  static void release(int button, int x, int y) { mouse(button, GLUT_UP, x, y); }

  struct Placed {
    int row, col;
    double x, y, z;
  };
  // Parks every point, places the listed ones, and presses the left button at (x, y) from
  // the marked state.
  static void pressAmong(std::initializer_list<Placed> points, int x, int y) {
    parkAll();
    for (const Placed& p : points) setPoint(p.row, p.col, p.x, p.y, p.z);
    markState();
    press(GLUT_LEFT_BUTTON, x, y);
  }

  support::KeepViewerGlobals saved_;  // pointer state and grid, put back after each test
};

void expectPicked(int view, int row, int col) {
  EXPECT_EQ(dragView, view);
  EXPECT_EQ(selectedRow, row);
  EXPECT_EQ(selectedCol, col);
}

// No drag, and no button held.
void expectDragEnded() {
  EXPECT_EQ(dragView, -1);
  EXPECT_EQ(activeButton, -1);
}

// The marked state of markState, untouched except for the stored button.
void expectNothingPicked(int button) {
  EXPECT_EQ(dragView, -1);
  EXPECT_EQ(selectedRow, 2);
  EXPECT_EQ(selectedCol, 1);
  EXPECT_EQ(lastMouseX, -777);
  EXPECT_EQ(lastMouseY, -888);
  EXPECT_EQ(activeButton, button);
}

}  // namespace

TEST_F(Picking, PickRadiusOnTheInitialGrid) {
  initBinomials();
  initBernstein();
  initControlGrid();
  ASSERT_EQ(controlPoints[0][0][0], -560.0);
  ASSERT_EQ(controlPoints[0][0][1], 560.0);

  {  // exactly under the pointer
    markState();
    press(GLUT_LEFT_BUTTON, 60, 460);
    expectPicked(0, 0, 0);
    EXPECT_EQ(activeButton, GLUT_LEFT_BUTTON);
  }
  {  // 16 units to the right and 16 units up
    markState();
    press(GLUT_LEFT_BUTTON, 64, 460);
    expectPicked(0, 0, 0);
    markState();
    press(GLUT_LEFT_BUTTON, 60, 456);
    expectPicked(0, 0, 0);
  }
  {  // 20 units right, left, down, up: outside
    const int offsets[4][2] = {{65, 460}, {55, 460}, {60, 465}, {60, 455}};
    for (const auto& at : offsets) {
      markState();
      press(GLUT_LEFT_BUTTON, at[0], at[1]);
      expectNothingPicked(GLUT_LEFT_BUTTON);
    }
  }
  {  // a 12-16-20 triangle is exactly 20 units: outside; 12-12 is inside
    markState();
    press(GLUT_RIGHT_BUTTON, 63, 464);
    expectNothingPicked(GLUT_RIGHT_BUTTON);
    markState();
    press(GLUT_RIGHT_BUTTON, 63, 463);
    expectPicked(0, 0, 0);
  }
  {  // a press changes no control point
    double before[kGridSize][kGridSize][3];
    std::memcpy(before, controlPoints, sizeof before);
    press(GLUT_LEFT_BUTTON, 60, 460);
    press(GLUT_LEFT_BUTTON, 600, 200);
    EXPECT_EQ(std::memcmp(before, controlPoints, sizeof before), 0);
  }
}

TEST_F(Picking, RadiusIsStrictToTheLastBit) {
  {  // a point exactly 20.0 units away is not picked
    pressAmong({{1, 1, -560.0 + 20.0, 560.0, 0.0}}, 60, 460);
    expectNothingPicked(GLUT_LEFT_BUTTON);
  }
  {  // the next double nearer is
    pressAmong({{1, 1, std::nextafter(-540.0, -560.0), 560.0, 0.0}}, 60, 460);
    expectPicked(0, 1, 1);
  }
  {  // the same along the vertical screen axis, below the pointer
    pressAmong({{2, 2, -560.0, 560.0 - 20.0, 0.0}}, 60, 460);
    expectNothingPicked(GLUT_LEFT_BUTTON);
    setPoint(2, 2, -560.0, std::nextafter(540.0, 560.0), 0.0);
    press(GLUT_LEFT_BUTTON, 60, 460);
    expectPicked(0, 2, 2);
  }
}

TEST_F(Picking, EachViewReadsItsOwnScreenPair) {
  {  // front view (x, y); the decoy would match a view reading (x, z)
    pressAmong({{0, 0, -560.0, 560.0, 5000.0}, {3, 3, -560.0, 5000.0, 560.0}}, 60, 460);
    expectPicked(0, 0, 0);
  }
  {  // top view (x, -z) at pixel (60, 60); decoys match (x, y) and (x, z)
    pressAmong({{1, 1, -560.0, 12345.0, -560.0},
                {3, 2, -560.0, 560.0, 10000.0},
                {3, 3, -560.0, 10000.0, 560.0}},
               60, 60);
    expectPicked(1, 1, 1);
  }
  {  // side view (-z, y) at pixel (460, 460); decoys match (x, y) and (z, y)
    pressAmong({{2, 3, -9876.0, 560.0, 560.0},
                {3, 2, -560.0, 560.0, 10000.0},
                {3, 3, 10000.0, 560.0, -560.0}},
               460, 460);
    expectPicked(2, 2, 3);
  }
}

TEST_F(Picking, LastInScanOrderWinsEvenIfFarther) {
  {  // the documented pair: (1, 2) is 10 units off, (0, 0) right under the pointer
    pressAmong({{0, 0, -560.0, 560.0, 0.0}, {1, 2, -550.0, 560.0, 0.0}}, 60, 460);
    expectPicked(0, 1, 2);
  }
  {  // the row decides before the column
    pressAmong({{2, 3, -560.0, 560.0, 0.0}, {3, 0, -560.0, 560.0 + 19.0, 0.0}}, 60, 460);
    expectPicked(0, 3, 0);
  }
  {  // within a row, the larger column
    pressAmong({{2, 1, -560.0, 560.0, 0.0},
                {2, 2, -560.0 - 15.0, 560.0, 0.0},
                {0, 3, -560.0 + 1.0, 560.0, 0.0}},
               60, 460);
    expectPicked(0, 2, 2);
  }
  {  // all sixteen in range: the last one
    for (int i = 0; i < kGridSize; ++i)
      for (int j = 0; j < kGridSize; ++j) setPoint(i, j, -560.0 + i, 560.0 - j, 0.0);
    markState();
    press(GLUT_LEFT_BUTTON, 60, 460);
    expectPicked(0, 3, 3);
  }
}

TEST_F(Picking, TheHiddenCoordinatePlaysNoPart) {
  {  // front view: same (x, y), depth apart
    pressAmong({{1, 0, -560.0, 560.0, 1.0e6}, {0, 3, -560.0, 560.0, -1.0e6}}, 60, 460);
    expectPicked(0, 1, 0);
  }
  {  // top view: same (x, z), y apart
    pressAmong({{0, 1, -560.0, -3.0e8, -560.0}, {2, 0, -560.0, 3.0e8, -560.0}}, 60, 60);
    expectPicked(1, 2, 0);
  }
  {  // side view: same (z, y), x apart
    pressAmong({{3, 1, 4.0e5, 560.0, 560.0}, {1, 3, -4.0e5, 560.0, 560.0}}, 460, 460);
    expectPicked(2, 3, 1);
  }
}

TEST_F(Picking, PressesOnTheCrossBetweenTheViews) {
  // Points that a press at (x, y) would pick in each orthographic view, were it one.
  auto placeDecoys = [](int x, int y) {
    const double mx = pressX(x, windowWidth);
    const double my = pressY(y, windowHeight);
    parkAll();
    setPoint(0, 0, mx, my, kParked);    // front (x, y)
    setPoint(0, 1, mx, kParked, -my);   // top (x, -z)
    setPoint(0, 2, kParked, my, -mx);   // side (-z, y)
  };
  {  // the column x = halfW above the middle row
    const int ys[] = {0, 1, 200, 399, 400};
    for (int y : ys) {
      placeDecoys(400, y);
      markState();
      press(GLUT_MIDDLE_BUTTON, 400, y);
      expectNothingPicked(GLUT_MIDDLE_BUTTON);
    }
  }
  {  // the row y = halfH right of the middle column
    const int xs[] = {401, 500, 799};
    for (int x : xs) {
      placeDecoys(x, 400);
      markState();
      press(GLUT_LEFT_BUTTON, x, 400);
      expectNothingPicked(GLUT_LEFT_BUTTON);
    }
  }
  {  // x = halfW below the middle row is the side view's left edge, mx = -W
    pressAmong({{2, 2, 777.0, 0.0, 800.0}}, 400, 600);
    expectPicked(2, 2, 2);
  }
  {  // y = halfH left of the middle column is the top view, its remainder 0 giving my = H
    pressAmong({{1, 3, -560.0, 0.0, -800.0}}, 60, 400);
    expectPicked(1, 1, 3);
  }
  {  // one pixel inside the camera view on either side of the cross
    markState();
    press(GLUT_RIGHT_BUTTON, 401, 399);
    EXPECT_EQ(dragView, 3);
    EXPECT_EQ(lastMouseX, 1);
    EXPECT_EQ(lastMouseY, 399);
    EXPECT_EQ(activeButton, GLUT_RIGHT_BUTTON);
  }
}

TEST_F(Picking, EveryButtonPicksAndStartsCameraDrags) {
  setPoint(1, 2, -560.0, 560.0, 0.0);
  const int buttons[] = {GLUT_LEFT_BUTTON, GLUT_MIDDLE_BUTTON, GLUT_RIGHT_BUTTON, 3, 4, 7};
  for (int button : buttons) {
    markState();
    press(button, 60, 460);
    expectPicked(0, 1, 2);
    EXPECT_EQ(activeButton, button) << "button " << button;
    release(button, 60, 460);

    markState();
    press(button, 650, 123);
    EXPECT_EQ(dragView, 3) << "button " << button;
    EXPECT_EQ(lastMouseX, 250);
    EXPECT_EQ(lastMouseY, 123);
    EXPECT_EQ(activeButton, button);
    EXPECT_EQ(selectedRow, 2);  // a camera press tests no point
    EXPECT_EQ(selectedCol, 1);
    release(button, 650, 123);
  }
}

TEST_F(Picking, SecondPressDuringADrag) {
  setPoint(1, 1, -560.0, 560.0, 0.0);  // front view pixel (60, 460)
  setPoint(3, 2, -560.0, 0.0, -560.0);  // top view pixel (60, 60)
  {  // a press that picks nothing keeps the point drag, takes the button
    markState();
    press(GLUT_LEFT_BUTTON, 60, 460);
    expectPicked(0, 1, 1);
    press(GLUT_RIGHT_BUTTON, 300, 700);
    expectPicked(0, 1, 1);
    EXPECT_EQ(activeButton, GLUT_RIGHT_BUTTON);
    press(GLUT_MIDDLE_BUTTON, 400, 100);  // on the cross
    expectPicked(0, 1, 1);
    EXPECT_EQ(activeButton, GLUT_MIDDLE_BUTTON);
  }
  {  // a press that picks another point takes it and its view
    press(GLUT_RIGHT_BUTTON, 60, 60);
    expectPicked(1, 3, 2);
    EXPECT_EQ(activeButton, GLUT_RIGHT_BUTTON);
  }
  {  // a press in the camera view turns it into a camera drag
    press(GLUT_LEFT_BUTTON, 700, 50);
    EXPECT_EQ(dragView, 3);
    EXPECT_EQ(lastMouseX, 300);
    EXPECT_EQ(lastMouseY, 50);
    EXPECT_EQ(activeButton, GLUT_LEFT_BUTTON);
  }
  {  // a press that picks nothing keeps the camera drag and its pointer, switches the mode
    press(GLUT_MIDDLE_BUTTON, 300, 300);
    press(GLUT_MIDDLE_BUTTON, 500, 400);
    EXPECT_EQ(dragView, 3);
    EXPECT_EQ(lastMouseX, 300);
    EXPECT_EQ(lastMouseY, 50);
    EXPECT_EQ(activeButton, GLUT_MIDDLE_BUTTON);
  }
  {  // another camera press records the new pointer
    press(GLUT_RIGHT_BUTTON, 790, 10);
    EXPECT_EQ(dragView, 3);
    EXPECT_EQ(lastMouseX, 390);
    EXPECT_EQ(lastMouseY, 10);
    EXPECT_EQ(activeButton, GLUT_RIGHT_BUTTON);
  }
  {  // a press that picks a point ends the camera drag
    press(GLUT_LEFT_BUTTON, 60, 460);
    expectPicked(0, 1, 1);
    EXPECT_EQ(lastMouseX, 390);
    EXPECT_EQ(lastMouseY, 10);
  }
}

TEST_F(Picking, AnyReleaseEndsTheDrag) {
  setPoint(1, 1, -560.0, 560.0, 0.0);
  {  // released by another button, elsewhere: the drag ends, the selection stays
    press(GLUT_LEFT_BUTTON, 60, 460);
    release(GLUT_RIGHT_BUTTON, 700, 100);
    expectDragEnded();
    EXPECT_EQ(selectedRow, 1);
    EXPECT_EQ(selectedCol, 1);
  }
  {  // a camera drag ends on the first release though a second button is held
    press(GLUT_LEFT_BUTTON, 600, 200);
    press(GLUT_MIDDLE_BUTTON, 610, 210);
    release(GLUT_LEFT_BUTTON, 620, 220);
    expectDragEnded();
    EXPECT_EQ(lastMouseX, 210);
    EXPECT_EQ(lastMouseY, 210);
  }
  {  // a release outside the window with an unusual button
    press(GLUT_LEFT_BUTTON, 60, 460);
    release(9, -100000, 100000);
    expectDragEnded();
  }
  {  // a state that is neither press nor release does nothing
    press(GLUT_RIGHT_BUTTON, 60, 460);
    mouse(GLUT_LEFT_BUTTON, 2, 600, 200);
    mouse(GLUT_LEFT_BUTTON, -1, 60, 60);
    expectPicked(0, 1, 1);
    EXPECT_EQ(activeButton, GLUT_RIGHT_BUTTON);
  }
}

TEST_F(Picking, PressesFarOutsideTheWindowUseTheTruncatingRemainder) {
  struct Case {
    int x, y, view;
  };
  // Negative remainders measure from the quadrant's near edge outwards.
  const Case cases[] = {
      {-10, 500, 0},                // front, left of the window
      {-401, 99999, 0},             // front, far below
      {INT_MIN, INT_MAX, 0},        // front, the extreme corner
      {-3, -5, 1},                  // top, above and left
      {INT_MIN, INT_MIN, 1},        // top, the other extreme corner
      {INT_MAX, INT_MAX, 2},        // side, far right and below
      {400, 1000000, 2},            // side, its left edge far below
  };
  for (const Case& c : cases) {
    const double mx = pressX(c.x, 800);
    const double my = pressY(c.y, 800);
    parkAll();
    switch (c.view) {
      case 0: setPoint(2, 1, mx, my, 0.0); break;
      case 1: setPoint(2, 1, mx, 0.0, -my); break;
      default: setPoint(2, 1, 0.0, my, -mx); break;
    }
    markState();
    press(GLUT_LEFT_BUTTON, c.x, c.y);
    EXPECT_EQ(dragView, c.view) << "press at " << c.x << ", " << c.y;
    EXPECT_EQ(selectedRow, 2);
    EXPECT_EQ(selectedCol, 1);
  }
  {  // INT_MIN % 400 is -48, INT_MAX % 400 is 47: the reference above is not vacuous
    EXPECT_EQ(pressX(INT_MIN, 800), -992.0);
    EXPECT_EQ(pressY(INT_MAX, 800), 612.0);
  }
  {  // a press outside the window and outside the camera view stores the button only
    markState();
    press(GLUT_MIDDLE_BUTTON, INT_MAX, 400);  // the row y = halfH
    expectNothingPicked(GLUT_MIDDLE_BUTTON);
  }
  {  // the camera view extends beyond the window to the right and above
    markState();
    press(GLUT_LEFT_BUTTON, INT_MAX, INT_MIN);
    EXPECT_EQ(dragView, 3);
    EXPECT_EQ(lastMouseX, INT_MAX - 400);
    EXPECT_EQ(lastMouseY, INT_MIN);
  }
}

TEST_F(Picking, OddWindowSizes) {
  windowWidth = 801;
  windowHeight = 601;  // halves 400 and 300
  {  // front view
    setPoint(0, 2, pressX(60, 801), pressY(500, 601), 0.0);
    ASSERT_EQ(controlPoints[0][2][0], -561.0);
    ASSERT_EQ(controlPoints[0][2][1], -199.0);
    markState();
    press(GLUT_LEFT_BUTTON, 60, 500);
    expectPicked(0, 0, 2);
  }
  {  // top view at the row y = halfH, whose remainder 0 gives my = H
    pressAmong({{3, 0, pressX(100, 801), 0.0, -pressY(300, 601)}}, 100, 300);
    expectPicked(1, 3, 0);
  }
  {  // side view
    pressAmong({{1, 0, 0.0, pressY(400, 601), -pressX(700, 801)}}, 700, 400);
    expectPicked(2, 1, 0);
  }
  {  // x = 401 with y = 299 is already the camera view; x = 400 is the cross
    markState();
    press(GLUT_LEFT_BUTTON, 401, 299);
    EXPECT_EQ(dragView, 3);
    EXPECT_EQ(lastMouseX, 1);
    markState();
    press(GLUT_LEFT_BUTTON, 400, 299);
    expectNothingPicked(GLUT_LEFT_BUTTON);
  }
}

TEST_F(Picking, TinyWindowsOnlyStoreTheButton) {
  // A point at every place the degenerate scale could put a press.
  for (int i = 0; i < kGridSize; ++i)
    for (int j = 0; j < kGridSize; ++j) setPoint(i, j, 0.0, 0.0, 0.0);
  const int sizes[][2] = {{1, 800}, {800, 1}, {0, 0}, {1, 1}, {0, 800}, {800, 0}};
  const int coordinates[] = {-5, 0, 1, 500};
  for (const auto& size : sizes) {
    windowWidth = size[0];
    windowHeight = size[1];
    for (int x : coordinates) {
      for (int y : coordinates) {
        if (x > windowWidth / 2 && y < windowHeight / 2) continue;  // camera view
        markState();
        press(GLUT_LEFT_BUTTON, x, y);
        expectNothingPicked(GLUT_LEFT_BUTTON);
      }
    }
    // an earlier drag survives such a press
    dragView = 1;
    selectedRow = 3;
    selectedCol = 3;
    press(GLUT_MIDDLE_BUTTON, 0, 500);
    expectPicked(1, 3, 3);
    EXPECT_EQ(activeButton, GLUT_MIDDLE_BUTTON);
  }
  {  // the camera view still starts drags in a window one pixel wide
    windowWidth = 1;
    windowHeight = 800;
    markState();
    press(GLUT_RIGHT_BUTTON, 1, 10);
    EXPECT_EQ(dragView, 3);
    EXPECT_EQ(lastMouseX, 1);
    EXPECT_EQ(lastMouseY, 10);
  }
  {  // two pixels is enough to pick: halves of 1, mx = -2, my = 2
    windowWidth = 2;
    windowHeight = 2;
    parkAll();
    setPoint(2, 3, -2.0, 2.0, 0.0);
    markState();
    press(GLUT_LEFT_BUTTON, 0, 2);
    expectPicked(0, 2, 3);
  }
}

namespace {

// The placement rule of a drag, written out in 64 bits: the value a pointer at (x, y) gives
// the two coordinates view 0..2 shows.
void referencePlacement(int view, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                        double p[3]) {
  const std::int64_t halfW = w / 2, halfH = h / 2;
  if (view == 0) {
    p[0] = static_cast<double>(4 * x - w);
    p[1] = static_cast<double>(h + 4 * (halfH - y));
  } else if (view == 1) {
    p[0] = static_cast<double>(4 * x - w);
    p[2] = static_cast<double>(-(h - 4 * y));
  } else {
    p[2] = static_cast<double>(-(4 * (x - halfW) - w));
    p[1] = static_cast<double>(h + 4 * (halfH - y));
  }
}

}  // namespace

TEST(PlaceControlPoint, FrontViewDocumentedDrag) {
  double p[3] = {1.0, 2.0, -400.0};
  placeControlPoint(0, 400, 600, 800, 800, p);
  EXPECT_EQ(p[0], 800.0);
  EXPECT_EQ(p[1], 0.0);
  EXPECT_EQ(p[2], -400.0);
}

TEST(PlaceControlPoint, LinearEverywhereAndKeepsTheHiddenCoordinate) {
  const int sizes[][2] = {{800, 800}, {801, 601}, {3, 5}, {1, 1}, {0, 0}};
  const int positions[] = {INT_MIN, -1000000, -801, -1, 0, 1, 59, 400, 599, 799, 800, 1000000, INT_MAX};
  const double hidden = 0.1;
  for (const auto& size : sizes) {
    for (int view = 0; view < 3; ++view) {
      const int hiddenIndex = view == 0 ? 2 : view == 1 ? 1 : 0;
      for (int x : positions) {
        for (int y : positions) {
          double p[3] = {-7.5, -7.5, -7.5};
          p[hiddenIndex] = hidden;
          double expected[3];
          std::memcpy(expected, p, sizeof p);
          referencePlacement(view, x, y, size[0], size[1], expected);
          placeControlPoint(view, x, y, size[0], size[1], p);
          ASSERT_EQ(std::memcmp(p, expected, sizeof p), 0)
              << "view " << view << " at " << x << ", " << y << " in " << size[0] << "x" << size[1]
              << ": got " << p[0] << ", " << p[1] << ", " << p[2];
        }
      }
    }
  }
  {  // named values: 32-bit arithmetic would have wrapped these
    double p[3] = {0.0, 0.0, 0.0};
    placeControlPoint(0, INT_MAX, INT_MIN, 800, 800, p);
    EXPECT_EQ(p[0], 8589934588.0 - 800.0);
    EXPECT_EQ(p[1], 800.0 + 4.0 * (400.0 + 2147483648.0));
    placeControlPoint(2, INT_MIN, 0, 800, 800, p);
    EXPECT_EQ(p[2], -(4.0 * (-2147483648.0 - 400.0) - 800.0));
  }
  {  // far outside at +-1e6
    double p[3] = {0.0, 0.0, 0.0};
    placeControlPoint(1, -1000000, 1000000, 800, 800, p);
    EXPECT_EQ(p[0], -4000800.0);
    EXPECT_EQ(p[2], -(800.0 - 4000000.0));
    EXPECT_EQ(p[1], 0.0);
  }
}

TEST(PlaceControlPoint, NoViewLeavesThePointAlone) {
  const int views[] = {3, -1, 4};
  for (int view : views) {
    double p[3] = {1.5, -2.5, 3.5};
    placeControlPoint(view, 10, 20, 800, 800, p);
    EXPECT_EQ(p[0], 1.5);
    EXPECT_EQ(p[1], -2.5);
    EXPECT_EQ(p[2], 3.5);
  }
}

TEST_F(Picking, PlacedPointIsUnderThePointerInsideItsQuadrant) {
  // Even sizes: the drag's absolute mapping and the press's quadrant mapping agree, so a
  // point just placed is picked again at distance 0 by a press at the same pixel.
  const int sizes[][2] = {{800, 800}, {640, 480}};
  for (const auto& size : sizes) {
    windowWidth = size[0];
    windowHeight = size[1];
    const int halfW = size[0] / 2, halfH = size[1] / 2;
    struct Quadrant {
      int view, x0, x1, y0, y1;
    };
    const Quadrant quadrants[] = {
        {0, 0, halfW - 1, halfH + 1, size[1] - 1},
        {1, 0, halfW - 1, 0, halfH - 1},
        {2, halfW, size[0] - 1, halfH + 1, size[1] - 1},
    };
    for (const Quadrant& q : quadrants) {
      for (int x = q.x0; x <= q.x1; x += 13) {
        for (int y = q.y0; y <= q.y1; y += 11) {
          parkAll();
          placeControlPoint(q.view, x, y, size[0], size[1], controlPoints[1][3]);
          markState();
          press(GLUT_LEFT_BUTTON, x, y);
          ASSERT_EQ(dragView, q.view) << x << ", " << y;
          ASSERT_EQ(selectedRow, 1);
          ASSERT_EQ(selectedCol, 3);
        }
      }
    }
  }
}
