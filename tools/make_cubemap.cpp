// Writes the default environment atlas, or the same scene as a panorama:
//   make_cubemap [--cell N] [output.png]      the atlas, cells N texels square (default 256)
//   make_cubemap --panorama [output.png]      a 4096 x 2048 equirectangular panorama
#include "cubemap_scene.h"

#include <lodepng.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  bool panorama = false;
  int cell = 256;
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    if (std::strcmp(argv[i], "--panorama") == 0) {
      panorama = true;
    } else if (std::strcmp(argv[i], "--cell") == 0 && i + 1 < argc) {
      cell = std::atoi(argv[++i]);
    } else {
      cell = 0;
      break;
    }
  }
  if (cell < 1 || cell > 4096 || argc - i > 1) {
    std::fprintf(stderr, "usage: make_cubemap [--cell N | --panorama] [output.png]\n");
    return 2;
  }
  const char* path = i < argc ? argv[i] : "cubemap.png";
  const unsigned width = panorama ? 4096 : 4 * cell, height = panorama ? 2048 : 3 * cell;
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
  if (panorama) {
    renderPanorama(width, height, rgba.data());
  } else {
    renderAtlas(cell, rgba.data());
  }
  const unsigned error = lodepng::encode(path, rgba, width, height);
  if (error) {
    std::fprintf(stderr, "make_cubemap: cannot write %s: %s\n", path, lodepng_error_text(error));
    return 1;
  }
  return 0;
}
