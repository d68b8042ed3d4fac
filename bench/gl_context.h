// A GLUT window for the benchmarks that draw or read pixels, made once per process.
#pragma once

#include <benchmark/benchmark.h>

// Creates the viewer's window (initScene) at 800 by 800 in a scratch directory holding the
// default atlas. Returns false when there is no display.
bool ensureBenchWindow();

// ensureBenchWindow, and when there is no window the benchmark skipped with an error.
bool benchWindowOrSkip(benchmark::State& state);
