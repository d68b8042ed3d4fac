// Cost of one recorded frame at 800 by 800: read-back of the back buffer and the file.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/shell.h"
#include "app/state.h"
#include "capture/screenshot.h"
#include "gl_context.h"

static void BM_SaveScreenshot(benchmark::State& state) {
  if (!benchWindowOrSkip(state)) return;
  char dirTemplate[] = "/tmp/patchlume-bench-XXXXXX";
  if (mkdtemp(dirTemplate) == nullptr) {
    state.SkipWithError("no scratch directory");
    return;
  }
  char previous[4096];
  if (getcwd(previous, sizeof previous) == nullptr || chdir(dirTemplate) != 0) {
    state.SkipWithError("can't enter the scratch directory");
    return;
  }
  mkdir("screenshots", 0755);
  display();
  for (auto _ : state) {
    frameCounter = 0;  // overwrite one file rather than fill the disk
    benchmark::DoNotOptimize(saveScreenshot());
  }
  std::remove("screenshots/frame000.tga");
  rmdir("screenshots");
  if (chdir(previous) != 0) state.SkipWithError("can't return");
  rmdir(dirTemplate);
}
BENCHMARK(BM_SaveScreenshot)->Unit(benchmark::kMillisecond);

