// OBJ text of the tessellation. Indices are 1-based, sample (k, l) being vertex k * 129 + l + 1.
// The normals point along dP/dv x dP/du (v along l, u along k), and for the corner (k, l) of
// a cell the edge to (k, l + 1) crossed with the edge to (k + 1, l) is that same product:
// so (k, l), (k, l + 1), (k + 1, l) runs counter-clockwise seen from the normals' side.
#include "files/obj_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/kept_file.h"

namespace {

int vertexIndex(int k, int l) { return k * kSamples + l + 1; }

bool appendFace(char* text, std::size_t capacity, std::size_t* used, int a, int b, int c) {
  return appendFormatted(text, capacity, used, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b,
                         c, c, c);
}

}  // namespace

std::size_t formatObj(const double points[kSamples][kSamples][3],
                      const double normals[kSamples][kSamples][3], char* text,
                      std::size_t capacity) {
  std::size_t used = 0;
  bool ok = appendFormatted(text, capacity, &used,
                            "# Patchlume surface: %d by %d samples, %d triangles\n", kSamples,
                            kSamples, kObjTriangles);
  for (int k = 0; ok && k < kSamples; ++k) {
    for (int l = 0; ok && l < kSamples; ++l) {
      const double* p = points[k][l];
      ok = appendFormatted(text, capacity, &used, "v %.17g %.17g %.17g\n", p[0], p[1], p[2]);
    }
  }
  const double step = 1.0 / (kSamples - 1);  // a power of two: k * step is exact
  for (int k = 0; ok && k < kSamples; ++k) {
    for (int l = 0; ok && l < kSamples; ++l) {
      ok = appendFormatted(text, capacity, &used, "vt %.17g %.17g\n", l * step, k * step);
    }
  }
  for (int k = 0; ok && k < kSamples; ++k) {
    for (int l = 0; ok && l < kSamples; ++l) {
      const double* n = normals[k][l];
      ok = appendFormatted(text, capacity, &used, "vn %.17g %.17g %.17g\n", n[0], n[1], n[2]);
    }
  }
  for (int k = 0; ok && k + 1 < kSamples; ++k) {
    for (int l = 0; ok && l + 1 < kSamples; ++l) {
      ok = appendFace(text, capacity, &used, vertexIndex(k, l), vertexIndex(k, l + 1),
                      vertexIndex(k + 1, l)) &&
           appendFace(text, capacity, &used, vertexIndex(k, l + 1), vertexIndex(k + 1, l + 1),
                      vertexIndex(k + 1, l));
    }
  }
  return ok ? used : 0;
}

bool exportObjFile(const char* path, const double points[kSamples][kSamples][3],
                   const double normals[kSamples][kSamples][3]) {
  // Several megabytes: a buffer of this call only, released on every path.
  char* text = static_cast<char*>(std::malloc(kObjTextCapacity));
  if (text == nullptr) {
    std::fprintf(stderr, "%s: %s\n", path, std::strerror(ENOMEM));
    return false;
  }
  const std::size_t length = formatObj(points, normals, text, kObjTextCapacity);
  const bool ok = writeKeptFile(path, text, length, "exported");
  std::free(text);
  return ok;
}
