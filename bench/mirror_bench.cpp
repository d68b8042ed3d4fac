// Cost of the mirror's texture coordinates, recomputed for all 16,641 samples in every
// camera-view pass, against the single-sample function called over the same grid.
#include <benchmark/benchmark.h>

#include "app/state.h"
#include "render/mirror.h"
#include "scene.h"

static void BM_TexCoords(benchmark::State& state) {
  prepareDefaultScene();
  timeStep(state, computeTexCoords, texCoords);
  state.SetItemsProcessed(state.iterations() * kSamples * kSamples);
}
BENCHMARK(BM_TexCoords)->Unit(benchmark::kMicrosecond);

// The grid through the readable one-sample function: the yardstick for BM_TexCoords.
static void BM_TexCoordsOneByOne(benchmark::State& state) {
  prepareDefaultScene();
  const float d[3] = {cameraCenter[0] - cameraEye[0], cameraCenter[1] - cameraEye[1],
                      cameraCenter[2] - cameraEye[2]};
  auto oneByOne = [&d] {
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) reflectionTexCoord(surfaceNormals[k][l], d, texCoords[k][l]);
  };
  timeStep(state, oneByOne, texCoords);
  state.SetItemsProcessed(state.iterations() * kSamples * kSamples);
}
BENCHMARK(BM_TexCoordsOneByOne)->Unit(benchmark::kMicrosecond);
