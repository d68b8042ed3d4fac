// Window set-up shared by the GL benchmarks.
#include "gl_context.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/shell.h"
#include "app/state.h"

#ifndef PATCHLUME_ASSETS
#define PATCHLUME_ASSETS "assets"
#endif

bool ensureBenchWindow() {
  static int ready = -1;
  if (ready >= 0) return ready == 1;
  const char* displayName = std::getenv("DISPLAY");
  if (displayName == nullptr || *displayName == '\0') {
    ready = 0;
    return false;
  }
  // The atlas is read from the working directory, like the viewer does.
  if (chdir(PATCHLUME_ASSETS) != 0) {
    ready = 0;
    return false;
  }
  int argc = 1;
  char name[] = "patchlume_bench";
  char* argv[] = {name, nullptr};
  glutInit(&argc, argv);
  initScene();
  registerCallbacks();
  for (int i = 0; i < 50 && trackballRadius == 0.0; ++i) glutMainLoopEvent();
  ready = 1;
  return true;
}

bool benchWindowOrSkip(benchmark::State& state) {
  if (ensureBenchWindow()) return true;
  state.SkipWithError("no X display");
  return false;
}
