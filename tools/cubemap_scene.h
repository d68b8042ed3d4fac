// The default environment: a procedural scene seen from the centre of a cube, laid out as a
// 4 x 3 cube-map atlas. Pure functions: no I/O, no GL.
#pragma once

#include "render/atlas_layout.h"  // atlasPointDirection, atlasTexelDirection

// Scene colour seen along dir (any length but zero), channels in [0, 1].
void sceneRadiance(const double dir[3], double rgb[3]);
void sceneColour(const double dir[3], unsigned char rgb[3]);

// Fills rgba, 4 * cellSize wide and 3 * cellSize high, top row first, alpha 255, with each
// texel the average of 4 x 4 scene samples over its footprint.
void renderAtlas(int cellSize, unsigned char* rgba);
// The RGB of one texel of that atlas.
void renderAtlasTexel(int px, int py, int cellSize, unsigned char rgb[3]);

// Fills rgba, width x height, top row first, alpha 255, with the scene as an
// equirectangular panorama seen facing +Z with +Y up: the middle column +Z, the column a
// quarter of the width right of it -X, the top row +Y; one sample at each pixel's centre.
void renderPanorama(int width, int height, unsigned char* rgba);
