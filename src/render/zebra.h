// Zebra analysis: the reflection of evenly spaced parallel light bands round an axis, as a
// black and white cube-map atlas laid out like the environment's, so that the mirror's own
// drawing shows it. No GL.
#pragma once

// Band counts round the full circle that [ and ] step through.
constexpr int kBandCounts[] = {8, 12, 16, 24, 32, 48, 64, 96};
constexpr int kBandCountSteps = sizeof kBandCounts / sizeof kBandCounts[0];
// Texels a side of a zebra atlas cell: over the start-up dome a texel covers less than a pixel
// (it needs 279, at the dome's corners), so the band edges are as sharp as the screen shows
// them; 4 * 288 bytes a row keep the default unpack alignment.
constexpr int kZebraCellSize = 288;

// The band count `step` places (+-1) from bands in kBandCounts, held at its ends; a count not
// in the table moves to the nearest entry on that side.
int steppedBandCount(int bands, int step);

// Band of direction r (any length but zero): the parity of floor(bands * phi / (2 pi)), phi
// the angle of r about world axis `axis` (0 X, 1 Y), measured from the next axis towards the
// one after (about X from +Y towards +Z, about Y from +Z towards +X). 0 white, 1 black.
int zebraBand(const double r[3], int bands, int axis);

// Fills luminance, 4 * cellSize by 3 * cellSize bytes, top row first, with 255 (white) or 0
// (black) by the band of every texel's direction (atlasTexelDirection: beyond the six used
// cells, that of the nearest, so that filtering across a cell's border reads what lies
// beyond it).
void fillZebraAtlas(int cellSize, int bands, int axis, unsigned char* luminance);
