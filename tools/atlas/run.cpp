// Threads and progress for the conversion, and the output's encoding.
#include "atlas/run.h"

#include <lodepng.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

// Rows a thread takes at a time: small enough to balance, large enough to cost nothing.
constexpr int kRowsPerTask = 8;
constexpr int kBarWidth = 40;

void drawBar(int done, int total) {
  const int filled = static_cast<int>(static_cast<long>(done) * kBarWidth / total);
  char bar[kBarWidth + 1];
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kBarWidth] = '\0';
  std::fprintf(stderr, "\r[%s] %3d%%", bar, static_cast<int>(100L * done / total));
  std::fflush(stderr);
}

}  // namespace

void runConversion(const AtlasJob& job, int threads, bool progress, unsigned char* rgb) {
  const int height = 3 * job.cell;
  std::atomic<int> nextRow(0);
  std::atomic<int> rowsDone(0);
  auto work = [&] {
    for (;;) {
      const int begin = nextRow.fetch_add(kRowsPerTask);
      if (begin >= height) return;
      const int end = std::min(height, begin + kRowsPerTask);
      convertAtlasRows(job, begin, end, rgb);
      rowsDone.fetch_add(end - begin);
    }
  };
  std::vector<std::thread> pool;
  for (int i = 1; i < threads; ++i) pool.emplace_back(work);
  if (!progress) {
    work();
  } else {
    // The calling thread draws the bar and lends a hand only when there is no other.
    std::thread last;
    if (threads <= 1) last = std::thread(work);
    const auto start = std::chrono::steady_clock::now();
    bool shown = false;
    while (rowsDone.load() < height) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) {
        drawBar(rowsDone.load(), height);
        shown = true;
      }
    }
    if (last.joinable()) last.join();
    if (shown) {
      std::fprintf(stderr, "\r%*s\r", kBarWidth + 8, "");
      std::fflush(stderr);
    }
  }
  for (std::thread& t : pool) t.join();
}

unsigned encodeAtlasPng(const unsigned char* rgb, int width, int height, unsigned char** png,
                        std::size_t* size) {
  LodePNGState state;
  lodepng_state_init(&state);
  state.info_raw.colortype = LCT_RGB;
  state.info_raw.bitdepth = 8;
  state.info_png.color.colortype = LCT_RGB;
  state.info_png.color.bitdepth = 8;
  state.encoder.auto_convert = 0;
  // Measured on a 4096 x 3072 atlas: a short window without lazy matching encodes several
  // times faster than the defaults for a file a few per cent larger.
  state.encoder.zlibsettings.windowsize = 512;
  state.encoder.zlibsettings.nicematch = 32;
  state.encoder.zlibsettings.lazymatching = 0;
  state.encoder.filter_strategy = LFS_MINSUM;
  *png = nullptr;
  *size = 0;
  const unsigned error = lodepng_encode(png, size, rgb, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), &state);
  lodepng_state_cleanup(&state);
  return error;
}
