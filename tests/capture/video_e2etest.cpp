// Videos and snapshots from the real binary: what ffprobe and ffmpeg read of the files v and
// t write, the PNG of p against the TGA of s from the same pass, a turn cancelled by a
// click, and the refusals (a read-only working directory, a size limit met halfway, a
// refused option value), each told in one line with no file left.
#include <gtest/gtest.h>

#include <lodepng.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/video_probe.h"
#include "support/x_session.h"

namespace {

const std::string kAtlasLine = "width: 1024 height: 768\n";  // the default atlas, read at start

// codec, pixel format, rate and size as every video of the viewer has them, and whether
// every frame decodes.
std::string shareable(const std::string& file) {
  auto got = support::probeVideo(file);
  return got["error"] + got["codec_name"] + " " + got["pix_fmt"] + " " + got["r_frame_rate"] + " " +
         got["avg_frame_rate"] + " " + got["width"] + "x" + got["height"] +
         (got["nb_read_frames"] == got["nb_frames"] ? "" : " not every frame decodes");
}
constexpr char kShareable[] = "h264 yuv420p 30/1 30/1 800x800";

class VideoE2eTest : public e2e::AppSessionTest {
 protected:
  ::testing::AssertionResult said(const std::string& file, const std::string& text) {
    if (e2e::waitForFileContents(path(file), text, 30000)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << file << " holds \"" << e2e::readTextFile(path(file)) << "\"";
  }
  // The working directory's files besides the program's output.
  std::vector<std::string> written() {
    std::vector<std::string> names;
    for (const std::string& name : e2e::listFiles(workDir))
      if (name != "stdout.txt" && name != "stderr.txt" && name != "screenshots") names.push_back(name);
    return names;
  }
  void quitWithStatusZero() {
    int status = 0;
    const Window shown = window;
    ASSERT_TRUE(quit(status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    ASSERT_TRUE(e2e::waitUntilGone(server.display, shown));
  }
};

TEST_F(VideoE2eTest, ASessionVideoLastsAsLongAsTheRecordingAndAResizeIsPaddedWithBlack) {
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  key(XK_v);
  const auto start = std::chrono::steady_clock::now();
  e2e::sleepMs(300);
  drag(1, 600, 200, 700, 260, 12);  // orbit the camera
  e2e::sleepMs(2000);
  ASSERT_TRUE(e2e::resizeWindow(server.display, window, 600, 800));
  e2e::sleepMs(300);
  key(XK_v, true);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(said("stdout.txt", kAtlasLine + "recorded patchlume000.mp4\n"));
  EXPECT_EQ(written(), std::vector<std::string>{"patchlume000.mp4"});
  EXPECT_EQ(shareable(path("patchlume000.mp4")), kShareable);
  EXPECT_NEAR(std::stod("0" + support::probeVideo(path("patchlume000.mp4"))["duration"]), seconds, 0.2);
  // Pixel (700, 600): the side view's pale background at first, black once the window is
  // 600 wide.
  const std::vector<unsigned char> rgb = support::decodeVideo(path("patchlume000.mp4"));
  const std::size_t frame = 3 * 800 * 800, at = 3 * (600 * 800 + 700);
  ASSERT_GE(rgb.size(), 2 * frame);
  EXPECT_GE(rgb[at], 240);
  EXPECT_LE(rgb[rgb.size() - frame + at] + rgb[rgb.size() - frame + at + 1] + rgb[rgb.size() - frame + at + 2], 12);
  EXPECT_EQ(e2e::readTextFile(path("stderr.txt")), "");
  quitWithStatusZero();
}

TEST_F(VideoE2eTest, ATurnOf120FramesPutsTheCameraBackPMatchesSAndAClickCancels) {
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  e2e::TgaImage before, after, same;
  ASSERT_TRUE(keyRecords(XK_s, 0, before));
  key(XK_s);
  key(XK_t);
  ASSERT_TRUE(said("stdout.txt", kAtlasLine + "recorded turntable000.mp4\n"));
  EXPECT_EQ(shareable(path("turntable000.mp4")), kShareable);
  EXPECT_EQ(support::probeVideo(path("turntable000.mp4"))["nb_read_frames"], "120");
  ASSERT_TRUE(keyRecords(XK_s, 1, after));
  EXPECT_TRUE(after.data == before.data) << "the camera is not back where it was";

  // p writes its PNG in the pass that writes the next TGA.
  ASSERT_TRUE(keyRecords(XK_p, 2, same));
  ASSERT_TRUE(said("stdout.txt", kAtlasLine + "recorded turntable000.mp4\nsaved patchlume000.png\n"));
  unsigned char* rgb = nullptr;
  unsigned width = 0, height = 0;
  ASSERT_EQ(lodepng_decode24_file(&rgb, &width, &height, path("patchlume000.png").c_str()), 0u);
  ASSERT_EQ(width * height, 800u * 800u);
  int differing = 0;
  for (int i = 0; i < 800 * 800; ++i) differing += same.at(i % 800, i / 800) != e2e::Rgb{rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
  std::free(rgb);
  EXPECT_EQ(differing, 0);

  // A click once the turn's temporary is there cancels it, leaving nothing of it.
  key(XK_s);
  key(XK_T, true);
  for (int i = 0; i < 500 && written().size() < 3; ++i) e2e::sleepMs(10);
  e2e::movePointer(server.display, window, 100, 100);
  e2e::pressButton(server.display, 1);
  e2e::releaseButton(server.display, 1);
  ASSERT_TRUE(said("stderr.txt", "turntable001.mp4: turntable cancelled, nothing written\n"));
  EXPECT_EQ(written(), (std::vector<std::string>{"patchlume000.png", "turntable000.mp4"}));
  quitWithStatusZero();
}

TEST_F(VideoE2eTest, RefusalsSayWhyOnceLeaveNoFileAndTheViewerGoesOn) {
  // nobody may not reach the build tree: a copy laid out as an install.
  const std::string stage = e2e::makeTempDir();
  for (const char* dir : {"/bin", "/share", "/share/patchlume"}) mkdir((stage + dir).c_str(), 0755);
  ASSERT_TRUE(chmod(stage.c_str(), 0755) == 0 && e2e::copyFile(PATCHLUME_BINARY, stage + "/bin/patchlume") &&
              chmod((stage + "/bin/patchlume").c_str(), 0755) == 0 &&
              e2e::copyFile(PATCHLUME_ASSETS "/cubemap.png", stage + "/share/patchlume/cubemap.png"));
  const struct {
    mode_t mode;  // of the working directory, for the viewer running as nobody
    long sizeLimit;
    const char* keys;
    std::string err;
  } rows[] = {{0555, -1, "vtp",
               "patchlume000.mp4: cannot write in .: Permission denied\nturntable000.mp4: cannot write in .: "
               "Permission denied\npatchlume000.png: cannot write in .: Permission denied\n"},
              // The turn's file passes 64 KiB about a third of the way round.
              {0777, 64 * 1024, "t", "turntable000.mp4: File too large\n"}};
  for (const auto& row : rows) {
    chmod(workDir.c_str(), row.mode);
    ASSERT_TRUE(launch(stage + "/bin/patchlume", {row.sizeLimit, {}, /*unprivileged=*/true}));
    for (const char* k = row.keys; *k != '\0'; ++k) key(XStringToKeysym(std::string(1, *k).c_str()));
    ASSERT_TRUE(said("stderr.txt", row.err));
    EXPECT_TRUE(e2e::isRunning(app));
    EXPECT_TRUE(written().empty()) << ::testing::PrintToString(written());
    quitWithStatusZero();
  }
  chmod(workDir.c_str(), 0755);
  e2e::removeTree(stage);

  // From the command line: a refused value before any window, status 1.
  e2e::LaunchOptions options;
  options.args = {"--turntable", "t.mp4", "--fps", "abc"};
  const pid_t pid = e2e::launchProcess(PATCHLUME_BINARY, workDir, server.name(), options);
  int status = 0;
  ASSERT_TRUE(e2e::waitForExit(pid, 10000, status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "wait status " << status;
  EXPECT_EQ(e2e::readTextFile(path("stderr.txt")), "patchlume: --fps abc: not a whole number from 1 to 240\n");
  EXPECT_TRUE(written().empty());
}

TEST_F(VideoE2eTest, FromTheCommandLineTheFileIsWrittenAndTheProgramExits) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--turntable", "turn.mp4", "--frames", "12", "--fps", "24"},
                                               std::vector<std::string>{"--snapshot", "shot.png"}}) {
    e2e::LaunchOptions options;
    options.args = args;
    const pid_t pid = e2e::launchProcess(PATCHLUME_BINARY, workDir, server.name(), options);
    int status = 0;
    ASSERT_TRUE(e2e::waitForExit(pid, e2e::scaledMs(30000), status)) << args[0];
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    EXPECT_EQ(e2e::readTextFile(path("stdout.txt")), kAtlasLine + (args[1] == "turn.mp4" ? "recorded " : "saved ") + args[1] + "\n");
  }
  auto got = support::probeVideo(path("turn.mp4"));
  EXPECT_EQ(got["codec_name"] + " " + got["nb_read_frames"] + " " + got["r_frame_rate"], "h264 12 24/1");
  unsigned char* rgb = nullptr;
  unsigned width = 0, height = 0;
  ASSERT_EQ(lodepng_decode24_file(&rgb, &width, &height, path("shot.png").c_str()), 0u);
  // The camera view's white background at its top-right corner, the top view's green tint.
  EXPECT_EQ(rgb[3 * (10 * 800 + 790)] + rgb[3 * (10 * 800 + 790) + 2], 255 + 255);
  EXPECT_LT(rgb[3 * (10 * 800 + 10)], rgb[3 * (10 * 800 + 10) + 1]);
  std::free(rgb);
}

}  // namespace
