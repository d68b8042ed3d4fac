// Cost of the videos at 800 by 800: one frame converted and encoded as H.264, and a whole
// turntable of 120 frames drawn, read back and encoded, wall-clock since x264 encodes on
// threads of its own.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/shell.h"
#include "app/state.h"
#include "capture/frames.h"
#include "capture/recorder.h"
#include "capture/video.h"
#include "gl_context.h"
#include "scene.h"

namespace {

constexpr int kSize = 800;
constexpr int kPictures = 30;  // a quarter turn, 3 degrees apart: frames that differ as a turn's do

std::string scratchVideo() {
  char dir[] = "/tmp/patchlume-bench-XXXXXX";
  return mkdtemp(dir) != nullptr ? std::string(dir) + "/bench.mp4" : std::string();
}

void removeScratch(const std::string& path) {
  std::remove(path.c_str());
  rmdir(path.substr(0, path.rfind('/')).c_str());
}

// Pictures of the start-up scene at successive turntable poses, rows bottom first.
std::vector<std::vector<unsigned char>> drawPictures() {
  prepareDefaultScene();
  showAxes = false;
  float eye[3], up[3];
  const float startEye[3] = {cameraEye[0], cameraEye[1], cameraEye[2]};
  const float startUp[3] = {cameraUp[0], cameraUp[1], cameraUp[2]};
  std::vector<std::vector<unsigned char>> pictures(kPictures, std::vector<unsigned char>(3 * kSize * kSize + kVideoPicturePadding));
  for (int i = 0; i < kPictures; ++i) {
    turntablePose(startEye, cameraCenter, startUp, i, kTurntableFrames, eye, up);
    for (int k = 0; k < 3; ++k) cameraEye[k] = eye[k], cameraUp[k] = up[k];
    display();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, pictures[i].data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
  }
  prepareDefaultScene();
  return pictures;
}

}  // namespace

static void BM_EncodeVideoFrame(benchmark::State& state) {
  if (!benchWindowOrSkip(state)) return;
  const std::vector<std::vector<unsigned char>> pictures = drawPictures();
  const std::string path = scratchVideo();
  static VideoWriter video;
  if (path.empty() || !openVideo(video, path.c_str(), kSize, kSize, kVideoFps)) {
    state.SkipWithError("cannot open the video");
    return;
  }
  int next = 0;
  for (auto _ : state) {
    if (!addVideoFrame(video, pictures[next].data(), kBottomRowFirst)) {
      state.SkipWithError(video.error);
      break;
    }
    next = (next + 1) % kPictures;
  }
  abortVideo(video);
  removeScratch(path);
}
BENCHMARK(BM_EncodeVideoFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_Turntable(benchmark::State& state) {
  if (!benchWindowOrSkip(state)) return;
  const std::string path = scratchVideo();
  if (path.empty()) {
    state.SkipWithError("no scratch directory");
    return;
  }
  prepareDefaultScene();
  showAxes = false;
  for (auto _ : state) {
    if (!startTurntable(path.c_str(), kTurntableFrames, kVideoFps)) {
      state.SkipWithError("cannot start the turn");
      break;
    }
    while (turntableFrame >= 0) display();
    glFinish();
  }
  removeScratch(path);
}
BENCHMARK(BM_Turntable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
