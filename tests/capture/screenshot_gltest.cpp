// saveScreenshot against the real back buffer: contents, numbering, limit and failed writes.
#include <GL/freeglut.h>
#include <GL/glext.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/state.h"
#include "capture/frame_file.h"
#include "capture/screenshot.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "render/mirror.h"
#include "render/net.h"
#include "render/views.h"
#include "support/gl_window.h"
#include "support/viewer_gl_fixture.h"

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The display pass without its swap, so that the back buffer still holds the frame.
void drawFrame() {
  glEnable(GL_SCISSOR_TEST);
  for (int view = 0; view < 4; ++view) {
    setupView(view);
    if (view == 3) drawMirrorPatch();
    else drawControlNet();
    drawAxes();
    if (view != 3) drawControlPoints();
  }
  glDisable(GL_SCISSOR_TEST);
}

// What the file must hold: the header from the format's fields, then the back buffer as
// packed BGR rows, bottom row first.
std::vector<unsigned char> expectedFile(int w, int h) {
  std::vector<unsigned char> file = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  file.push_back(static_cast<unsigned char>(w & 0xFF));
  file.push_back(static_cast<unsigned char>(w >> 8));
  file.push_back(static_cast<unsigned char>(h & 0xFF));
  file.push_back(static_cast<unsigned char>(h >> 8));
  file.push_back(24);
  file.push_back(0);
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, w, h, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

long long frameBytes(int w, int h) { return 18 + static_cast<long long>(w) * h * 3; }

// Size of a file, -1 when there is none.
long long sizeOf(const char* path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? -1 : static_cast<long long>(size);
}

bool near(int a, int b) { return a - b <= 1 && b - a <= 1; }

// The initial dome and camera leave the window's corners to the background.
class ScreenshotGl : public support::ViewerGlTest {
 protected:
  void SetUp() override {
    ViewerGlTest::SetUp();
    if (HasFatalFailure()) return;
    showAxes = true;  // the axes make every quadrant lopsided
    frameCounter = 0;
    previous_ = fs::current_path().string();
    char dirTemplate[] = "/tmp/patchlume-shots-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    dir_ = dirTemplate;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void TearDown() override {
    if (!mounted_.empty()) umount(mounted_.c_str());
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot go back to " << previous_;
    if (!dir_.empty()) {
      std::error_code ignored;
      fs::remove_all(dir_, ignored);
    }
    ViewerGlTest::TearDown();
  }

  // Files directly below screenshots/, sorted.
  std::vector<std::string> shots() const {
    std::vector<std::string> names;
    if (!fs::exists("screenshots")) return names;
    for (const auto& e : fs::directory_iterator("screenshots")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_, mounted_;

 private:
  std::string previous_;
};

}  // namespace

TEST_F(ScreenshotGl, FileIsTheBackBufferByteForByte) {
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  drawFrame();
  const std::vector<unsigned char> expected = expectedFile(800, 800);
  EXPECT_EQ(saveScreenshot(), 0);
  EXPECT_EQ(frameCounter, 1);
  const std::vector<unsigned char> file = readFile("screenshots/frame000.tga");
  ASSERT_EQ(file.size(), 1920018u);
  const unsigned char sizeBytes[6] = {0x20, 0x03, 0x20, 0x03, 0x18, 0x00};
  EXPECT_EQ(std::memcmp(file.data() + 12, sizeBytes, 6), 0);
  EXPECT_TRUE(file == expected) << "file differs from the back buffer";

  // Orientation, independently of the read-back: bottom row first, blue first in a pixel.
  auto pixel = [&](int x, int y) { return &file[18 + (static_cast<size_t>(y) * 800 + x) * 3]; };
  const unsigned char* front = pixel(0, 0);  // bottom-left: (0.9, 0.9, 1.0)
  EXPECT_EQ(front[0], 255);
  EXPECT_TRUE(near(front[1], 229) && near(front[2], 229));
  const unsigned char* top = pixel(0, 799);  // top-left: (0.9, 1.0, 0.9)
  EXPECT_TRUE(near(top[0], 229) && top[1] == 255 && near(top[2], 229));
  const unsigned char* side = pixel(799, 0);  // bottom-right: (1.0, 0.9, 0.9)
  EXPECT_TRUE(near(side[0], 229) && near(side[1], 229) && side[2] == 255);
  const unsigned char* camera = pixel(799, 799);
  EXPECT_TRUE(camera[0] == 255 && camera[1] == 255 && camera[2] == 255);
}

TEST_F(ScreenshotGl, OddWidthRowsArePackedWithoutPadding) {
  ASSERT_TRUE(setGlWindowSize(801, 601));
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  // column 800 and row 600 belong to no view and keep this colour
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  drawFrame();
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  const std::vector<unsigned char> expected = expectedFile(801, 601);
  EXPECT_EQ(saveScreenshot(), 0);
  const std::vector<unsigned char> file = readFile("screenshots/frame000.tga");
  ASSERT_EQ(file.size(), 18u + 2403u * 601u);
  EXPECT_EQ(file[12], 0x21);
  EXPECT_EQ(file[13], 0x03);
  EXPECT_EQ(file[14], 0x59);
  EXPECT_EQ(file[15], 0x02);
  EXPECT_TRUE(file == expected) << "file differs from the back buffer";

  // every row is 2403 bytes: its last pixel is the sentinel, the one before it a view's
  const unsigned char sentinelBgr[3] = {153, 102, 51};
  int badRowEnds = 0, badLastRow = 0;
  for (int y = 0; y < 601; ++y) {
    const unsigned char* rowStart = &file[18 + static_cast<size_t>(y) * 2403];
    if (std::memcmp(rowStart + 3 * 800, sentinelBgr, 3) != 0) ++badRowEnds;
    if (y < 600 && std::memcmp(rowStart + 3 * 799, sentinelBgr, 3) == 0) ++badRowEnds;
  }
  for (int x = 0; x < 801; ++x)
    if (std::memcmp(&file[18 + 600u * 2403 + 3u * x], sentinelBgr, 3) != 0) ++badLastRow;
  EXPECT_EQ(badRowEnds, 0);
  EXPECT_EQ(badLastRow, 0);

  // the pack alignment the caller had is back
  GLint alignment = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);
}

TEST_F(ScreenshotGl, PackAlignmentIsRestoredWhateverItWas) {
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  drawFrame();
  for (const GLint before : {8, 2, 1, 4}) {
    glPixelStorei(GL_PACK_ALIGNMENT, before);
    EXPECT_EQ(saveScreenshot(), 0);
    GLint after = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &after);
    EXPECT_EQ(after, before);
  }
  EXPECT_EQ(frameCounter, 4);
}

