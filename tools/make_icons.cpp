// Writes the application icons from the viewer's own picture of the mirror (docs/mirror.png,
// recorded by record_docs): make_icons MIRROR.png DIR NAME writes DIR/NxN/apps/NAME.png for
// N = 48, 128, 256, making the directories below DIR as needed.
#include <lodepng.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "icon.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_icons MIRROR.png DIR NAME\n");
    return 2;
  }
  std::vector<unsigned char> rgb;
  unsigned width = 0, height = 0;
  const unsigned error = lodepng::decode(rgb, width, height, argv[1], LCT_RGB);
  int box[3];
  if (error != 0 || !findPictureSquare(rgb.data(), static_cast<int>(width),
                                       static_cast<int>(height), box)) {
    std::fprintf(stderr, "make_icons: %s: %s\n", argv[1],
                 error != 0 ? lodepng_error_text(error) : "nothing but background");
    return 1;
  }
  for (const int side : {48, 128, 256}) {
    std::string dir = std::string(argv[2]) + "/" + std::to_string(side) + "x" + std::to_string(side);
    mkdir(dir.c_str(), 0755);
    dir += "/apps";
    mkdir(dir.c_str(), 0755);
    std::vector<unsigned char> rgba(static_cast<size_t>(side) * side * 4);
    resampleSquare(rgb.data(), static_cast<int>(width), box, side, rgba.data());
    const std::string path = dir + "/" + argv[3] + ".png";
    const unsigned written = lodepng::encode(path, rgba, side, side, LCT_RGBA);
    if (written != 0) {
      std::fprintf(stderr, "make_icons: cannot write %s: %s\n", path.c_str(),
                   lodepng_error_text(written));
      return 1;
    }
  }
  return 0;
}
