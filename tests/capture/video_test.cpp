// The video writer over small pictures in a scratch directory, each file read back by the
// tests' own demuxer and decoder. Blocks of red, blue and green expose swapped channels and
// flipped rows; lossy coding and 4:2:0 chroma allow a tolerance at the blocks' centres.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "capture/video.h"
#include "support/video_reader.h"
#include "support/x_session.h"

namespace {

constexpr int kWidth = 48;  // top half: red left, blue right; bottom half green
constexpr int kHeight = 32;
constexpr support::Rgb kRed = {255, 0, 0}, kBlue = {0, 0, 255}, kGreen = {0, 255, 0};

// The fixture picture, rows in the order asked for.
std::vector<unsigned char> blocks(RowOrder rows) {
  std::vector<unsigned char> rgb(3 * kWidth * kHeight + kVideoPicturePadding);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const support::Rgb c = y < kHeight / 2 ? (x < kWidth / 2 ? kRed : kBlue) : kGreen;
      const int row = rows == kTopRowFirst ? y : kHeight - 1 - y;
      unsigned char* p = &rgb[3 * (row * kWidth + x)];
      p[0] = c.r, p[1] = c.g, p[2] = c.b;
    }
  return rgb;
}

::testing::AssertionResult near(support::Rgb got, support::Rgb want) {
  if (std::abs(got.r - want.r) <= 12 && std::abs(got.g - want.g) <= 12 && std::abs(got.b - want.b) <= 12)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << got.r << ", " << got.g << ", " << got.b << ")";
}

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = e2e::makeTempDir(); }
  void TearDown() override {
    abortVideo(video);
    e2e::removeTree(dir);
  }
  std::string path(const char* name) const { return dir + "/" + name; }

  std::string dir;
  VideoWriter video{};
};

TEST_F(VideoTest, FramesComeBackInOrderAtAConstantRateWithTheirColours) {
  const struct {
    const char* encoder;
    const char* codec;  // what the reader finds
    bool fallback;
  } cases[] = {{"libx264", "h264", false}, {"no-such-encoder", "mpeg4", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoder);
    const std::string file = path("blocks.mp4");
    ASSERT_TRUE(openVideoWith(video, file.c_str(), kWidth, kHeight, 30, c.encoder)) << video.error;
    EXPECT_EQ(video.fallback, c.fallback);
    // Until finished only the temporary exists.
    EXPECT_EQ(e2e::listFiles(dir).size(), 1u);
    EXPECT_EQ(e2e::listFiles(dir)[0].rfind(".patchlume-", 0), 0u);
    for (int i = 0; i < 7; ++i) {
      const RowOrder rows = i % 2 == 0 ? kBottomRowFirst : kTopRowFirst;
      ASSERT_TRUE(addVideoFrame(video, blocks(rows).data(), rows)) << video.error;
    }
    ASSERT_TRUE(finishVideo(video)) << video.error;
    EXPECT_FALSE(videoIsOpen(video));
    EXPECT_EQ(e2e::listFiles(dir), std::vector<std::string>{"blocks.mp4"});

    support::VideoContents got;
    std::string error;
    ASSERT_TRUE(support::readVideo(file, got, error, true)) << error;
    EXPECT_EQ(got.codec, c.codec);
    EXPECT_EQ(got.pixelFormat, "yuv420p");
    EXPECT_EQ(got.width, kWidth);
    EXPECT_EQ(got.height, kHeight);
    EXPECT_EQ(got.rateNum, 30 * got.rateDen);
    EXPECT_EQ(got.pts, (std::vector<long long>{0, 1, 2, 3, 4, 5, 6}));
    for (int i = 0; i < static_cast<int>(got.pictures.size()); ++i) {
      SCOPED_TRACE(i);
      EXPECT_TRUE(near(got.at(i, 12, 8), kRed));
      EXPECT_TRUE(near(got.at(i, 36, 8), kBlue));
      EXPECT_TRUE(near(got.at(i, 24, 24), kGreen));
    }
    e2e::removeTree(dir);
    dir = e2e::makeTempDir();
  }
}

TEST_F(VideoTest, RefusalsAndAnAbortLeaveNothingAndSayWhy) {
  const std::string file = path("v.mp4");
  const struct {
    std::string path;
    int width, height, fps;
    std::string error;
  } refusals[] = {
      {file, 47, 32, 30, file + ": a video needs an even width and height of at least 2 pixels"},
      {file, 48, 0, 30, file + ": a video needs an even width and height of at least 2 pixels"},
      {file, 48, 32, 0, file + ": frame rate out of range"},
      {path("none/v.mp4"), 48, 32, 30, path("none/v.mp4") + ": No such file or directory"},
  };
  for (const auto& r : refusals) {
    EXPECT_FALSE(openVideo(video, r.path.c_str(), r.width, r.height, r.fps));
    EXPECT_EQ(video.error, r.error);
    EXPECT_FALSE(videoIsOpen(video));
    EXPECT_FALSE(addVideoFrame(video, blocks(kTopRowFirst).data(), kTopRowFirst));
  }
  ASSERT_TRUE(openVideo(video, file.c_str(), kWidth, kHeight, 30));
  ASSERT_TRUE(addVideoFrame(video, blocks(kTopRowFirst).data(), kTopRowFirst));
  abortVideo(video);
  EXPECT_FALSE(videoIsOpen(video));
  EXPECT_FALSE(finishVideo(video));
  EXPECT_TRUE(e2e::listFiles(dir).empty());
}

TEST_F(VideoTest, AFileSizeLimitFailsTheVideoOnceAndRemovesIt) {
  // Fresh noise does not compress: a few frames pass 64 KiB, past the writer's buffer.
  std::mt19937 random(7);
  std::vector<unsigned char> noise(3 * 256 * 256 + kVideoPicturePadding);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

  const std::string file = path("noise.mp4");
  bool ok = openVideo(video, file.c_str(), 256, 256, 30);
  for (int i = 0; ok && i < 30; ++i) {
    for (unsigned char& byte : noise) byte = static_cast<unsigned char>(random());
    ok = addVideoFrame(video, noise.data(), kTopRowFirst);
  }
  if (ok) ok = finishVideo(video);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(ok);
  EXPECT_EQ(video.error, file + ": File too large");
  EXPECT_FALSE(videoIsOpen(video));
  EXPECT_TRUE(e2e::listFiles(dir).empty());
}

}  // namespace
