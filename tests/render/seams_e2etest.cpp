// The borders between cube faces in frames the real program records, with an atlas of six
// solid cells and grey in the six unused ones: the camera view shows no grey at all, and
// next to no colour between the faces', at start-up, after orbits and after a point is dragged.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "support/atlas.h"
#include "support/x_session.h"

namespace {

using e2e::Rgb;
using e2e::TgaImage;

constexpr int kCell = 64;  // atlas cell side in texels

class SeamsE2eTest : public e2e::AppSessionTest {
 protected:
  // Starts the viewer over the flat atlas with recording on; frame 0 is the start-up picture.
  void start() {
    ASSERT_TRUE(support::writeFlatAtlas(path("cubemap.png"), kCell));
    ASSERT_TRUE(createFrameDir());
    ASSERT_TRUE(launch(PATCHLUME_BINARY));
    ASSERT_TRUE(keyRecords(XK_s, 0, frame));
  }

  // The frame once all input so far is drawn.
  void settle() {
    int number = 0;
    ASSERT_TRUE(settledFrame(nextFrame, number, frame));
    nextFrame = number + 1;
  }

  // Over the camera view (the top-right quadrant): every pixel that is not the white
  // background is the patch. None may be the unused grey, at most 0.5 % of them may be of no
  // face (a texel filtered with the next cell's where a quad comes within half a texel of
  // its cell's border), and the patch must be large and show several faces, so that a blank
  // or one-colour frame cannot pass.
  void expectSeamless(const char* label) {
    int patch = 0, grey = 0, between = 0;
    std::set<int> faces;
    for (int y = 0; y < 400; ++y) {
      for (int x = 400; x < 800; ++x) {
        if (e2e::pixelNear(frame, x, y, {255, 255, 255}, 3)) continue;
        ++patch;
        const int face = support::flatFaceOf(frame.at(x, y));
        if (face >= 0) {
          faces.insert(face);
        } else if (e2e::pixelNear(frame, x, y, support::kFlatUnusedColour, 3)) {
          if (++grey <= 5) ADD_FAILURE() << label << ": unused grey at (" << x << ", " << y << ")";
        } else {
          ++between;
        }
      }
    }
    std::printf("%s: %d patch pixels, %d unused grey, %d of no face\n", label, patch, grey, between);
    EXPECT_EQ(grey, 0) << label << ", of " << patch << " patch pixels";
    EXPECT_LE(between * 200, patch) << label << ": " << between << " of " << patch
                                    << " patch pixels show no face";
    EXPECT_GT(patch, 20000) << label;
    EXPECT_GE(faces.size(), 3u) << label;
  }

  TgaImage frame;
  int nextFrame = 1;  // the first frame not yet looked at
};

TEST_F(SeamsE2eTest, StartUpCamera) {
  start();
  expectSeamless("start-up camera");
}

TEST_F(SeamsE2eTest, AfterOrbitingRight) {
  start();
  drag(1, 600, 200, 700, 200, 10);
  settle();
  expectSeamless("orbited right");
}

TEST_F(SeamsE2eTest, AfterOrbitingDown) {
  start();
  // Less than the 200 pixels that would look straight down, which shows hardly a face.
  drag(1, 600, 200, 600, 320, 10);
  settle();
  expectSeamless("orbited down");
}

TEST_F(SeamsE2eTest, AfterDraggingAControlPoint) {
  start();
  drag(1, 153, 553, 120, 500);  // point (1, 1) of the front view, up and to the left
  settle();
  expectSeamless("control point dragged");
  drag(1, 600, 200, 640, 150, 10);  // and the camera orbited over the new shape
  settle();
  expectSeamless("control point dragged, camera orbited");
}

}  // namespace
