// Cost of the mirror's texture coordinates, recomputed for all 16,641 samples in every
// camera-view pass, against the single-sample function called over the same grid.
#include <benchmark/benchmark.h>

#include "app/state.h"
#include "interact/camera.h"
#include "model/basis.h"
#include "render/mirror.h"

namespace {

void prepareDefaultScene() {
  initBinomials();
  initBernstein();
  initControlGrid();
  setDefaultCamera();
}

}  // namespace

static void BM_TexCoords(benchmark::State& state) {
  prepareDefaultScene();
  for (auto _ : state) {
    computeTexCoords();
    benchmark::DoNotOptimize(texCoords);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSamples * kSamples);
}
BENCHMARK(BM_TexCoords)->Unit(benchmark::kMicrosecond);

// The grid through the readable one-sample function: the yardstick for BM_TexCoords.
static void BM_TexCoordsOneByOne(benchmark::State& state) {
  prepareDefaultScene();
  const float d[3] = {cameraCenter[0] - cameraEye[0], cameraCenter[1] - cameraEye[1],
                      cameraCenter[2] - cameraEye[2]};
  for (auto _ : state) {
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l)
        reflectionTexCoord(surfaceNormals[k][l], d, texCoords[k][l]);
    benchmark::DoNotOptimize(texCoords);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSamples * kSamples);
}
BENCHMARK(BM_TexCoordsOneByOne)->Unit(benchmark::kMicrosecond);