TEST_F(ScreenshotGl, MissingDirectoryWritesNothingUntilItExists) {
  drawFrame();
  frameCounter = 42;
  // any number of tries: nothing created, the number kept
  for (int attempt = 0; attempt < 3; ++attempt) {
    EXPECT_EQ(saveScreenshot(), 1);
    EXPECT_EQ(frameCounter, 42);
  }
  EXPECT_TRUE(fs::is_empty(fs::current_path()));

  // once the directory is there the same number is written
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  EXPECT_EQ(saveScreenshot(), 0);
  EXPECT_EQ(frameCounter, 43);
  EXPECT_EQ(shots(), std::vector<std::string>{"frame042.tga"});
  EXPECT_EQ(sizeOf("screenshots/frame042.tga"), frameBytes(800, 800));
}

TEST_F(ScreenshotGl, LastNumberIs999) {
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  drawFrame();

  // 999 is still written
  frameCounter = 999;
  EXPECT_EQ(saveScreenshot(), 0);
  EXPECT_EQ(frameCounter, 1000);

  // 1000 and beyond: result 1, no file, the counter stays
  EXPECT_EQ(saveScreenshot(), 1);
  EXPECT_EQ(frameCounter, 1000);
  frameCounter = 5000;
  EXPECT_EQ(saveScreenshot(), 1);
  EXPECT_EQ(frameCounter, 5000);
  EXPECT_EQ(shots(), std::vector<std::string>{"frame999.tga"});
}

