// The patch as a mirror on the GL: the quads of the tessellation textured from the cube-map
// atlas by the reflection mapping, those that straddle a face border in one-face pieces.
#pragma once

// The quads between sample rows k - 1 and k, columns lFirst up to lEnd (exclusive), as one
// GL_QUAD_STRIP with their texCoords; nothing when lFirst == lEnd. Sets no GL state.
void drawQuadStrip(int k, int lFirst, int lEnd);

// Recomputes texCoords and texFaces, then draws the patch with GL_TEXTURE_2D enabled over the
// bound atlas, row by row: quads whose corners share a face in quad strips, then the row's
// other quads as the pieces that every face's region holds of them, in one GL_TRIANGLES, so
// that no fragment reads a cell its reflection does not point to. Sets no colour, normal,
// matrix or binding; leaves GL_TEXTURE_2D disabled. The atlas is atlasWidth by atlasHeight.
void drawMirrorPatch();

// drawMirrorPatch over a bound atlas of another size, width by height texels (the half-texel
// margins that keep the filter inside a cell depend on it).
void drawMirrorPatchOver(int width, int height);
