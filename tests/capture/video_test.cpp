// The video writer over small pictures in a scratch directory, each file read back by
// FFmpeg's own tools. Blocks of red, blue and green expose swapped channels and flipped
// rows; lossy coding and 4:2:0 chroma allow a tolerance at the blocks' centres.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/video.h"
#include "support/video_probe.h"
#include "support/x_session.h"

namespace {

constexpr int kWidth = 48, kHeight = 32;  // top half: red left, blue right; bottom half green

// The fixture picture, rows in the order asked for.
std::vector<unsigned char> blocks(RowOrder rows) {
  std::vector<unsigned char> rgb(3 * kWidth * kHeight + kVideoPicturePadding);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      unsigned char* p = &rgb[3 * ((rows == kTopRowFirst ? y : kHeight - 1 - y) * kWidth + x)];
      p[y < kHeight / 2 ? (x < kWidth / 2 ? 0 : 2) : 1] = 255;
    }
  return rgb;
}

TEST(VideoWriter, FramesComeBackInOrderWithTheirColoursAndNoTemporaryIsLeft) {
  const std::string dir = e2e::makeTempDir();
  VideoWriter video{};
  for (const char* encoder : {"libx264", "none"}) {  // no encoder "none": MPEG-4 Part 2
    const std::string file = dir + "/" + encoder + ".mp4";
    ASSERT_TRUE(openVideoWith(video, file.c_str(), kWidth, kHeight, 30, encoder)) << video.error;
    EXPECT_EQ(e2e::fileSize(file), -1) << "the name is taken only once the video is whole";
    for (int i = 0; i < 7; ++i) {
      const RowOrder rows = i % 2 == 0 ? kBottomRowFirst : kTopRowFirst;
      ASSERT_TRUE(addVideoFrame(video, blocks(rows).data(), rows)) << video.error;
    }
    ASSERT_TRUE(finishVideo(video)) << video.error;
    EXPECT_EQ(support::probeVideo(file), std::string(encoder[0] == 'n' ? "mpeg4" : "h264") + ",48,32,yuv420p,30/1,30/1,7\n0.234000\n");
    const std::vector<unsigned char> rgb = support::decodeVideo(file), want = blocks(kTopRowFirst);
    ASSERT_EQ(rgb.size(), 7u * 3 * kWidth * kHeight);
    for (int i = 0; i < 7 * kWidth * kHeight; ++i) {
      const int at = i % (kWidth * kHeight), x = at % kWidth, y = at / kWidth;
      // Block centres only, away from the edges that 4:2:0 chroma blurs.
      if (x % 24 != 12 || y % 16 != 8) continue;
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(rgb[3 * i + k], want[3 * at + k], 12) << i;
    }
  }
  EXPECT_EQ(e2e::listFiles(dir), (std::vector<std::string>{"libx264.mp4", "none.mp4"}));
  e2e::removeTree(dir);
}

}  // namespace
