// The scene the benchmarks start from, and the loop that times one step of work on it.
#pragma once

#include <benchmark/benchmark.h>

// Basis tables, the initial dome (tessellated) and the start-up camera.
void prepareDefaultScene();

// Runs step once an iteration, keeping what it writes from being optimised away.
template <typename Step, typename Written>
void timeStep(benchmark::State& state, Step step, Written& written) {
  for (auto _ : state) {
    step();
    benchmark::DoNotOptimize(written);
    benchmark::ClobberMemory();
  }
}
