// Drags through the real motion callback: it re-tessellates and posts a redisplay, so it
// needs the GLUT window.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>

#include "app/shell.h"
#include "app/state.h"
#include "interact/picking.h"
#include "model/basis.h"
#include "support/compare.h"
#include "support/gl_window.h"
#include "support/viewer_gl_fixture.h"

namespace {

using support::sameBits;

// The window, the start-up scene and no button held; every global put back afterwards.
class Drag : public support::ViewerGlTest {
 protected:
  void SetUp() override {
    ViewerGlTest::SetUp();
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
  }
  void TearDown() override {
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    ViewerGlTest::TearDown();
  }
};

}  // namespace

namespace {

// A press that picks a point in an orthographic view, and one motion of the drag.
struct OrthoDrag {
  int button, pressX, pressY;
  int view, row, col;  // what the press must pick
  int x, y;            // the motion
  int kept;            // the coordinate the view does not show
  int firstShown, secondShown;
  double first, second;     // their values after the motion
  int sampleK, sampleL;     // the corner sample that is the point
};

// The drag moves the two shown coordinates of the picked point and nothing else: not its
// hidden coordinate, no other point, not the camera or its pointer. The surface follows.
void expectDragMovesOnlyThePoint(const OrthoDrag& d) {
  mouse(d.button, GLUT_DOWN, d.pressX, d.pressY);
  ASSERT_EQ(dragView, d.view);
  ASSERT_EQ(selectedRow, d.row);
  ASSERT_EQ(selectedCol, d.col);
  const support::ViewerGlobals before = support::saveViewerGlobals();
  const double* p = controlPoints[d.row][d.col];
  const double kept = p[d.kept];
  motion(d.x, d.y);
  EXPECT_EQ(p[d.firstShown], d.first);
  EXPECT_EQ(p[d.secondShown], d.second);
  EXPECT_TRUE(sameBits(&p[d.kept], &kept, 1));
  EXPECT_TRUE(support::gridUnchangedSince(before, d.row, d.col));
  // the corner sample is the corner control point, exactly
  EXPECT_TRUE(sameBits(surfacePoints[d.sampleK][d.sampleL], p, 3));
  EXPECT_TRUE(support::cameraUnchangedSince(before));
  EXPECT_EQ(lastMouseX, before.lastMouseX);
  EXPECT_EQ(lastMouseY, before.lastMouseY);
}

}  // namespace

TEST_F(Drag, FrontViewMovesThePointToThePointer) {
  expectDragMovesOnlyThePoint(
      {GLUT_LEFT_BUTTON, 60, 460, 0, 0, 0, 400, 600, 2, 0, 1, 800.0, 0.0, 0, 0});
  if (HasFatalFailure()) return;
  {  // far outside the window, by the same linear mapping
    motion(-1000000, 1000000);
    EXPECT_EQ(controlPoints[0][0][0], -4000000.0 - 800.0);
    EXPECT_EQ(controlPoints[0][0][1], 800.0 + 4.0 * (400.0 - 1000000.0));
    EXPECT_TRUE(sameBits(surfacePoints[0][0], controlPoints[0][0], 3));
  }
}

TEST_F(Drag, FirstMotionSnapsThePickedPointOntoThePointer) {
  // 16 units off still picks; the first motion at the same pixel puts the point under it.
  mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 64, 460);
  ASSERT_EQ(dragView, 0);
  motion(64, 460);
  EXPECT_EQ(controlPoints[0][0][0], -544.0);
  EXPECT_EQ(controlPoints[0][0][1], 560.0);
}

TEST_F(Drag, TopViewKeepsY) {
  // (0, 0) and (0, 3) share x and z, so the top view shows them as one: the later wins.
  ASSERT_EQ(controlPoints[0][0][2], controlPoints[0][3][2]);
  expectDragMovesOnlyThePoint(
      {GLUT_LEFT_BUTTON, 60, 100, 1, 0, 3, 300, 700, 1, 0, 2, 400.0, 2000.0, 0, kSamples - 1});
}

TEST_F(Drag, SideViewKeepsX) {
  // (0, 0) and (3, 0) share z and y, so the side view shows them as one: the later wins.
  expectDragMovesOnlyThePoint(
      {GLUT_RIGHT_BUTTON, 700, 460, 2, 3, 0, 500, 300, 0, 2, 1, 400.0, 1200.0, kSamples - 1, 0});
}

TEST_F(Drag, MotionWithoutADragMovesNothingButRetessellates) {
  // Moved behind the model's back: only a re-tessellation brings the surface along.
  controlPoints[3][3][0] = 123.0;
  controlPoints[3][3][2] = -77.0;
  ASSERT_NE(surfacePoints[kSamples - 1][kSamples - 1][0], 123.0);
  {  // no drag at all
    const support::ViewerGlobals before = support::saveViewerGlobals();
    motion(123, 456);
    EXPECT_TRUE(support::gridUnchangedSince(before));
    EXPECT_TRUE(support::cameraUnchangedSince(before));
    EXPECT_EQ(lastMouseX, before.lastMouseX);
    EXPECT_EQ(lastMouseY, before.lastMouseY);
    EXPECT_TRUE(sameBits(surfacePoints[kSamples - 1][kSamples - 1], controlPoints[3][3], 3));
  }
  {  // a release of one of two held buttons ends the drag
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 60, 460);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 300, 300);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 300, 300);
    ASSERT_EQ(dragView, -1);
    const support::ViewerGlobals before = support::saveViewerGlobals();
    motion(200, 700);
    EXPECT_TRUE(support::gridUnchangedSince(before));
    EXPECT_TRUE(support::cameraUnchangedSince(before));
  }
}

TEST_F(Drag, CameraDragMovesNoControlPoint) {
  mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 600, 200);
  ASSERT_EQ(dragView, 3);
  controlPoints[0][0][1] = 999.0;  // not yet tessellated
  const support::ViewerGlobals before = support::saveViewerGlobals();
  motion(600, 400);
  EXPECT_NEAR(cameraEye[1], 1.0f, 1e-6);
  EXPECT_NEAR(cameraUp[2], -1.0f, 1e-6);
  EXPECT_EQ(lastMouseX, 200);
  EXPECT_EQ(lastMouseY, 400);
  EXPECT_TRUE(support::gridUnchangedSince(before));
  EXPECT_TRUE(sameBits(surfacePoints[0][0], controlPoints[0][0], 3));
}

TEST_F(Drag, EveryMotionPostsARedisplay) {
  // The requests are counted where they are made: one a motion, none a press.
  glutDisplayFunc(countingDisplay);
  struct Step {
    const char* what;
    int pressX, pressY;  // -1: no press
    int x, y;
  };
  const Step steps[] = {
      {"no drag", -1, -1, 10, 10},
      {"point drag", 60, 460, 70, 470},
      {"camera drag", 600, 200, 610, 210},
  };
  for (const Step& step : steps) {
    const int beforePress = postedRedisplays();
    if (step.pressX >= 0) mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, step.pressX, step.pressY);
    EXPECT_EQ(postedRedisplays(), beforePress) << step.what << ": the press";
    const int before = postedRedisplays();
    motion(step.x, step.y);
    EXPECT_EQ(postedRedisplays() - before, 1) << step.what;
  }
  // and a request brings a frame
  glutPopWindow();
  EXPECT_TRUE(nextFrameDrawn());
  glutDisplayFunc(display);
}
