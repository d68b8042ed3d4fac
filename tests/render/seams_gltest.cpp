// The mirror across cube-face borders on the real window: with an atlas of six solid cells,
// every pixel shows the face that the reflection interpolated at that pixel points to, which
// the test works out itself from the normals (double precision) by its own rasteriser.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/shell.h"
#include "app/state.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "support/atlas.h"
#include "support/gl_window.h"
#include "support/mirror_prediction.h"
#include "support/viewer_gl_fixture.h"

namespace {

using support::kFaceNames;
using support::Rgb;
constexpr int kCell = 256;  // atlas cell side in texels, as in the default atlas

class SeamsGl : public support::ViewerGlTest {
 protected:
  void SetUp() override {
    ViewerGlTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(support::loadFlatAtlas(kCell));
  }
};

TEST_F(SeamsGl, EveryPixelShowsTheFaceOfItsInterpolatedReflection) {
  struct Case {
    const char* label;
    float eye[3], center[3], up[3];
    int net;  // 0 the start-up grid, 1 control point (1, 1) moved as in a front-view drag,
              // 2 the last row of points moved past the first, folding the patch over
              // itself, 3 the same fold from the other side (the first row past the last)
  };
  const Case cases[] = {
      {"start-up camera", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}, 0},
      {"orbited right", {-0.6614378f, 0, 0.75f}, {0, 0, 0}, {0, 1, 0}, 0},
      {"orbited over the top", {0, 1, 0}, {0, 0, 0}, {0, 0, -1}, 0},
      {"point dragged, seen aslant", {0.3f, -0.4f, 0.866f}, {0, 0, 0}, {0, 1, 0}, 1},
      {"folded over itself", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}, 2},
      {"folded to the other side", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}, 3},
  };
  for (const Case& c : cases) {
    initControlGrid();
    if (c.net == 1) {
      controlPoints[1][1][0] = -320.0;
      controlPoints[1][1][1] = 400.0;
    }
    for (int j = 0; j < kGridSize && c.net >= 2; ++j)
      controlPoints[c.net == 2 ? 3 : 0][j][0] = c.net == 2 ? -840.0 : 840.0;
    updateSurface();
    std::memcpy(cameraEye, c.eye, sizeof cameraEye);
    std::memcpy(cameraCenter, c.center, sizeof cameraCenter);
    std::memcpy(cameraUp, c.up, sizeof cameraUp);
    display();
    const std::vector<unsigned char> frame = readBackRgb(400, 400, 400, 400);
    const support::MirrorPrediction prediction = support::predictMirrorFaces(cameraEye, cameraCenter, cameraUp);
    const std::vector<int>& faces = prediction.faces;
    const int seamPixels = prediction.seamPixels, hiddenPixels = prediction.hiddenPixels;
    int checked = 0, wrong = 0;
    for (int i = 0; i < 400 * 400; ++i) {
      if (faces[i] < 0) continue;
      ++checked;
      const Rgb got = {frame[3 * i], frame[3 * i + 1], frame[3 * i + 2]};
      if (support::flatFaceOf(got) != faces[i] && ++wrong <= 5)
        ADD_FAILURE() << c.label << ": pixel (" << 400 + i % 400 << ", " << 400 + i / 400
                      << ") is " << got.r << "," << got.g << "," << got.b << ", predicted "
                      << kFaceNames[faces[i]];
    }
    EXPECT_EQ(wrong, 0) << c.label << ", of " << checked << " pixels";
    // Enough of the picture, and of the quads that straddle a border, for a fault to show.
    EXPECT_GT(checked, 10000) << c.label;
    EXPECT_GT(seamPixels, 300) << c.label;
    // Where the patch folds, the nearer part shows, drawn before the farther one or after it,
    // over one that reflects another face.
    if (c.net >= 2) {
      EXPECT_GT(hiddenPixels, 300) << c.label;
    }
    std::printf("%s: %d pixels predicted, %d of them in straddling quads, %d over another face\n",
                c.label, checked, seamPixels, hiddenPixels);
  }
}

}  // namespace
