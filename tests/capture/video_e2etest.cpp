// Videos and snapshots from the real binary: what ffprobe reads of the files v and t write,
// the PNG of p against the TGA of s from the same pass, and the refusals (a read-only
// working directory, a size limit met halfway, an option's value), each told in one line
// with no file left; from the command line, status 0 or 1.
#include <gtest/gtest.h>

#include <lodepng.h>
#include <sys/stat.h>  // chmod
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/video_probe.h"
#include "support/x_session.h"

namespace {

const std::string kAtlasLine = "width: 1024 height: 768\n";  // the default atlas, read at start

class VideoE2eTest : public e2e::AppSessionTest {
 protected:
  ::testing::AssertionResult said(const std::string& text, const char* file = "stdout.txt") {
    if (e2e::waitForFileContents(path(file), text, 30000)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << file << " holds \"" << e2e::readTextFile(path(file)) << "\"";
  }
  std::vector<std::string> written() {  // the working directory's files besides the output
    std::vector<std::string> names;
    for (const std::string& name : e2e::listFiles(workDir))
      if (name != "stdout.txt" && name != "stderr.txt" && name != "screenshots" && name != "bin") names.push_back(name);
    return names;
  }
};

TEST_F(VideoE2eTest, AVideoLastsAsLongAsItsRecordingATurnHas120FramesAKeyCancelsOneAndPMatchesS) {
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  key(XK_v);
  const auto start = std::chrono::steady_clock::now();
  e2e::sleepMs(300);
  drag(1, 600, 200, 700, 260, 12);  // orbit the camera
  e2e::sleepMs(2000);
  key(XK_v, true);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(said(kAtlasLine + "recorded patchlume000.mp4\n"));
  const std::string probed = support::probeVideo(path("patchlume000.mp4"));  // frames, duration last
  EXPECT_EQ(probed.substr(0, probed.rfind(',')), "h264,800,800,yuv420p,30/1,30/1");
  EXPECT_NEAR(std::stod(probed.substr(probed.find('\n') + 1)), seconds, 0.2);

  key(XK_t);
  ASSERT_TRUE(said(kAtlasLine + "recorded patchlume000.mp4\nrecorded turntable000.mp4\n"));
  EXPECT_EQ(support::probeVideo(path("turntable000.mp4")), "h264,800,800,yuv420p,30/1,30/1,120\n4.000000\n");
  key(XK_T, true);
  key(XK_x);
  ASSERT_TRUE(said("turntable001.mp4: turntable cancelled, nothing written\n", "stderr.txt"));

  // p in the pass that records a frame with s.
  e2e::TgaImage frame;
  ASSERT_TRUE(keyRecords(XK_s, 0, frame));
  ASSERT_TRUE(keyRecords(XK_p, 1, frame));
  ASSERT_TRUE(said(kAtlasLine + "recorded patchlume000.mp4\nrecorded turntable000.mp4\nsaved patchlume000.png\n"));
  EXPECT_EQ(written(), (std::vector<std::string>{"patchlume000.mp4", "patchlume000.png", "turntable000.mp4"}));
  std::vector<unsigned char> rgb;
  unsigned width = 0, height = 0;
  ASSERT_EQ(lodepng::decode(rgb, width, height, path("patchlume000.png"), LCT_RGB, 8), 0u);
  ASSERT_EQ(width * height, 800u * 800u);
  int differing = 0;
  for (int i = 0; i < 800 * 800; ++i) differing += frame.at(i % 800, i / 800) != e2e::Rgb{rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
  EXPECT_EQ(differing, 0);
}

TEST_F(VideoE2eTest, RefusalsSayWhyOnceAndLeaveNoFileAndTheCommandLineWritesOrExitsWithOne) {
  // A read-only working directory: v, t and p each say why; the viewer goes on. It runs as
  // nobody, whom file modes bind, from a copy nobody can reach through the working directory.
  const std::string binary = binaryWithoutData(PATCHLUME_BINARY);
  chmod(workDir.c_str(), 0555);
  ASSERT_TRUE(launch(binary, {-1, {}, /*unprivileged=*/true}));
  for (const KeySym k : {XK_v, XK_t, XK_p}) key(k);
  ASSERT_TRUE(said("patchlume000.mp4: cannot write in .: Permission denied\nturntable000.mp4: cannot write in .: "
                   "Permission denied\npatchlume000.png: cannot write in .: Permission denied\n", "stderr.txt"));
  int status = 0;
  ASSERT_TRUE(quit(status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  chmod(workDir.c_str(), 0700);
  // The command line: status 0 written, 1 refused or failed with the reason.
  const struct {
    long sizeLimit;  // 16 KiB: the turn's file passes it a third of the way round
    std::vector<std::string> args;
    int status;
    std::string err;
  } runs[] = {{16 * 1024, {"--turntable", "big.mp4"}, 1, "big.mp4: File too large\n"},
              {-1, {"--turntable", "t.mp4", "--fps", "abc"}, 1, "patchlume: --fps abc: not a whole number from 1 to 240\n"},
              {-1, {"--turntable", "t.mp4", "--frames", "12", "--fps", "24"}, 0, ""},
              {-1, {"--snapshot", "s.png"}, 0, ""}};
  for (const auto& run : runs) {
    ASSERT_TRUE(e2e::waitForExit(e2e::launchProcess(binary, workDir, server.name(), {run.sizeLimit, run.args}), 30000, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == run.status) << "wait status " << status;
    EXPECT_EQ(e2e::readTextFile(path("stderr.txt")), run.err);
  }
  EXPECT_EQ(written(), (std::vector<std::string>{"s.png", "t.mp4"}));  // nothing of the refusals
  EXPECT_EQ(support::probeVideo(path("t.mp4")), "h264,800,800,yuv420p,24/1,24/1,12\n0.500000\n");
}

}  // namespace
