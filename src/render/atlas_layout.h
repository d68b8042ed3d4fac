// The cube-map atlas's layout, defined here once: which of its 4 by 3 cells holds each cube
// face, and how a direction's two other components run across that cell. The mirror's
// lookup and its vector path, the seam cutting, the converter, the zebra atlas and the
// default environment's generator all derive their forms of it from this table. No GL.
#pragma once

constexpr int kAtlasColumns = 4;  // cells across the atlas
constexpr int kAtlasRows = 3;     // cells down the atlas

// Cube faces, negative direction first: face / 2 is the axis (0 x, 1 y, 2 z), face % 2 the sign.
enum CubeFace { kFaceMinusX, kFacePlusX, kFaceMinusY, kFacePlusY, kFaceMinusZ, kFacePlusZ };

// A face's cell. A direction r whose component along the face's axis dominates lands at
// a = aSign * r[aAxis] / |r[axis]| and b = bSign * r[bAxis] / |r[axis]|, each -1..1: a runs
// across the cell from its left edge (-1) to its right, b from its top edge (-1) to its bottom.
struct FaceCell {
  int column, row;   // the cell, 0 the left column and the top row
  int aAxis, bAxis;  // 0 x, 1 y, 2 z
  int aSign, bSign;  // +1 or -1
};

// By face number. Read as directions: looking along -Z, +X goes right and +Y up; the side
// cells follow one another to the right as -X, -Z, +X, +Z, with +Y above -Z and -Y below it.
constexpr FaceCell kAtlasCells[6] = {
    {0, 1, 2, 1, -1, -1},  // -X
    {2, 1, 2, 1, 1, -1},   // +X
    {1, 2, 0, 2, 1, 1},    // -Y
    {1, 0, 0, 2, 1, -1},   // +Y
    {1, 1, 0, 1, 1, -1},   // -Z
    {3, 1, 0, 1, -1, -1},  // +Z
};

constexpr int faceAxis(int face) { return face / 2; }
constexpr int faceSign(int face) { return face % 2 == 1 ? 1 : -1; }

// The face whose cell is at (column, row), -1 for an unused cell or one outside the atlas.
constexpr int faceAtCell(int column, int row) {
  for (int face = 0; face < 6; ++face)
    if (kAtlasCells[face].column == column && kAtlasCells[face].row == row) return face;
  return -1;
}

// The direction, not normalised, that lands at (a, b) of a face's cell: its inverse.
constexpr void cellPointDirection(int face, double a, double b, double direction[3]) {
  const FaceCell& cell = kAtlasCells[face];
  direction[faceAxis(face)] = faceSign(face);
  direction[cell.aAxis] = cell.aSign * a;
  direction[cell.bAxis] = cell.bSign * b;
}

// Direction through atlas point (s, t); s runs left to right and t top to bottom, both over
// [0, 1]. Returns true inside the six used cells. Elsewhere returns false but still fills
// dir, continuing the face of the nearest used cell past its border, so that bilinear
// filtering at a cell border blends in the scene beyond it. dir is not normalised.
bool atlasPointDirection(double s, double t, double dir[3]);

// The same for the centre of texel (px, py) of a width x height atlas.
bool atlasTexelDirection(int px, int py, int width, int height, double dir[3]);
