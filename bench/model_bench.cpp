// Cost of one re-tessellation, which runs inside every mouse-motion event, against the
// plain 16-term evaluation of the same 129 by 129 positions (no normals) as a yardstick.
#include <benchmark/benchmark.h>

#include "app/state.h"
#include "model/tessellation.h"
#include "scene.h"

namespace {

// Positions only, each a full double sum over the 16 control points.
double directPoints[kSamples][kSamples][3];

void directEvaluation() {
  for (int k = 0; k < kSamples; ++k) {
    for (int l = 0; l < kSamples; ++l) {
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int i = 0; i < kGridSize; ++i)
          for (int j = 0; j < kGridSize; ++j)
            sum += (bernstein[k][i] * bernstein[l][j]) * controlPoints[i][j][c];
        directPoints[k][l][c] = sum;
      }
    }
  }
}

}  // namespace

static void BM_UpdateSurface(benchmark::State& state) {
  prepareDefaultScene();
  timeStep(state, updateSurface, surfaceNormals);
}
BENCHMARK(BM_UpdateSurface)->Unit(benchmark::kMillisecond);

static void BM_DirectEvaluation(benchmark::State& state) {
  prepareDefaultScene();
  timeStep(state, directEvaluation, directPoints);
}
BENCHMARK(BM_DirectEvaluation)->Unit(benchmark::kMillisecond);
