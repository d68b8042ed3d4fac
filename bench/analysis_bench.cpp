// Cost of the curvature of all 16,641 samples, which a curvature mode pays once after every
// change of the control points, and of filling the zebra atlas, which the zebra mode pays
// when the band count or axis changes.
#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/curvature.h"
#include "render/zebra.h"
#include "app/state.h"
#include "scene.h"

static void BM_Curvature(benchmark::State& state) {
  prepareDefaultScene();
  timeStep(state, computeCurvature, gaussianCurvature);
}
BENCHMARK(BM_Curvature)->Unit(benchmark::kMillisecond);

static void BM_ZebraAtlas(benchmark::State& state) {
  std::vector<unsigned char> luminance(12 * kZebraCellSize * kZebraCellSize);
  for (auto _ : state) {
    fillZebraAtlas(kZebraCellSize, 24, 1, luminance.data());
    benchmark::DoNotOptimize(luminance.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ZebraAtlas)->Unit(benchmark::kMillisecond);
