// Records the README's pictures with the real viewer: in the default environment
// docs/mirror.png, the camera view at start-up, and docs/frame.png, the whole window after a
// control point is dragged in the front view and the camera is orbited, axes on; and
// docs/converted.png, the camera view over make_cubemap's panorama converted by
// patchlume-atlas with a turn of 45 degrees; docs/zebra.png, docs/gaussian.png and
// docs/mean.png, the camera view in the three analysis modes after a dent is pushed into
// the dome. A tool, not
// a test: run build/tests/record_docs (PATCHLUME_DOCS_DIR overrides the folder written to).
// Needs Xvfb; the PNG files are encoded by LodePNG.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/x_session.h"

namespace {

std::string docsDir() {
  const char* dir = std::getenv("PATCHLUME_DOCS_DIR");
  return dir != nullptr && *dir != '\0' ? dir : PATCHLUME_SOURCE_DIR "/docs";
}

// The w by h pixels of the frame from (x, y) (top-left origin), as an 8-bit RGB PNG.
bool writePng(const e2e::TgaImage& frame, int x, int y, int w, int h, const std::string& path) {
  std::vector<unsigned char> rgb;
  for (int row = y; row < y + h; ++row) {
    for (int column = x; column < x + w; ++column) {
      const e2e::Rgb p = frame.at(column, row);
      rgb.insert(rgb.end(), {static_cast<unsigned char>(p.r), static_cast<unsigned char>(p.g),
                             static_cast<unsigned char>(p.b)});
    }
  }
  return lodepng::encode(path, rgb, static_cast<unsigned>(w), static_cast<unsigned>(h), LCT_RGB) == 0;
}

class RecordDocs : public e2e::AppSessionTest {};

TEST_F(RecordDocs, MirrorAndFrame) {
  e2e::TgaImage frame;
  ASSERT_TRUE(launchRecording(PATCHLUME_BINARY, PATCHLUME_ASSETS "/cubemap.png", frame));
  // The camera view is the top-right quadrant of the 800 by 800 window.
  ASSERT_TRUE(writePng(frame, 400, 0, 400, 400, docsDir() + "/mirror.png"));

  drag(1, 153, 553, 120, 500);     // control point (1, 1) of the front view, up and left
  drag(1, 600, 200, 630, 160, 10);  // the eye orbits down and to the left
  key(XK_a);
  // X delivers the a after the drags, so the first frame with axes shows them all.
  int number = 1;
  for (;; ++number) {
    ASSERT_TRUE(waitFrame(number, frame));
    if (e2e::frameShowsAxes(frame)) break;
  }
  ASSERT_TRUE(writePng(frame, 0, 0, 800, 800, docsDir() + "/frame.png"));
}

TEST_F(RecordDocs, AnalysisModes) {
  e2e::TgaImage frame;
  ASSERT_TRUE(launchRecording(PATCHLUME_BINARY, PATCHLUME_ASSETS "/cubemap.png", frame));
  // Control point (1, 2) pushed back in the top view, from z = 133 to about -560: a dent in
  // the dome, ringed by saddles.
  drag(1, 153, 233, 153, 60);
  int number = 0;
  ASSERT_TRUE(settledFrame(1, number, frame));
  for (const char* name : {"zebra", "gaussian", "mean"}) {
    ASSERT_TRUE(keyRecords(XK_z, ++number, frame));
    ASSERT_TRUE(writePng(frame, 400, 0, 400, 400, docsDir() + "/" + name + ".png"));
  }
}

TEST_F(RecordDocs, ConvertedPanorama) {
  const std::string line = "cd '" + workDir + "' && '" PATCHLUME_MAKE_CUBEMAP "' --panorama pano.png && '"
                           PATCHLUME_ATLAS_BINARY "' --yaw 45 --size 512 pano.png converted.png";
  ASSERT_EQ(std::system(line.c_str()), 0);
  e2e::TgaImage frame;
  ASSERT_TRUE(launchRecording(PATCHLUME_BINARY, path("converted.png"), frame));
  ASSERT_TRUE(writePng(frame, 400, 0, 400, 400, docsDir() + "/converted.png"));
}

}  // namespace
