// Undo and redo of point drags: the ring on its own, then the steps the mouse handler makes
// from presses and releases (no motion callback, which needs GLUT: the point is placed as it
// would place it).
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/state.h"
#include "interact/history.h"
#include "interact/picking.h"
#include "model/basis.h"

namespace {

using Grid = double[kGridSize][kGridSize][3];

std::vector<double> flat(const Grid grid) { return std::vector<double>(&grid[0][0][0], &grid[0][0][0] + 48); }

// Moves grid[row][col] to (x, y, z) and records it as one drag.
bool drag(DragHistory* history, Grid grid, int row, int col, double x, double y, double z) {
  double before[3];
  std::memcpy(before, grid[row][col], sizeof before);
  grid[row][col][0] = x, grid[row][col][1] = y, grid[row][col][2] = z;
  return recordDragStep(history, row, col, before, grid[row][col]);
}

}  // namespace

TEST(DragHistory, UndoAndRedoWalkBackAndForthAndStopAtTheEnds) {
  static DragHistory history;
  clearHistory(&history);
  Grid grid = {};
  std::vector<std::vector<double>> states = {flat(grid)};
  ASSERT_TRUE(drag(&history, grid, 0, 1, 1, 2, 3));
  states.push_back(flat(grid));
  ASSERT_TRUE(drag(&history, grid, 2, 3, 4, 5, 6));
  states.push_back(flat(grid));
  ASSERT_TRUE(drag(&history, grid, 0, 1, 7, 8, 9));
  states.push_back(flat(grid));
  // a drag that ended where it started is no step
  EXPECT_FALSE(drag(&history, grid, 3, 0, 0, 0, 0));

  for (int n = 2; n >= 0; --n) {
    EXPECT_TRUE(undoDragStep(&history, grid));
    EXPECT_EQ(flat(grid), states[n]);
  }
  EXPECT_FALSE(undoDragStep(&history, grid));
  EXPECT_EQ(flat(grid), states[0]);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_TRUE(redoDragStep(&history, grid));
    EXPECT_EQ(flat(grid), states[n]);
  }
  EXPECT_FALSE(redoDragStep(&history, grid));
  EXPECT_EQ(flat(grid), states[3]);

  // a new drag after two undos drops both steps that could have been redone
  undoDragStep(&history, grid);
  undoDragStep(&history, grid);
  ASSERT_TRUE(drag(&history, grid, 1, 1, -1, -1, -1));
  const std::vector<double> latest = flat(grid);
  EXPECT_FALSE(redoDragStep(&history, grid));
  EXPECT_EQ(flat(grid), latest);
  EXPECT_TRUE(undoDragStep(&history, grid));
  EXPECT_EQ(flat(grid), states[1]);
}

TEST(DragHistory, AFullRingForgetsTheOldestSteps) {
  static DragHistory history;
  clearHistory(&history);
  Grid grid = {};
  // drag n takes the point from x = n - 1 to x = n
  for (int n = 1; n <= kHistorySteps + 2; ++n) ASSERT_TRUE(drag(&history, grid, 1, 1, n, 0, 0));
  for (int n = 0; n < kHistorySteps; ++n) ASSERT_TRUE(undoDragStep(&history, grid)) << n;
  EXPECT_FALSE(undoDragStep(&history, grid));
  EXPECT_EQ(grid[1][1][0], 2.0);
  for (int n = 0; n < kHistorySteps; ++n) ASSERT_TRUE(redoDragStep(&history, grid)) << n;
  EXPECT_FALSE(redoDragStep(&history, grid));
  EXPECT_EQ(grid[1][1][0], kHistorySteps + 2.0);
}

class DragSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    initBinomials();
    initBernstein();
    initControlGrid();
    clearHistory(&dragHistory);
    std::memcpy(start, controlPoints, sizeof start);
  }
  void TearDown() override {
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    initControlGrid();
    clearHistory(&dragHistory);
  }
  // What motion does to the picked point, in the 800 by 800 window.
  static void moveTo(int x, int y) {
    placeControlPoint(dragView, x, y, 800, 800, controlPoints[selectedRow][selectedCol]);
  }
  Grid start;
};

