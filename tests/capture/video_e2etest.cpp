// Videos and snapshots from the real binary: what ffprobe (an independent reader) says of the
// files v and t write, a PNG of p against the TGA of s from the same pass, a turn cancelled
// by a click, and the refusals: a read-only working directory, a size limit met halfway and
// a refused option value, each told in one line with no file left.
#include <gtest/gtest.h>

#include <lodepng.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "support/video_reader.h"
#include "support/x_session.h"

namespace {

// No cubemap.png in the working directory: the default one beside the binary is read.
const std::string kAtlasLine = "width: 1024 height: 768\n";

// ffprobe's account of the video stream and the container, key=value; every frame is
// decoded to count nb_read_frames.
std::map<std::string, std::string> probe(const std::string& file) {
  const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=codec_name,pix_fmt,width,height,r_frame_rate,avg_frame_rate,"
                              "nb_frames,nb_read_frames:format=duration -of default=noprint_wrappers=1 '" +
                              file + "' 2>&1";
  std::map<std::string, std::string> fields;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return fields;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
      fields["error"] += text;
    } else {
      fields[text.substr(0, equals)] = text.substr(equals + 1, text.find('\n') - equals - 1);
    }
  }
  if (pclose(pipe) != 0) fields["error"] += "ffprobe failed (scripts/deps.sh test installs it)";
  return fields;
}

// What every video of the viewer is, as ffprobe reads it: H.264, yuv420p, 30 frames a
// second, 800 by 800, each of its frames decoded.
void expectShareable(std::map<std::string, std::string>& got, const char* frames = nullptr) {
  EXPECT_EQ(got["error"], "");
  EXPECT_EQ(got["codec_name"], "h264");
  EXPECT_EQ(got["pix_fmt"], "yuv420p");
  EXPECT_EQ(got["r_frame_rate"], "30/1");
  EXPECT_EQ(got["avg_frame_rate"], "30/1");
  EXPECT_EQ(got["width"] + "x" + got["height"], "800x800");
  EXPECT_EQ(got["nb_read_frames"], got["nb_frames"]);
  if (frames != nullptr) {
    EXPECT_EQ(got["nb_read_frames"], frames);
  }
}

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
    ASSERT_TRUE(quit(status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  }
};

TEST_F(VideoE2eTest, ASessionVideoLastsAsLongAsTheRecordingAndAResizeIsPadded) {
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  key(XK_v);
  const auto start = std::chrono::steady_clock::now();
  e2e::sleepMs(300);                 // the first picture is drawn before the drag
  drag(1, 600, 200, 700, 260, 12);  // orbit the camera
  e2e::sleepMs(2000);
  // Narrower: the video keeps 800 by 800, black where the window no longer reaches.
  ASSERT_TRUE(e2e::resizeWindow(server.display, window, 600, 800));
  e2e::sleepMs(300);
  key(XK_v, true);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(said("stdout.txt", kAtlasLine + "recorded patchlume000.mp4\n"));
  EXPECT_EQ(written(), std::vector<std::string>{"patchlume000.mp4"});

  std::map<std::string, std::string> got = probe(path("patchlume000.mp4"));
  expectShareable(got);
  EXPECT_NEAR(std::stod("0" + got["duration"]), seconds, 0.2);

  support::VideoContents video;
  std::string error;
  ASSERT_TRUE(support::readVideo(path("patchlume000.mp4"), video, error, true)) << error;
  const int last = static_cast<int>(video.pictures.size()) - 1;
  const support::Rgb padded = video.at(last, 700, 600), side = video.at(0, 700, 600);
  EXPECT_LE(padded.r + padded.g + padded.b, 12) << padded.r << " " << padded.g << " " << padded.b;
  EXPECT_GE(side.r, 240) << "the side view's background";
  EXPECT_EQ(e2e::readTextFile(path("stderr.txt")), "");
  quitWithStatusZero();
}

