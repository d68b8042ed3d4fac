// Recording onto a disk that fills up: a frame that cannot be written whole leaves no file
// behind and uses up no number, the viewer keeps going, and once a frame fits again it is
// written under the number that failed. Two ways to run out of room: a 4 MiB tmpfs on
// screenshots/ (needs root to mount) and a file-size limit on the viewer's process.
// inotify shows each failed attempt (the file created and removed again), so the test knows
// the attempt happened instead of guessing how long to wait.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/x_session.h"

namespace {

using e2e::frameBytes;
using e2e::frameFileName;
using e2e::frameNames;
using e2e::kFullFrameBytes;

class FullDiskE2eTest : public e2e::AppSessionTest {
 protected:
  void TearDown() override {
    if (watch >= 0) close(watch);
    // Lazy, so that an unmount never fails on a program still holding the directory.
    if (mounted) e2e::runCommand({"umount", "-l", frameDir()});
    AppSessionTest::TearDown();
  }

  void startWatching() {
    watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, frameDir().c_str(), IN_DELETE), 0);
  }

  // Waits until `name` has been deleted in screenshots/ since the last call.
  ::testing::AssertionResult removed(const std::string& name, int timeoutMs = 10000) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(e2e::scaledMs(timeoutMs));
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd pfd = {watch, POLLIN, 0};
      if (poll(&pfd, 1, 50) <= 0) continue;
      alignas(inotify_event) char buffer[4096];
      const ssize_t n = read(watch, buffer, sizeof buffer);
      for (ssize_t at = 0; at < n;) {
        const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0 && name == event->name) return ::testing::AssertionSuccess();
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return ::testing::AssertionFailure()
           << "no failed attempt at " << name << " was removed; files: "
           << ::testing::PrintToString(e2e::listFiles(frameDir()));
  }

  // Keys while the disk is full: each attempt at frame002 is made and undone, nothing stays.
  void expectFailedAttempts(int keys, const std::vector<std::string>& kept) {
    for (int i = 0; i < keys; ++i) {
      key(i % 2 == 0 ? XK_x : XK_a);
      ASSERT_TRUE(removed(frameFileName(2))) << "key " << i;
      EXPECT_EQ(e2e::listFiles(frameDir()), kept);
    }
    EXPECT_TRUE(e2e::isRunning(app));
  }

  int watch = -1;
  bool mounted = false;
};

TEST_F(FullDiskE2eTest, FullTmpfsLeavesNoTruncatedFrameAndReusesTheNumber) {
  ASSERT_TRUE(createFrameDir());
  // 4 MiB hold two frames of 1,920,018 bytes, not three.
  mounted = e2e::runCommand({"mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", frameDir()}) == 0;
  if (!mounted) GTEST_SKIP() << "cannot mount a tmpfs here (not root?); the limit test covers it";
  startWatching();
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  e2e::TgaImage image;
  ASSERT_TRUE(keyRecords(XK_s, 0, image));
  ASSERT_TRUE(keyRecords(XK_x, 1, image));

  // The first attempt comes with this key; three more keys try again.
  expectFailedAttempts(4, frameNames(0, 1));

  // Room again: the next frame takes the number that failed, and is whole.
  ASSERT_EQ(std::remove(framePath(0).c_str()), 0);
  ASSERT_EQ(std::remove(framePath(1).c_str()), 0);
  ASSERT_TRUE(keyRecords(XK_x, 2, image));
  EXPECT_EQ(e2e::listFiles(frameDir()), frameNames(2, 2));
  EXPECT_EQ(e2e::fileSize(framePath(2)), kFullFrameBytes);
}

TEST_F(FullDiskE2eTest, FileSizeLimitLeavesNoTruncatedFrameAndSmallFramesGoOn) {
  ASSERT_TRUE(createFrameDir());
  startWatching();
  // 1 MiB: a 400 by 400 frame (480,018 bytes) fits, an 800 by 800 one does not. The viewer
  // starts with SIGXFSZ at its default action, so surviving the limit is its own doing.
  e2e::LaunchOptions options;
  options.fileSizeLimit = 1 << 20;
  ASSERT_TRUE(launch(PATCHLUME_BINARY, options));
  const long small = frameBytes(400, 400);
  ASSERT_TRUE(e2e::resizeWindow(server.display, window, 400, 400));
  e2e::TgaImage image;
  ASSERT_TRUE(keyRecords(XK_s, 0, image, small));
  ASSERT_TRUE(keyRecords(XK_x, 1, image, small));

  // Back to full size: the redraw of the resize makes the first attempt.
  ASSERT_TRUE(e2e::resizeWindow(server.display, window, 800, 800));
  ASSERT_TRUE(removed(frameFileName(2)));
  // An even number of keys, so the axes are off again for the marker below.
  expectFailedAttempts(4, frameNames(0, 1));

  // Small again: frames fit, numbered on from the one that failed. A resize is drawn once or
  // twice, as the configure and expose events reach the viewer together or apart, so the
  // axes mark where the frames of this step end.
  ASSERT_TRUE(e2e::resizeWindow(server.display, window, 400, 400));
  ASSERT_TRUE(waitFrame(2, image, small));
  EXPECT_EQ(image.width, 400);
  int last = 0;
  ASSERT_TRUE(settledFrame(2, last, image, small));
  EXPECT_EQ(e2e::listFiles(frameDir()), frameNames(0, last));
  for (int i = 0; i <= last; ++i) EXPECT_EQ(e2e::fileSize(framePath(i)), small) << i;

  int status = 0;
  ASSERT_TRUE(quit(status));
  ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
