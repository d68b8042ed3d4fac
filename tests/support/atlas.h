// Flat-colour cube-map atlases: the six used cells of the 4 by 3 cross solid, each in its own
// colour, every unused cell in one more, so a picture tells which cell each pixel came from.
// Faces are the product's CubeFace and cells its kAtlasCells, which the reflection tests pin
// against a layout written out by hand.
#pragma once

#include <string>
#include <vector>

#include "app/state.h"            // kFaceCount
#include "render/atlas_layout.h"  // CubeFace, kAtlasCells
#include "support/rgb.h"

namespace support {

extern const char* const kFaceNames[kFaceCount];  // "-X", "+X", ... by CubeFace

// Six colours far apart from each other, from the unused grey and from the white background.
extern const Rgb kFlatFaceColours[kFaceCount];
extern const Rgb kFlatUnusedColour;

// RGBA pixels, top row first, of an atlas of cells `cell` texels square.
std::vector<unsigned char> flatAtlasRgba(int cell, const Rgb faces[kFaceCount], Rgb unused);
// The same encoded as PNG at path; false when encoding or writing fails.
bool writeFlatAtlas(const std::string& path, int cell, const Rgb faces[kFaceCount] = kFlatFaceColours,
                    Rgb unused = kFlatUnusedColour);

// Whether (s, t) lies in the closed atlas cell of a face, at least margin inside its border.
bool inFaceCell(int face, const double st[2], double margin = 0.0);

// The face whose colour p is within tolerance of in every channel, -1 for none.
int flatFaceOf(Rgb p, const Rgb faces[kFaceCount] = kFlatFaceColours, int tolerance = 3);

}  // namespace support
