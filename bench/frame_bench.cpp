// Whole-frame costs at 800 by 800: one display pass (and one with the patch in whole strips
// beside it), one camera-drag motion event end to end,
// and the start-up work up to the first finished frame. glFinish inside the timed loop makes
// the GL's work count, and wall-clock time is reported since the GL may render on threads of
// its own.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "app/shell.h"
#include "app/state.h"
#include "gl_context.h"
#include "interact/camera.h"
#include "interact/picking.h"
#include "render/cubemap.h"
#include "render/mirror.h"
#include "render/reflection.h"
#include "scene.h"

namespace {

// Sends stdout to /dev/null while the loader prints its line once per iteration.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
  }

 private:
  int saved_;
};

// The window, the start-up scene with the axes off, and one finished frame; false (the
// benchmark skipped) without a display.
bool prepareFrame(benchmark::State& state) {
  if (!benchWindowOrSkip(state)) return false;
  prepareDefaultScene();
  showAxes = false;
  display();
  glFinish();
  return true;
}

// Display passes at the start-up camera, the camera view's patch drawn by drawPatch.
void runDisplayPass(benchmark::State& state, void (*drawPatch)()) {
  if (!prepareFrame(state)) return;
  for (auto _ : state) {
    displayWith(drawPatch);
    glFinish();
  }
}

// The patch as whole quad strips, its straddling quads textured straight across the atlas
// like the others: the yardstick for what cutting those quads into pieces costs.
void drawPatchInStrips() {
  computeTexCoords();
  glEnable(GL_TEXTURE_2D);
  for (int k = 1; k < kSamples; ++k) drawQuadStrip(k, 0, kSamples - 1);
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

static void BM_DisplayPass(benchmark::State& state) { runDisplayPass(state, drawMirrorPatch); }
BENCHMARK(BM_DisplayPass)->Unit(benchmark::kMillisecond)->UseRealTime();

// Compare with BM_DisplayPass in one run, best interleaved:
// --benchmark_enable_random_interleaving=true --benchmark_repetitions=10
static void BM_DisplayPassStripsOnly(benchmark::State& state) {
  runDisplayPass(state, drawPatchInStrips);
}
BENCHMARK(BM_DisplayPassStripsOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// A left-button drag in the camera view: the orbit step, re-tessellation and the redraw,
// with the camera view in the AnalysisMode of the argument (0 the mirror), entered by z as
// the user does. Every iteration starts from the same camera, so each one does the same work.
static void BM_MotionEvent(benchmark::State& state) {
  if (!prepareFrame(state)) return;
  for (int i = 0; i < state.range(0); ++i) keyboard('z', 0, 0);
  // The mode's first frame (the zebra atlas made and uploaded) before the timing starts.
  display();
  glFinish();
  mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 600, 200);
  if (dragView != 3) {
    state.SkipWithError("the press did not start a camera drag");
    return;
  }
  const int startX = lastMouseX, startY = lastMouseY;
  for (auto _ : state) {
    setDefaultCamera();
    lastMouseX = startX;
    lastMouseY = startY;
    motion(612, 207);
    display();
    glFinish();
  }
  mouse(GLUT_LEFT_BUTTON, GLUT_UP, 612, 207);
  setDefaultCamera();
  analysisMode = kMirrorMode;
}
// Compare the modes with the mirror (/0) in one run, best interleaved as above.
BENCHMARK(BM_MotionEvent)->DenseRange(kMirrorMode, kMeanMode)->Unit(benchmark::kMillisecond)->UseRealTime();

// The start-up work after the window exists: the atlas (read, decoded, uploaded), the model
// tables and the first tessellation, the camera, and the first frame, finished.
static void BM_StartupToFirstFrame(benchmark::State& state) {
  if (!benchWindowOrSkip(state)) return;
  if (access("cubemap.png", R_OK) != 0) {
    state.SkipWithError("no cubemap.png in the working directory");
    return;
  }
  showAxes = false;
  {
    QuietStdout quiet;
    for (auto _ : state) {
      loadCubemap("cubemap.png");
      prepareDefaultScene();
      display();
      glFinish();
    }
  }
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  if (cubemapTexture == 0 || width == 0) state.SkipWithError("the atlas did not load");
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
