// What the camera view of the 800 by 800 window shows of the mirror patch over an atlas of
// flat cells, worked out in the test from the tessellation's globals by a rasteriser of its
// own: an orthographic look-at projection at 4 world units a pixel, the reflection of the view
// direction interpolated linearly over each triangle, the nearest triangle winning. No GL.
#pragma once

#include <vector>

namespace support {

constexpr int kPixelUnknown = -2;     // a pixel the prediction leaves out
constexpr int kPixelBackground = -1;  // a pixel no triangle comes near

struct MirrorPrediction {
  std::vector<int> faces;  // 400 by 400, bottom row first: a CubeFace or one of the two above
  int seamPixels = 0;      // predicted pixels of quads whose corners reflect onto several faces
  int hiddenPixels = 0;    // predicted pixels over another row's triangle that shows another face
};

// The face each pixel of the camera view shows (window pixels 400..799 both ways, origin
// bottom-left), the quad between sample rows k - 1 and k split along its (k - 1, l) to
// (k, l + 1) diagonal. Left out: pixels within 0.01 pixel of a triangle's edge (the GL rounds
// vertices to a few bits below the pixel), reflections within 1 % of a face border (filtering
// may mix cells there in an atlas of cells 256 texels across) and pixels where another row's
// triangle comes within 4 world units of the nearest.
MirrorPrediction predictMirrorFaces(const float eye[3], const float center[3], const float up[3]);

}  // namespace support
