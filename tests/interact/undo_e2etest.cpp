// Undo and redo with real X input: two drags walked back and forth by every key that undoes
// or redoes, stopping at both ends; a camera move and a press that moved nothing are no
// steps; a drag after an undo drops what could have been redone. Frames compared bit for bit.
#include <gtest/gtest.h>

#include "support/x_session.h"

namespace {

class UndoE2eTest : public e2e::AppSessionTest {
 protected:
  // The settled frame after all input so far.
  e2e::TgaImage settled() {
    e2e::TgaImage image;
    int number = 0;
    EXPECT_TRUE(settledFrame(next, number, image));
    next = number + 1;
    return image;
  }
  void chord(KeySym keysym) {
    e2e::focusWindow(server.display, window);
    ASSERT_TRUE(e2e::typeKeyWith(server.display, XK_Control_L, keysym));
  }
  int next = 1;
};

TEST_F(UndoE2eTest, TwoDragsWalkBackAndForthAndStopAtTheEnds) {
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  e2e::TgaImage start;
  ASSERT_TRUE(keyRecords(XK_s, 0, start));
  drag(1, 600, 200, 640, 230);  // orbits the camera: no step
  const e2e::TgaImage orbited = settled();
  drag(1, 60, 460, 120, 400);  // point (0, 0) in the front view
  const e2e::TgaImage one = settled();
  e2e::movePointer(server.display, window, 340, 740);  // point (3, 3) pressed, not moved
  e2e::pressButton(server.display, 1);
  e2e::releaseButton(server.display, 1);
  drag(1, 340, 740, 300, 640);
  const e2e::TgaImage two = settled();
  ASSERT_FALSE(orbited.data == start.data);
  ASSERT_FALSE(one.data == orbited.data);
  ASSERT_FALSE(two.data == one.data);

  const struct {
    const char* label;
    KeySym keysym;
    bool shift, control;
    const e2e::TgaImage* expected;
  } walk[] = {
      {"u", XK_u, false, false, &one},       {"Ctrl+Z", XK_z, false, true, &orbited},
      {"U at the start", XK_u, true, false, &orbited}, {"r", XK_r, false, false, &one},
      {"Ctrl+Y", XK_y, false, true, &two},   {"R at the end", XK_r, true, false, &two},
      {"u again", XK_u, false, false, &one},
  };
  for (const auto& step : walk) {
    SCOPED_TRACE(step.label);
    if (step.control) {
      chord(step.keysym);
    } else {
      key(step.keysym, step.shift);
    }
    EXPECT_TRUE(settled().data == step.expected->data);
  }

  // A new drag drops the redo of the second one.
  drag(1, 60, 740, 100, 700);  // point (0, 3)
  const e2e::TgaImage three = settled();
  ASSERT_FALSE(three.data == one.data);
  key(XK_r);
  EXPECT_TRUE(settled().data == three.data);
  key(XK_u);
  EXPECT_TRUE(settled().data == one.data);
}

}  // namespace
