// Writes the fuzzer's seed corpus: one small 4 by 3 atlas in every PNG colour type and bit
// depth, plain and interlaced, into the directory given as the only argument.
#include <lodepng.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr unsigned kCell = 4;
constexpr unsigned kWidth = 4 * kCell;
constexpr unsigned kHeight = 3 * kCell;

// Six distinct colours in the six used cells, grey in the others, some translucency.
std::vector<unsigned char> atlasPixels() {
  static const unsigned char colours[12][4] = {
      {90, 90, 90, 255}, {0, 200, 255, 255}, {90, 90, 90, 255}, {90, 90, 90, 255},
      {255, 0, 0, 255},  {0, 0, 255, 200},   {0, 255, 0, 255},  {255, 255, 0, 128},
      {90, 90, 90, 255}, {255, 0, 255, 255}, {90, 90, 90, 255}, {90, 90, 90, 255}};
  std::vector<unsigned char> pixels(kWidth * kHeight * 4);
  for (unsigned y = 0; y < kHeight; ++y)
    for (unsigned x = 0; x < kWidth; ++x)
      for (unsigned c = 0; c < 4; ++c)
        pixels[(y * kWidth + x) * 4 + c] = colours[(y / kCell) * 4 + x / kCell][c];
  return pixels;
}

bool writeKind(const std::string& dir, const char* name, LodePNGColorType type, unsigned depth,
               unsigned interlace, const std::vector<unsigned char>& pixels) {
  LodePNGState state;
  lodepng_state_init(&state);
  state.info_raw.colortype = LCT_RGBA;
  state.info_raw.bitdepth = 8;
  state.info_png.color.colortype = type;
  state.info_png.color.bitdepth = depth;
  state.info_png.interlace_method = interlace;
  state.encoder.auto_convert = 0;
  if (type == LCT_PALETTE) {
    // Every colour of the image must be in the palette, the rest of it padding.
    const unsigned entries = 1u << depth;
    for (unsigned i = 0; i < entries && i < 12; ++i) {
      const unsigned char* p = &pixels[((i / 4) * kCell * kWidth + (i % 4) * kCell) * 4];
      lodepng_palette_add(&state.info_png.color, p[0], p[1], p[2], p[3]);
      lodepng_palette_add(&state.info_raw, p[0], p[1], p[2], p[3]);
    }
  }
  unsigned char* png = nullptr;
  size_t size = 0;
  const unsigned error = lodepng_encode(&png, &size, pixels.data(), kWidth, kHeight, &state);
  lodepng_state_cleanup(&state);
  bool ok = error == 0 && lodepng_save_file(png, size, (dir + "/" + name).c_str()) == 0;
  if (error != 0) std::fprintf(stderr, "%s: %s\n", name, lodepng_error_text(error));
  free(png);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds DIRECTORY\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::vector<unsigned char> pixels = atlasPixels();
  std::vector<unsigned char> opaque = pixels;
  for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
  std::vector<unsigned char> grey = opaque;
  for (size_t i = 0; i < grey.size(); i += 4) grey[i + 1] = grey[i + 2] = grey[i];
  struct Kind {
    const char* name;
    LodePNGColorType type;
    unsigned depth;
    const std::vector<unsigned char>* pixels;
  };
  // Palette and grey kinds below 8 bits can't hold every colour: their seeds still decode.
  const Kind kinds[] = {
      {"rgba8", LCT_RGBA, 8, &pixels},           {"rgba16", LCT_RGBA, 16, &pixels},
      {"rgb8", LCT_RGB, 8, &opaque},             {"rgb16", LCT_RGB, 16, &opaque},
      {"grey8", LCT_GREY, 8, &grey},             {"grey16", LCT_GREY, 16, &grey},
      {"greyalpha8", LCT_GREY_ALPHA, 8, &grey},  {"greyalpha16", LCT_GREY_ALPHA, 16, &grey},
      {"palette8", LCT_PALETTE, 8, &pixels},     {"palette4", LCT_PALETTE, 4, &pixels},
  };
  int failures = 0;
  for (const Kind& kind : kinds) {
    for (unsigned interlace = 0; interlace < 2; ++interlace) {
      const std::string name = std::string(kind.name) + (interlace ? "-interlaced.png" : ".png");
      if (!writeKind(dir, name.c_str(), kind.type, kind.depth, interlace, *kind.pixels)) ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
