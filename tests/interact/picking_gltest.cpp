// Drags through the real motion callback: it re-tessellates and posts a redisplay, so it
// needs the GLUT window.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>

#include "app/shell.h"
#include "app/state.h"
#include "interact/picking.h"
#include "model/basis.h"
#include "support/gl_window.h"
#include "support/viewer_gl_test.h"

namespace {

int displayCalls = 0;
void countingDisplay() { ++displayCalls; }

bool sameBits(const double* a, const double* b, size_t count) {
  return std::memcmp(a, b, count * sizeof(double)) == 0;
}

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

TEST_F(Drag, FrontViewMovesThePointToThePointer) {
  mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 60, 460);
  ASSERT_EQ(dragView, 0);
  ASSERT_EQ(selectedRow, 0);
  ASSERT_EQ(selectedCol, 0);
  const support::ViewerGlobals before = support::saveViewerGlobals();
  const double z = controlPoints[0][0][2];
  motion(400, 600);
  EXPECT_EQ(controlPoints[0][0][0], 800.0);
  EXPECT_EQ(controlPoints[0][0][1], 0.0);
  EXPECT_TRUE(sameBits(&controlPoints[0][0][2], &z, 1));
  EXPECT_TRUE(support::gridUnchangedSince(before, 0, 0));
  // the corner sample is the corner control point, exactly
  EXPECT_TRUE(sameBits(surfacePoints[0][0], controlPoints[0][0], 3));
  // an orthographic drag leaves the camera and the camera pointer alone
  EXPECT_TRUE(support::cameraUnchangedSince(before));
  EXPECT_EQ(lastMouseX, before.lastMouseX);
  EXPECT_EQ(lastMouseY, before.lastMouseY);
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
  mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 60, 100);
  ASSERT_EQ(dragView, 1);
  ASSERT_EQ(selectedRow, 0);
  ASSERT_EQ(selectedCol, 3);
  const support::ViewerGlobals before = support::saveViewerGlobals();
  const double y = controlPoints[0][3][1];
  motion(300, 700);
  EXPECT_EQ(controlPoints[0][3][0], 400.0);
  EXPECT_EQ(controlPoints[0][3][2], 2000.0);
  EXPECT_TRUE(sameBits(&controlPoints[0][3][1], &y, 1));
  EXPECT_TRUE(support::gridUnchangedSince(before, 0, 3));
  EXPECT_TRUE(sameBits(surfacePoints[0][kSamples - 1], controlPoints[0][3], 3));
}

TEST_F(Drag, SideViewKeepsX) {
  // (0, 0) and (3, 0) share z and y, so the side view shows them as one: the later wins.
  mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 700, 460);
  ASSERT_EQ(dragView, 2);
  ASSERT_EQ(selectedRow, 3);
  ASSERT_EQ(selectedCol, 0);
  const support::ViewerGlobals before = support::saveViewerGlobals();
  const double x = controlPoints[3][0][0];
  motion(500, 300);
  EXPECT_EQ(controlPoints[3][0][2], 400.0);
  EXPECT_EQ(controlPoints[3][0][1], 1200.0);
  EXPECT_TRUE(sameBits(&controlPoints[3][0][0], &x, 1));
  EXPECT_TRUE(support::gridUnchangedSince(before, 3, 0));
  EXPECT_TRUE(sameBits(surfacePoints[kSamples - 1][0], controlPoints[3][0], 3));
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
  displayCalls = 0;
  EXPECT_TRUE(pumpGlEventsUntil([] { return displayCalls > 0; }));
  glutDisplayFunc(display);
}
