// The start-up scene without a window: what initScene sets up for the model and the camera.
#include "scene.h"

#include "interact/camera.h"
#include "model/basis.h"

void prepareDefaultScene() {
  initBinomials();
  initBernstein();
  initControlGrid();
  setDefaultCamera();
}
