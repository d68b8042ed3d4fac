// Writes the default environment atlas: make_cubemap [output.png]
#include "cubemap_scene.h"

#include <lodepng.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "cubemap.png";
  const int cell = 256;
  const unsigned width = 4 * cell, height = 3 * cell;
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
  renderAtlas(cell, rgba.data());
  const unsigned error = lodepng::encode(path, rgba, width, height);
  if (error) {
    std::fprintf(stderr, "make_cubemap: cannot write %s: %s\n", path, lodepng_error_text(error));
    return 1;
  }
  return 0;
}