TEST_F(VideoE2eTest, ATurnOf120FramesPutsTheCameraBackAndPMatchesTheFrameOfS) {
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  e2e::TgaImage before, after, same;
  ASSERT_TRUE(keyRecords(XK_s, 0, before));
  key(XK_s);
  key(XK_t);
  ASSERT_TRUE(said("stdout.txt", kAtlasLine + "recorded turntable000.mp4\n"));
  std::map<std::string, std::string> got = probe(path("turntable000.mp4"));
  expectShareable(got, "120");
  EXPECT_EQ(got["duration"], "4.000000");

  // The camera is back: the picture is the one before the turn, pixel for pixel.
  ASSERT_TRUE(keyRecords(XK_s, 1, after));
  EXPECT_TRUE(after.data == before.data);

  // p writes its PNG in the pass that writes the next TGA.
  ASSERT_TRUE(keyRecords(XK_p, 2, same));
  ASSERT_TRUE(said("stdout.txt", kAtlasLine + "recorded turntable000.mp4\nsaved patchlume000.png\n"));
  unsigned char* rgb = nullptr;
  unsigned width = 0, height = 0;
  ASSERT_EQ(lodepng_decode24_file(&rgb, &width, &height, path("patchlume000.png").c_str()), 0u);
  ASSERT_EQ(width, 800u);
  ASSERT_EQ(height, 800u);
  int differing = 0;
  for (int y = 0; y < 800; ++y)
    for (int x = 0; x < 800; ++x) {
      const unsigned char* p = rgb + 3 * (y * 800 + x);
      if (same.at(x, y) != support::Rgb{p[0], p[1], p[2]}) ++differing;
    }
  std::free(rgb);
  EXPECT_EQ(differing, 0);

  // A click during a turn cancels it; nothing is left of it.
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
    const char* label;
    bool readOnly;
    long sizeLimit;
    const char* keys;
    std::string err;
  } rows[] = {
      {"read-only directory", true, -1, "vtp",
       "patchlume000.mp4: cannot write in .: Permission denied\n"
       "turntable000.mp4: cannot write in .: Permission denied\n"
       "patchlume000.png: cannot write in .: Permission denied\n"},
      // The turn's file passes 64 KiB about a third of the way round.
      {"size limit", false, 64 * 1024, "t", "turntable000.mp4: File too large\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    // The viewer runs as nobody, to whom only a directory open to all is writable.
    chmod(workDir.c_str(), row.readOnly ? 0555 : 0777);
    ASSERT_TRUE(launch(stage + "/bin/patchlume", {row.sizeLimit, {}, /*unprivileged=*/true}));
    for (const char* k = row.keys; *k != '\0'; ++k) key(XStringToKeysym(std::string(1, *k).c_str()));
    ASSERT_TRUE(said("stderr.txt", row.err));
    EXPECT_TRUE(e2e::isRunning(app));
    EXPECT_TRUE(written().empty()) << ::testing::PrintToString(written());
    const Window shown = window;
    quitWithStatusZero();
    ASSERT_TRUE(e2e::waitUntilGone(server.display, shown));
  }
  chmod(workDir.c_str(), 0755);
  e2e::removeTree(stage);
}

TEST_F(VideoE2eTest, FromTheCommandLineTheFileIsWrittenOrTheReasonGivenWithStatusOne) {
  const struct {
    std::vector<std::string> args;
    long sizeLimit;
    int status;
    std::string out, err;
  } runs[] = {
      {{"--turntable", "turn.mp4", "--frames", "12", "--fps", "24"}, -1, 0, kAtlasLine + "recorded turn.mp4\n", ""},
      {{"--snapshot", "shot.png"}, -1, 0, kAtlasLine + "saved shot.png\n", ""},
      {{"--turntable", "big.mp4"}, 64 * 1024, 1, kAtlasLine, "big.mp4: File too large\n"},
      {{"--snapshot", "big.png"}, 16 * 1024, 1, kAtlasLine, "big.png: File too large\n"},
      {{"--turntable", "turn.mp4", "--fps", "abc"}, -1, 1, "", "patchlume: --fps abc: not a whole number from 1 to 240\n"},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.args[1]);
    e2e::LaunchOptions options;
    options.args = run.args;
    options.fileSizeLimit = run.sizeLimit;
    const pid_t pid = e2e::launchProcess(PATCHLUME_BINARY, workDir, server.name(), options);
    int status = 0;
    ASSERT_TRUE(e2e::waitForExit(pid, e2e::scaledMs(30000), status)) << "still running";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == run.status) << "wait status " << status;
    EXPECT_EQ(e2e::readTextFile(path("stdout.txt")), run.out);
    EXPECT_EQ(e2e::readTextFile(path("stderr.txt")), run.err);
  }
  EXPECT_EQ(written(), (std::vector<std::string>{"shot.png", "turn.mp4"}));
  std::map<std::string, std::string> got = probe(path("turn.mp4"));
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
