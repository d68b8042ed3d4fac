// Cost of the curvature of all 16,641 samples, which a curvature mode pays once after every
// change of the control points.
#include <benchmark/benchmark.h>

#include "analysis/curvature.h"
#include "app/state.h"
#include "scene.h"

static void BM_Curvature(benchmark::State& state) {
  prepareDefaultScene();
  timeStep(state, computeCurvature, gaussianCurvature);
}
BENCHMARK(BM_Curvature)->Unit(benchmark::kMillisecond);
