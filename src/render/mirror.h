// The patch as a mirror: every sample's normal reflects the camera's viewing direction and
// the reflection picks a texel of the 4 by 3 cube-map atlas.
#pragma once

// Atlas coordinates (s, t), each in 0..1, of the reflection of the view direction d (eye to
// look-at, not normalised) in the plane with normal n. A zero normal reflects nothing
// (r = d). A zero d, which has no direction, gives the middle of the +Z cell.
void reflectionTexCoord(const double n[3], const float d[3], double st[2]);

// Fills texCoords from surfaceNormals and the camera's view direction. No GL.
void computeTexCoords();

// Recomputes texCoords, then draws the 128 quad strips with GL_TEXTURE_2D enabled over the
// bound atlas. Sets no colour, normal, matrix or binding; leaves GL_TEXTURE_2D disabled.
void drawMirrorPatch();