TEST_F(DragSteps, OnlyPointDragsThatMovedBecomeStepsAndUndoWaitsForTheRelease) {
  // a camera drag, and a press on point (0, 0) released without a motion
  mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 600, 200);
  mouse(GLUT_LEFT_BUTTON, GLUT_UP, 650, 250);
  mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 60, 460);
  mouse(GLUT_LEFT_BUTTON, GLUT_UP, 60, 460);
  EXPECT_FALSE(undoLastDrag());

  mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 60, 460);
  moveTo(90, 430);
  moveTo(80, 440);
  Grid moved;
  std::memcpy(moved, controlPoints, sizeof moved);
  EXPECT_FALSE(undoLastDrag()) << "undo during the drag";
  EXPECT_EQ(flat(controlPoints), flat(moved));
  mouse(GLUT_LEFT_BUTTON, GLUT_UP, 80, 440);

  // each way re-tessellates: the corner sample is the corner point
  EXPECT_TRUE(undoLastDrag());
  EXPECT_EQ(flat(controlPoints), flat(start));
  EXPECT_EQ(surfacePoints[0][0][0], start[0][0][0]);
  EXPECT_TRUE(redoLastDrag());
  EXPECT_EQ(flat(controlPoints), flat(moved));
  EXPECT_EQ(surfacePoints[0][0][0], moved[0][0][0]);
  EXPECT_FALSE(redoLastDrag());
}

TEST_F(DragSteps, APressThatTakesTheDragOverEndsTheStepBeforeIt) {
  mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 60, 460);    // point (0, 0) in the front view
  moveTo(100, 500);
  mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 340, 740);  // point (3, 3), buttons still held
  ASSERT_EQ(selectedRow, 3);
  moveTo(300, 700);
  Grid both;
  std::memcpy(both, controlPoints, sizeof both);
  mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 600, 200);  // the camera takes over
  mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 600, 200);

  ASSERT_TRUE(undoLastDrag());
  EXPECT_EQ(std::vector<double>(controlPoints[3][3], controlPoints[3][3] + 3),
            std::vector<double>(start[3][3], start[3][3] + 3));
  EXPECT_EQ(controlPoints[0][0][0], both[0][0][0]);
  ASSERT_TRUE(undoLastDrag());
  EXPECT_EQ(flat(controlPoints), flat(start));
  EXPECT_FALSE(undoLastDrag());
}

TEST_F(DragSteps, RedoStepsDropDragsDuringADragAndOneAxisDrags) {
  // p presses the left button at (a, b), m moves the point there, r releases (the grid then
  // becomes the next state); u and R undo and redo, returning a (0 or 1), the grid then being
  // state b (-1: as before the step).
  struct Step {
    char op;
    int a = 0, b = -1;
  };
  const struct {
    const char* label;
    std::vector<Step> steps;
  } cases[] = {
      {"a new drag after undos drops every redo step",
       {{'p', 60, 460}, {'m', 90, 430}, {'r'}, {'p', 340, 740}, {'m', 300, 700}, {'r'}, {'u', 1, 1}, {'u', 1, 0},
        {'p', 60, 460}, {'m', 120, 400}, {'r'}, {'R', 0, 3}, {'u', 1, 0}, {'u', 0, 0}, {'R', 1, 3}, {'R', 0, 3}}},
      {"undo and redo change nothing while a point is dragged",
       {{'p', 60, 460}, {'m', 90, 430}, {'r'}, {'p', 340, 740}, {'m', 300, 700}, {'r'}, {'u', 1, 1},
        {'p', 90, 430}, {'m', 120, 400}, {'u', 0}, {'R', 0}, {'r'}, {'u', 1, 1}}},
      // (60, 100) is point (0, 0) in the top view; straight down only its z changes
      {"a drag in z alone in the top view is a step", {{'p', 60, 100}, {'m', 60, 150}, {'r'}, {'u', 1, 0}, {'R', 1, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    std::vector<std::vector<double>> states = {flat(controlPoints)};
    for (const Step& step : c.steps) {
      const std::vector<double> before = flat(controlPoints);
      if (step.op == 'p') mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, step.a, step.b);
      if (step.op == 'm') moveTo(step.a, step.b);
      if (step.op == 'r') mouse(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0), states.push_back(flat(controlPoints));
      if (step.op == 'u' || step.op == 'R') {
        EXPECT_EQ(step.op == 'u' ? undoLastDrag() : redoLastDrag(), step.a == 1) << step.op;
        EXPECT_EQ(flat(controlPoints), step.b < 0 ? before : states[step.b]) << step.op;
      }
    }
  }
}
