// The shell driven from outside: the real binary on a private X server, real key presses through
// XTest, and the screenshots it records read back by the tests' own TGA reader.
// Redraws coalesce, so every key that should record a frame is followed by a wait for its file.
#include <gtest/gtest.h>

#include <lodepng.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/recording_session.h"

namespace {

using e2e::Rgb;
using e2e::TgaImage;

constexpr int kWidth = 800;
constexpr int kHeight = 800;

// Background colours: 0.9 of 255 may round either way, hence the tolerance of one step.
constexpr Rgb kFrontBackground = {230, 230, 255};
constexpr Rgb kTopBackground = {230, 255, 230};
constexpr Rgb kSideBackground = {255, 230, 230};
constexpr Rgb kCameraBackground = {255, 255, 255};

// Samples the four corners of a quadrant, 12 pixels in, where nothing but the clear lands.
void expectQuadrantBackground(const TgaImage& image, int left, int top, int width, int height,
                              Rgb expected, const char* view) {
  SCOPED_TRACE(view);
  const int inset = 12;
  EXPECT_TRUE(e2e::pixelNear(image, left + inset, top + inset, expected, 1));
  EXPECT_TRUE(e2e::pixelNear(image, left + width - 1 - inset, top + inset, expected, 1));
  EXPECT_TRUE(e2e::pixelNear(image, left + inset, top + height - 1 - inset, expected, 1));
  EXPECT_TRUE(e2e::pixelNear(image, left + width - 1 - inset, top + height - 1 - inset, expected, 1));
}

// How far the purest pixel of a rectangle stands out in one channel (0 red, 1 green, 2 blue)
// over the other two; a 3-pixel smoothed line may fall on either of two rows or columns.
int purest(const TgaImage& image, int channel, int xFirst, int xLast, int yFirst, int yLast) {
  int best = -1000;
  for (int y = yFirst; y <= yLast; ++y)
    for (int x = xFirst; x <= xLast; ++x) {
      const Rgb p = image.at(x, y);
      const int c[3] = {p.r, p.g, p.b};
      best = std::max(best, c[channel] - std::max(c[(channel + 1) % 3], c[(channel + 2) % 3]));
    }
  return best;
}

class ShellE2eTest : public e2e::RecordingSessionTest {
 protected:
  // Escape, then status 0, then exactly these screenshots: Escape is handled after every
  // earlier key and draws nothing, so they are all that the session wrote.
  ::testing::AssertionResult quitLeaving(const std::vector<std::string>& expected) {
    int status = 0;
    const ::testing::AssertionResult ended = quit(status);
    if (!ended) return ended;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      return ::testing::AssertionFailure() << "wait status " << status;
    }
    const std::vector<std::string> names = e2e::listFiles(frameDir());
    if (names == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "screenshots " << ::testing::PrintToString(names)
                                         << ", expected " << ::testing::PrintToString(expected);
  }

  ::testing::AssertionResult readShot(int number, TgaImage& image) {
    std::string error;
    if (e2e::readTga(framePath(number), image, error)) return ::testing::AssertionSuccess();
    e2e::convertToPng(framePath(number), framePath(number) + ".png");
    return ::testing::AssertionFailure() << error;
  }
};

TEST_F(ShellE2eTest, OpensOneWindowTitledPatchlumeOf800By800At300And100) {
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  EXPECT_EQ(e2e::windowTitle(server.display, window), "Patchlume");
  e2e::Geometry geometry;
  ASSERT_TRUE(e2e::windowGeometry(server.display, window, geometry));
  EXPECT_EQ(geometry.width, kWidth);
  EXPECT_EQ(geometry.height, kHeight);
  // With no window manager the requested position is taken as it is.
  EXPECT_EQ(geometry.x, 300);
  EXPECT_EQ(geometry.y, 100);
}

TEST_F(ShellE2eTest, SKeyRecordsEveryDrawnFrameUntilPressedAgain) {
  // The key that switches recording on also redraws, so the first file comes at once. Had
  // the first exposure been recorded, this key would switch recording off and x below
  // would record nothing.
  TgaImage frame;
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, frame));
  ASSERT_TRUE(keyRecords(XK_x, 1, frame));
  ASSERT_TRUE(keyRecords(XK_a, 2, frame));

  // Recording off: keys keep redrawing but nothing is saved.
  key(XK_s);
  key(XK_x);
  key(XK_a);

  // Back on, the numbering goes on where it stopped; the keys in between are known to have
  // been handled once this file exists, since X delivers them in order.
  ASSERT_TRUE(keyRecords(XK_s, 3, frame));
  EXPECT_TRUE(e2e::isRunning(app));
  EXPECT_TRUE(quitLeaving(e2e::frameNames(0, 3)));
}

TEST_F(ShellE2eTest, ShiftedSTogglesRecordingToo) {
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  key(XK_s, true);
  TgaImage frame;
  ASSERT_TRUE(waitFrame(0, frame));
  key(XK_s, true);
  key(XK_x);
  EXPECT_TRUE(quitLeaving(e2e::frameNames(0, 0)));
}

