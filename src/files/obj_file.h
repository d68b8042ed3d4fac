// The tessellation as a Wavefront OBJ mesh: positions, texture coordinates (u = l/128,
// v = k/128) and normals of the 129 by 129 samples, two triangles a grid cell. formatObj is
// pure; exportObjFile is the thin disk end.
#pragma once

#include <cstddef>

#include "app/state.h"

constexpr int kObjVertices = kSamples * kSamples;                   // 16,641
constexpr int kObjTriangles = 2 * (kSamples - 1) * (kSamples - 1);  // 32,768
// Longest lines: "v" or "vn" and three numbers of up to 24 characters, "vt" and two,
// "f" and three 5-digit index triples; plus the comment.
constexpr std::size_t kObjTextCapacity =
    256 + static_cast<std::size_t>(kObjVertices) * (2 * (3 + 3 * 25) + (3 + 2 * 25)) +
    static_cast<std::size_t>(kObjTriangles) * (2 + 3 * 18 + 1);

// Writes the mesh: a comment, kObjVertices "v", "vt" and "vn" lines in [k][l] order, then
// kObjTriangles faces "f a/a/a b/b/b c/c/c", wound counter-clockwise seen from the side the
// normals face. Doubles with 17 significant digits. Returns the length without the NUL, or 0
// when capacity is too small.
std::size_t formatObj(const double points[kSamples][kSamples][3],
                      const double normals[kSamples][kSamples][3], char* text,
                      std::size_t capacity);

// Writes the mesh to path atomically; prints "exported PATH" on stdout, or "PATH: reason" on
// stderr (the file as it was). Returns whether it exported.
bool exportObjFile(const char* path, const double points[kSamples][kSamples][3],
                   const double normals[kSamples][kSamples][3]);
