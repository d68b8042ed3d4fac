// One short session with every kind of input: the texture loaded, recording, a point dragged,
// the camera orbited, zoomed and panned, a resize, keys, a video, a snapshot and a turn
// (in a small window, so that encoding stays quick under valgrind), Escape finishing a video. scripts/memcheck.sh runs it
// with the viewer under valgrind (PATCHLUME_E2E_WRAPPER, waits stretched by
// PATCHLUME_E2E_TIMEOUT_SCALE); without a wrapper it is an ordinary session test.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstring>

#include "support/recording_session.h"

namespace {

class MemcheckE2eTest : public e2e::RecordingSessionTest {};

TEST_F(MemcheckE2eTest, ShortSessionOfEveryInputKindExitsWithStatusZero) {
  ASSERT_TRUE(e2e::copyFile(PATCHLUME_ASSETS "/cubemap.png", path("cubemap.png")));
  e2e::TgaImage frame;
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, frame));

  // Front view: [1][1] is drawn at (153, 553); the pointer ends where x = y = 400.
  drag(1, 153, 553, 300, 480, 4);
  drag(1, 600, 200, 640, 260, 4);  // orbit
  drag(3, 600, 200, 600, 150, 3);  // nearer
  drag(2, 600, 200, 650, 230, 3);  // pan
  int number = 0;
  ASSERT_TRUE(settledFrame(1, number, frame));
  // The drag reached the model: the point, yellow of row 1, sits on the pointer.
  const e2e::Rgb moved = frame.at(300, 480);
  EXPECT_TRUE(moved.r > 150 && moved.g > 150 && moved.b < 80)
      << "(" << moved.r << ", " << moved.g << ", " << moved.b << ") at the drag's end";

  ASSERT_TRUE(e2e::resizeWindow(server.display, window, 640, 480));
  ASSERT_TRUE(keyRecords(XK_x, number + 1, frame, e2e::frameBytes(640, 480)));
  key(XK_a, true);
  key(XK_s, true);

  ASSERT_TRUE(e2e::resizeWindow(server.display, window, 96, 64));
  // Keys, then what stdout says once they are done; p draws after v, so the video has a picture.
  std::string out = "width: 1024 height: 768\n";
  for (const char* step : {"vp saved patchlume000.png", "V recorded patchlume000.mp4", "t recorded turntable000.mp4",
                           "vp saved patchlume001.png"}) {
    for (const char* k = step; *k != ' '; ++k) key(XStringToKeysym(std::string(1, *k).c_str()), *k == 'V');
    out += std::string(std::strchr(step, ' ') + 1) + "\n";
    ASSERT_TRUE(e2e::waitForFileContents(path("stdout.txt"), out, 60000)) << e2e::readTextFile(path("stdout.txt"));
  }
  int status = 0;
  ASSERT_TRUE(quit(status, 30000));
  ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "stderr: " << e2e::readTextFile(path("stderr.txt"));
  // Escape finished the video v started.
  EXPECT_EQ(e2e::readTextFile(path("stdout.txt")), out + "recorded patchlume001.mp4\n");
}

}  // namespace