TEST_F(ShellE2eTest, FrameIsUncompressedTgaOfTheFourClearedQuadrants) {
  TgaImage image;  // read back by the tests' own TGA reader
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, image));
  EXPECT_EQ(e2e::fileSize(framePath(0)), 1920018);
  EXPECT_EQ(image.width, kWidth);
  EXPECT_EQ(image.height, kHeight);
  // Window coordinates, y downwards: the front view is bottom-left, the top view top-left.
  expectQuadrantBackground(image, 0, 400, 400, 400, kFrontBackground, "front view");
  expectQuadrantBackground(image, 0, 0, 400, 400, kTopBackground, "top view");
  expectQuadrantBackground(image, 400, 400, 400, 400, kSideBackground, "side view");
  expectQuadrantBackground(image, 400, 0, 400, 400, kCameraBackground, "camera view");

  // The patch covers the middle of the camera view.
  const Rgb middle = image.at(600, 200);
  EXPECT_FALSE(middle.r >= 250 && middle.g >= 250 && middle.b >= 250)
      << "camera view middle is background white";
}

TEST_F(ShellE2eTest, AKeyTogglesTheAxesInTheNextFrame) {
  TgaImage before, on, after;
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, before));
  ASSERT_TRUE(keyRecords(XK_a, 1, on));
  ASSERT_TRUE(keyRecords(XK_a, 2, after));

  // In the front view the origin is at window (200, 600); the red X axis runs 100 pixels right
  // of it and the green Y axis 100 pixels up, away from every line of the control net.
  EXPECT_TRUE(e2e::pixelNear(before, 275, 599, kFrontBackground, 1));
  EXPECT_TRUE(e2e::pixelNear(before, 200, 525, kFrontBackground, 1));
  EXPECT_GT(purest(on, 0, 275, 275, 597, 602), 150) << "no X axis";
  EXPECT_GT(purest(on, 1, 197, 202, 525, 525), 150) << "no Y axis";
  EXPECT_TRUE(e2e::pixelNear(after, 275, 599, kFrontBackground, 1));
  EXPECT_TRUE(e2e::pixelNear(after, 200, 525, kFrontBackground, 1));
}

TEST_F(ShellE2eTest, WithoutScreenshotsDirectoryNothingIsWrittenUntilItExists) {
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  key(XK_s);
  key(XK_x);
  key(XK_a);
  // The axes on the screen mean all three keys have been handled and drawn.
  ASSERT_TRUE(e2e::waitForWindowAxes(server.display, window, true));
  EXPECT_TRUE(e2e::isRunning(app));
  EXPECT_EQ(e2e::fileSize(frameDir()), -1) << "the program must not create screenshots/";
  for (const std::string& name : e2e::listFiles(workDir)) {
    EXPECT_EQ(name.find(".tga"), std::string::npos) << name;
  }

  // The failed attempts did not use up a number.
  ASSERT_TRUE(createFrameDir());
  TgaImage frame;
  ASSERT_TRUE(keyRecords(XK_x, 0, frame));
  EXPECT_TRUE(quitLeaving(e2e::frameNames(0, 0)));
}

TEST_F(ShellE2eTest, ResizedWindowGivesFramesOfTheNewOddSize) {
  TgaImage image;
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, image));
  key(XK_s);
  ASSERT_TRUE(e2e::resizeWindow(server.display, window, 801, 601));

  // 801 * 3 = 2403 bytes a row, not a multiple of 4: any row padding changes the length.
  ASSERT_TRUE(keyRecords(XK_s, 1, image, e2e::frameBytes(801, 601)));
  EXPECT_EQ(image.width, 801);
  EXPECT_EQ(image.height, 601);
  // Quadrants of 400 by 300; column 800 and window row 0 (the top) belong to no view.
  expectQuadrantBackground(image, 0, 301, 400, 300, kFrontBackground, "front view");
  expectQuadrantBackground(image, 0, 1, 400, 300, kTopBackground, "top view");
  expectQuadrantBackground(image, 400, 301, 400, 300, kSideBackground, "side view");
  expectQuadrantBackground(image, 400, 1, 400, 300, kCameraBackground, "camera view");

  // The frame before the resize kept its own size.
  TgaImage first;
  ASSERT_TRUE(readShot(0, first));
  EXPECT_EQ(first.width, kWidth);
  EXPECT_EQ(first.height, kHeight);
}

TEST_F(ShellE2eTest, EscapeExitsWithStatusZero) {
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  int status = 0;
  ASSERT_TRUE(quit(status));
  ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ShellE2eTest, EscapeWhileRecordingExitsWithStatusZeroAndSavesNothingMore) {
  TgaImage frame;
  ASSERT_TRUE(startRecording(PATCHLUME_BINARY, frame));
  int status = 0;
  ASSERT_TRUE(quit(status));
  ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(e2e::listFiles(frameDir()), e2e::frameNames(0, 0));
}

TEST_F(ShellE2eTest, MissingCubemapIsReportedOnceOnStandardOutput) {
  ASSERT_TRUE(launch(binaryWithoutData(PATCHLUME_BINARY)));
  int status = 0;
  ASSERT_TRUE(quit(status));
  EXPECT_EQ(e2e::readTextFile(path("stdout.txt")), "Couldn't open file\n");
}

TEST_F(ShellE2eTest, LoadedCubemapReportsItsSizeOnStandardOutput) {
  // 8 by 6: a 4 by 3 atlas of 2-pixel cells, wider than high so a swap shows.
  std::vector<unsigned char> rgba(8 * 6 * 4, 255);
  ASSERT_EQ(lodepng_encode32_file(path("cubemap.png").c_str(), rgba.data(), 8, 6), 0u);
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  int status = 0;
  ASSERT_TRUE(quit(status));
  EXPECT_EQ(e2e::readTextFile(path("stdout.txt")), "width: 8 height: 6\n");
}

}  // namespace
