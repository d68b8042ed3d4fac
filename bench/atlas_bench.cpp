// The atlas command's stages on an 8192 x 4096 JPEG panorama at --size 1024 (4 x 4
// sub-samples a texel): decoding, the resampling on 1 and 2 threads, the PNG encoding, and
// the whole conversion from file to file.
#include <benchmark/benchmark.h>
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "atlas/decode.h"
#include "atlas/run.h"
#include "files/kept_file.h"

namespace {

constexpr int kWidth = 8192, kHeight = 4096, kCell = 1024;

char panoramaName[64];  // the JPEG's path, removed at exit

void removePanorama() {
  std::remove(panoramaName);
}

// The panorama as a JPEG in /tmp, written once: smooth gradients under fine detail, so that
// it neither compresses to nothing nor is all noise. Empty when it can't be written.
const std::string& panoramaPath() {
  static const std::string path = [] {
    std::vector<unsigned char> rgb(3L * kWidth * kHeight);
    for (long j = 0; j < kHeight; ++j) {
      for (long i = 0; i < kWidth; ++i) {
        unsigned char* p = &rgb[3 * (j * kWidth + i)];
        p[0] = static_cast<unsigned char>(i * 255 / kWidth);
        p[1] = static_cast<unsigned char>(j * 255 / kHeight);
        p[2] = static_cast<unsigned char>(((i / 16 + j / 16) & 1) * 96 + ((i * 7 + j * 13) & 31));
      }
    }
    std::snprintf(panoramaName, sizeof panoramaName, "/tmp/patchlume-bench-panorama-%d.jpg",
                  static_cast<int>(getpid()));
    std::atexit(removePanorama);
    const bool written = stbi_write_jpg(panoramaName, kWidth, kHeight, 3, rgb.data(), 90) != 0;
    return std::string(written ? panoramaName : "");
  }();
  return path;
}

bool decodePanorama(benchmark::State& state, DecodedImage* image) {
  char reason[256];
  if (panoramaPath().empty() ||
      !decodeImageFile(panoramaPath().c_str(), image, reason, sizeof reason)) {
    state.SkipWithError("no panorama");
    return false;
  }
  return true;
}

AtlasJob jobOf(const DecodedImage& image) {
  AtlasJob job;
  job.cell = kCell;
  job.images[0] = {image.width, image.height, image.srgb, image.linear};
  return job;
}

}  // namespace

static void BM_AtlasDecodeJpeg(benchmark::State& state) {
  for (auto _ : state) {
    DecodedImage image;
    if (!decodePanorama(state, &image)) return;
    freeDecoded(&image);
  }
}
BENCHMARK(BM_AtlasDecodeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_AtlasResample(benchmark::State& state) {
  DecodedImage image;
  if (!decodePanorama(state, &image)) return;
  std::vector<unsigned char> rgb(36L * kCell * kCell);
  for (auto _ : state)
    runConversion(jobOf(image), static_cast<int>(state.range(0)), false, rgb.data());
  freeDecoded(&image);
}
BENCHMARK(BM_AtlasResample)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_AtlasEncodePng(benchmark::State& state) {
  DecodedImage image;
  if (!decodePanorama(state, &image)) return;
  std::vector<unsigned char> rgb(36L * kCell * kCell);
  runConversion(jobOf(image), 2, false, rgb.data());
  freeDecoded(&image);
  for (auto _ : state) {
    unsigned char* png = nullptr;
    std::size_t size = 0;
    benchmark::DoNotOptimize(encodeAtlasPng(rgb.data(), 4 * kCell, 3 * kCell, &png, &size));
    state.counters["bytes"] = static_cast<double>(size);
    std::free(png);
  }
}
BENCHMARK(BM_AtlasEncodePng)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the command does on two threads, file to file.
static void BM_AtlasJpegToPng(benchmark::State& state) {
  const std::string out = "/tmp/patchlume-bench-atlas-" + std::to_string(getpid()) + ".png";
  std::vector<unsigned char> rgb(36L * kCell * kCell);
  for (auto _ : state) {
    DecodedImage image;
    if (!decodePanorama(state, &image)) return;
    runConversion(jobOf(image), 2, false, rgb.data());
    freeDecoded(&image);
    unsigned char* png = nullptr;
    std::size_t size = 0;
    char reason[256];
    if (encodeAtlasPng(rgb.data(), 4 * kCell, 3 * kCell, &png, &size) != 0 ||
        !replaceFile(out.c_str(), reinterpret_cast<const char*>(png), size, reason,
                     sizeof reason)) {
      state.SkipWithError("the atlas was not written");
    }
    std::free(png);
  }
  std::remove(out.c_str());
}
BENCHMARK(BM_AtlasJpegToPng)->Unit(benchmark::kMillisecond)->UseRealTime();