TEST_F(ScreenshotGl, NumbersFollowTheCounterAndAnOldFileIsOverwritten) {
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  {
    // longer than a frame, so a missing truncation would show in the size
    std::ofstream old("screenshots/frame003.tga", std::ios::binary);
    const std::vector<char> junk(3000000, '\xAB');
    old.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  drawFrame();
  const std::vector<unsigned char> expected = expectedFile(800, 800);
  frameCounter = 3;
  EXPECT_EQ(saveScreenshot(), 0);
  EXPECT_EQ(saveScreenshot(), 0);
  EXPECT_EQ(frameCounter, 5);
  EXPECT_EQ(shots(), (std::vector<std::string>{"frame003.tga", "frame004.tga"}));
  EXPECT_TRUE(readFile("screenshots/frame003.tga") == expected);
  EXPECT_TRUE(readFile("screenshots/frame004.tga") == expected);
}

namespace {

struct WriteResult {
  int result;
  int counter;
  bool fileLeft;
};

// One save under a file-size limit, with the signal handled as the viewer's start-up sets it,
// and the limit and the test process's own disposition put back before anything is reported
// (the limit would also cut off a test log written to a file).
WriteResult saveUnderSizeLimit(rlim_t limit, const char* name) {
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct sigaction previous {};
  sigaction(SIGXFSZ, nullptr, &previous);
  ignoreFileSizeSignal();
  struct rlimit small = old;
  small.rlim_cur = limit;
  setrlimit(RLIMIT_FSIZE, &small);
  WriteResult r;
  r.result = saveScreenshot();
  r.counter = frameCounter;
  setrlimit(RLIMIT_FSIZE, &old);
  sigaction(SIGXFSZ, &previous, nullptr);
  r.fileLeft = fs::exists(name);
  return r;
}

}  // namespace

TEST_F(ScreenshotGl, FailedWriteRemovesThePartialFileAndKeepsTheNumber) {
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  drawFrame();
  frameCounter = 7;

  // the pixel data hits the limit part way
  {
    const WriteResult r = saveUnderSizeLimit(100000, "screenshots/frame007.tga");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.counter, 7);
    EXPECT_FALSE(r.fileLeft);
  }

  // a frame small enough to sit in the stream buffer: only the close can fail
  {
    windowWidth = 4;
    windowHeight = 2;  // 42 bytes
    const WriteResult r = saveUnderSizeLimit(30, "screenshots/frame007.tga");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.counter, 7);
    EXPECT_FALSE(r.fileLeft);
  }

  // the same frame under a limit it fits: written, with the number the failures kept
  {
    const WriteResult r = saveUnderSizeLimit(42, "screenshots/frame007.tga");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.counter, 8);
    EXPECT_TRUE(r.fileLeft);
    EXPECT_TRUE(readFile("screenshots/frame007.tga") == expectedFile(4, 2));
  }
  windowWidth = 800;
  windowHeight = 800;
  EXPECT_EQ(shots(), std::vector<std::string>{"frame007.tga"});
}

TEST_F(ScreenshotGl, FullFileSystemRemovesThePartialFileAndKeepsTheNumber) {
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  const std::string target = dir_ + "/screenshots";
  if (geteuid() != 0 || mount("tmpfs", target.c_str(), "tmpfs", 0, "size=1m") != 0)
    GTEST_SKIP() << "needs root and a mountable tmpfs";
  mounted_ = target;
  drawFrame();
  frameCounter = 12;

  // 1,920,018 bytes do not fit into 1 MiB
  EXPECT_EQ(saveScreenshot(), 1);
  EXPECT_EQ(frameCounter, 12);
  EXPECT_FALSE(fs::exists("screenshots/frame012.tga"));

  // the space is free again: a smaller frame goes through under the same number
  windowWidth = 100;
  windowHeight = 100;
  EXPECT_EQ(saveScreenshot(), 0);
  EXPECT_EQ(frameCounter, 13);
  EXPECT_EQ(sizeOf("screenshots/frame012.tga"), frameBytes(100, 100));
  windowWidth = 800;
  windowHeight = 800;
}
