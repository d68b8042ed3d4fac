// Decoding of the atlas file: every PNG kind to the same tightly packed RGBA8, top row first,
// and bad data refused without a buffer.
#include <gtest/gtest.h>
#include <lodepng.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render/atlas_file.h"

namespace {

// An asymmetric image, so that a flip, a transposition or a row stride error shows.
constexpr unsigned kWidth = 7;
constexpr unsigned kHeight = 5;

// Twelve colours with distinct alpha values; at most 12 distinct texels for the palette.
const unsigned char kColours[12][4] = {
    {255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},    {255, 255, 0, 200},
    {0, 255, 255, 128}, {255, 0, 255, 64},  {10, 20, 30, 0},     {200, 100, 50, 255},
    {1, 2, 3, 4},       {250, 251, 252, 253}, {128, 128, 128, 255}, {77, 0, 155, 99}};

std::vector<unsigned char> rgbaImage(bool opaque) {
  std::vector<unsigned char> px(kWidth * kHeight * 4);
  for (unsigned y = 0; y < kHeight; ++y) {
    for (unsigned x = 0; x < kWidth; ++x) {
      const unsigned char* c = kColours[(x * 5 + y * 3 + x * y) % 12];
      unsigned char* p = &px[(y * kWidth + x) * 4];
      std::memcpy(p, c, 4);
      if (opaque) p[3] = 255;
    }
  }
  return px;
}

// Grey levels, and alpha for grey+alpha, distinct from pixel to pixel.
unsigned char greyAt(unsigned x, unsigned y) { return static_cast<unsigned char>(x * 37 + y * 11); }
unsigned char alphaAt(unsigned x, unsigned y) { return static_cast<unsigned char>(255 - x * 20 - y * 7); }

struct Encoded {
  unsigned error = 0;
  std::vector<unsigned char> png;
};

// Encodes raw pixels with the file's colour type and depth fixed, never chosen by the encoder.
Encoded encodeAs(const std::vector<unsigned char>& raw, unsigned w, unsigned h, LodePNGColorType rawType,
                 unsigned rawDepth, LodePNGColorType fileType, unsigned fileDepth, bool interlaced,
                 const std::vector<unsigned char>* palette = nullptr) {
  lodepng::State state;
  state.encoder.auto_convert = 0;
  state.info_raw.colortype = rawType;
  state.info_raw.bitdepth = rawDepth;
  state.info_png.color.colortype = fileType;
  state.info_png.color.bitdepth = fileDepth;
  state.info_png.interlace_method = interlaced ? 1 : 0;
  if (palette != nullptr) {
    for (std::size_t i = 0; i + 3 < palette->size(); i += 4) {
      const unsigned char* c = &(*palette)[i];
      lodepng_palette_add(&state.info_png.color, c[0], c[1], c[2], c[3]);
      lodepng_palette_add(&state.info_raw, c[0], c[1], c[2], c[3]);
    }
  }
  Encoded out;
  out.error = lodepng::encode(out.png, raw, w, h, state);
  // The header must say what was asked for: depth, colour type, interlace.
  if (out.error == 0 && (out.png.size() < 29 || out.png[24] != fileDepth ||
                         out.png[25] != static_cast<unsigned>(fileType) ||
                         out.png[28] != (interlaced ? 1 : 0)))
    out.error = 9999;
  return out;
}

struct Decoded {
  unsigned error = 0;
  unsigned width = 0;
  unsigned height = 0;
  std::vector<unsigned char> pixels;
  bool hadBuffer = false;
};

Decoded decode(const std::vector<unsigned char>& png, unsigned maxSide = 16384) {
  Decoded d;
  unsigned char* pixels = reinterpret_cast<unsigned char*>(&d);  // must be overwritten
  unsigned width = 12345;
  unsigned height = 54321;
  d.error = decodeCubemap(png.empty() ? nullptr : png.data(), png.size(), maxSide, &pixels,
                          &width, &height);
  d.width = width;
  d.height = height;
  d.hadBuffer = pixels != nullptr;
  if (pixels != nullptr && d.error == 0) {
    d.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
    std::free(pixels);
  }
  return d;
}

void expectPixels(const Decoded& d, const std::vector<unsigned char>& expected, const char* label) {
  ASSERT_EQ(d.error, 0u) << label << ": " << lodepng_error_text(d.error);
  EXPECT_EQ(d.width, kWidth) << label;
  EXPECT_EQ(d.height, kHeight) << label;
  ASSERT_EQ(d.pixels.size(), expected.size()) << label;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (d.pixels[i] != expected[i]) {
      ADD_FAILURE() << label << ": pixel (" << (i / 4) % kWidth << ", " << (i / 4) / kWidth
                    << ") channel " << i % 4 << " is " << int(d.pixels[i]) << ", expected "
                    << int(expected[i]);
      return;
    }
  }
}

// Big-endian 32-bit field of a PNG chunk.
void putU32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

std::uint32_t getU32(const unsigned char* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Offset of the first chunk of the given type, or 0.
std::size_t findChunk(const std::vector<unsigned char>& png, const char* type) {
  std::size_t pos = 8;
  while (pos + 12 <= png.size()) {
    if (std::memcmp(&png[pos + 4], type, 4) == 0) return pos;
    pos += 12 + getU32(&png[pos]);
  }
  return 0;
}

// A valid PNG whose header claims width by height; its data is a small, valid IDAT of another
// image, so only the header can refuse it cheaply.
std::vector<unsigned char> withClaimedSize(std::vector<unsigned char> png, std::uint32_t width,
                                           std::uint32_t height) {
  putU32(&png[16], width);
  putU32(&png[20], height);
  lodepng_chunk_generate_crc(&png[8]);
  return png;
}

TEST(CubemapDecode, EveryColourKindGivesTheSameRgba8) {
  const std::vector<unsigned char> rgba = rgbaImage(false);
  const std::vector<unsigned char> opaque = rgbaImage(true);

  {  // RGBA, 8 bits, plain and interlaced
    for (bool interlaced : {false, true}) {
      const Encoded e = encodeAs(rgba, kWidth, kHeight, LCT_RGBA, 8, LCT_RGBA, 8, interlaced);
      ASSERT_EQ(e.error, 0u);
      expectPixels(decode(e.png), rgba, interlaced ? "RGBA interlaced" : "RGBA");
    }
  }
  {  // RGB: alpha 255 everywhere
    std::vector<unsigned char> rgb;
    for (std::size_t i = 0; i < opaque.size(); i += 4) rgb.insert(rgb.end(), &opaque[i], &opaque[i + 3]);
    for (bool interlaced : {false, true}) {
      const Encoded e = encodeAs(rgb, kWidth, kHeight, LCT_RGB, 8, LCT_RGB, 8, interlaced);
      ASSERT_EQ(e.error, 0u);
      expectPixels(decode(e.png), opaque, interlaced ? "RGB interlaced" : "RGB");
    }
  }
  {  // 16 bits per channel: v * 257 is v in either byte
    std::vector<unsigned char> wide;
    for (unsigned char v : rgba) {
      wide.push_back(v);
      wide.push_back(v);
    }
    for (bool interlaced : {false, true}) {
      const Encoded e = encodeAs(wide, kWidth, kHeight, LCT_RGBA, 16, LCT_RGBA, 16, interlaced);
      ASSERT_EQ(e.error, 0u);
      expectPixels(decode(e.png), rgba, interlaced ? "RGBA16 interlaced" : "RGBA16");
    }
    std::vector<unsigned char> wideRgb;
    for (std::size_t i = 0; i < opaque.size(); i += 4)
      for (int c = 0; c < 3; ++c) {
        wideRgb.push_back(opaque[i + c]);
        wideRgb.push_back(opaque[i + c]);
      }
    const Encoded e = encodeAs(wideRgb, kWidth, kHeight, LCT_RGB, 16, LCT_RGB, 16, false);
    ASSERT_EQ(e.error, 0u);
    expectPixels(decode(e.png), opaque, "RGB16");
  }
  {  // palette with transparency, 8 and 4 bits per index
    std::vector<unsigned char> palette;
    for (const auto& c : kColours) palette.insert(palette.end(), c, c + 4);
    std::vector<unsigned char> indices(kWidth * kHeight);
    for (unsigned y = 0; y < kHeight; ++y)
      for (unsigned x = 0; x < kWidth; ++x)
        indices[y * kWidth + x] = static_cast<unsigned char>((x * 5 + y * 3 + x * y) % 12);
    for (bool interlaced : {false, true}) {
      const Encoded e = encodeAs(indices, kWidth, kHeight, LCT_PALETTE, 8, LCT_PALETTE, 8,
                                 interlaced, &palette);
      ASSERT_EQ(e.error, 0u) << lodepng_error_text(e.error);
      expectPixels(decode(e.png), rgba, interlaced ? "palette interlaced" : "palette");
    }
    const Encoded e4 =
        encodeAs(rgba, kWidth, kHeight, LCT_RGBA, 8, LCT_PALETTE, 4, false, &palette);
    ASSERT_EQ(e4.error, 0u) << lodepng_error_text(e4.error);
    ASSERT_NE(findChunk(e4.png, "PLTE"), 0u);
    expectPixels(decode(e4.png), rgba, "palette 4-bit");
  }
  {  // grey, 8 bits: (g, g, g, 255)
    std::vector<unsigned char> grey(kWidth * kHeight), expected(kWidth * kHeight * 4);
    for (unsigned y = 0; y < kHeight; ++y)
      for (unsigned x = 0; x < kWidth; ++x) {
        const unsigned char g = greyAt(x, y);
        grey[y * kWidth + x] = g;
        unsigned char* p = &expected[(y * kWidth + x) * 4];
        p[0] = p[1] = p[2] = g;
        p[3] = 255;
      }
    for (bool interlaced : {false, true}) {
      const Encoded e = encodeAs(grey, kWidth, kHeight, LCT_GREY, 8, LCT_GREY, 8, interlaced);
      ASSERT_EQ(e.error, 0u);
      expectPixels(decode(e.png), expected, interlaced ? "grey interlaced" : "grey");
    }
  }
  {  // grey + alpha, 8 bits: (g, g, g, a)
    std::vector<unsigned char> ga(kWidth * kHeight * 2), expected(kWidth * kHeight * 4);
    for (unsigned y = 0; y < kHeight; ++y)
      for (unsigned x = 0; x < kWidth; ++x) {
        const unsigned char g = greyAt(x, y), a = alphaAt(x, y);
        ga[(y * kWidth + x) * 2] = g;
        ga[(y * kWidth + x) * 2 + 1] = a;
        unsigned char* p = &expected[(y * kWidth + x) * 4];
        p[0] = p[1] = p[2] = g;
        p[3] = a;
      }
    const Encoded e = encodeAs(ga, kWidth, kHeight, LCT_GREY_ALPHA, 8, LCT_GREY_ALPHA, 8, false);
    ASSERT_EQ(e.error, 0u);
    expectPixels(decode(e.png), expected, "grey+alpha");
  }
  {  // grey, 4 bits: level v becomes v * 17
    std::vector<unsigned char> grey(kWidth * kHeight), expected(kWidth * kHeight * 4);
    for (unsigned y = 0; y < kHeight; ++y)
      for (unsigned x = 0; x < kWidth; ++x) {
        const unsigned char v = static_cast<unsigned char>((x + 3 * y) % 16);
        grey[y * kWidth + x] = static_cast<unsigned char>(v * 17);
        unsigned char* p = &expected[(y * kWidth + x) * 4];
        p[0] = p[1] = p[2] = static_cast<unsigned char>(v * 17);
        p[3] = 255;
      }
    const Encoded e = encodeAs(grey, kWidth, kHeight, LCT_GREY, 8, LCT_GREY, 4, true);
    ASSERT_EQ(e.error, 0u) << lodepng_error_text(e.error);
    expectPixels(decode(e.png), expected, "grey 4-bit interlaced");
  }
}

TEST(CubemapDecode, TopRowFirstAndTightlyPacked) {
  // One bright pixel at the top-left and one at the bottom-right of an odd-width image.
  std::vector<unsigned char> px(kWidth * kHeight * 4, 0);
  for (std::size_t i = 3; i < px.size(); i += 4) px[i] = 255;
  px[0] = 255;                                    // top-left red
  px[((kHeight - 1) * kWidth + kWidth - 1) * 4 + 2] = 255;  // bottom-right blue
  const Encoded e = encodeAs(px, kWidth, kHeight, LCT_RGBA, 8, LCT_RGBA, 8, false);
  ASSERT_EQ(e.error, 0u);
  const Decoded d = decode(e.png);
  ASSERT_EQ(d.error, 0u);
  ASSERT_EQ(d.pixels.size(), std::size_t{kWidth} * kHeight * 4);
  EXPECT_EQ(d.pixels[0], 255);
  EXPECT_EQ(d.pixels[2], 0);
  EXPECT_EQ(d.pixels[d.pixels.size() - 2], 255);  // blue of the last pixel
  EXPECT_EQ(d.pixels[d.pixels.size() - 4], 0);
}

TEST(CubemapDecode, SideLimits) {
  const std::vector<unsigned char> rgba = rgbaImage(false);
  const Encoded wide = encodeAs(rgba, kWidth, kHeight, LCT_RGBA, 8, LCT_RGBA, 8, false);
  ASSERT_EQ(wide.error, 0u);
  {  // both sides at most maxSide: accepted, the limit itself included
    const Decoded d = decode(wide.png, kWidth);
    EXPECT_EQ(d.error, 0u);
    EXPECT_TRUE(d.hadBuffer);
  }
  {  // the width one over
    const Decoded d = decode(wide.png, kWidth - 1);
    EXPECT_NE(d.error, 0u);
    EXPECT_FALSE(d.hadBuffer);
    EXPECT_EQ(d.width, 0u);
    EXPECT_EQ(d.height, 0u);
  }
  {  // the height one over: a transposed image
    std::vector<unsigned char> tall(kWidth * kHeight * 4, 90);
    const Encoded e = encodeAs(tall, kHeight, kWidth, LCT_RGBA, 8, LCT_RGBA, 8, false);
    ASSERT_EQ(e.error, 0u);
    const Decoded d = decode(e.png, kWidth - 1);
    EXPECT_NE(d.error, 0u);
    EXPECT_FALSE(d.hadBuffer);
  }
  {  // no limit at all
    const Decoded d = decode(wide.png, 0);
    EXPECT_NE(d.error, 0u);
    EXPECT_FALSE(d.hadBuffer);
  }
  {  // a header that claims 100000 by 100000 is refused before any pixel memory: its data
     // would take 40 GB
    const Decoded d = decode(withClaimedSize(wide.png, 100000, 100000));
    EXPECT_NE(d.error, 0u);
    EXPECT_FALSE(d.hadBuffer);
    EXPECT_EQ(d.width, 0u);
    EXPECT_EQ(d.height, 0u);
  }
  {  // a zero side in the header
    EXPECT_NE(decode(withClaimedSize(wide.png, 0, kHeight)).error, 0u);
    EXPECT_NE(decode(withClaimedSize(wide.png, kWidth, 0)).error, 0u);
  }
}

TEST(CubemapDecode, BadDataIsRefusedWithoutABuffer) {
  const std::vector<unsigned char> rgba = rgbaImage(false);
  const Encoded good = encodeAs(rgba, kWidth, kHeight, LCT_RGBA, 8, LCT_RGBA, 8, false);
  ASSERT_EQ(good.error, 0u);
  const std::size_t idat = findChunk(good.png, "IDAT");
  const std::size_t iend = findChunk(good.png, "IEND");
  ASSERT_NE(idat, 0u);
  ASSERT_NE(iend, 0u);

  struct Case {
    std::string label;
    std::vector<unsigned char> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  {
    std::vector<unsigned char> cut(good.png.begin(), good.png.begin() + 1);
    cases.push_back({"one byte", cut});
  }
  for (std::size_t length : {std::size_t{8}, std::size_t{16}, std::size_t{29}, std::size_t{33},
                             idat + 10, idat + 8 + getU32(&good.png[idat]) / 2, iend}) {
    cases.push_back({"truncated to " + std::to_string(length),
                     std::vector<unsigned char>(good.png.begin(), good.png.begin() + length)});
  }
  {
    std::vector<unsigned char> bad = good.png;
    bad[29] ^= 0x01;  // IHDR's CRC
    cases.push_back({"IHDR CRC", bad});
  }
  {
    std::vector<unsigned char> bad = good.png;
    bad[idat + 8 + getU32(&good.png[idat]) + 1] ^= 0x40;  // IDAT's CRC
    cases.push_back({"IDAT CRC", bad});
  }
  {  // compressed data damaged but the chunk CRC made to match: the zlib stream must catch it
    std::vector<unsigned char> bad = good.png;
    const std::uint32_t length = getU32(&bad[idat]);
    for (std::uint32_t i = 2; i < length; i += 3) bad[idat + 8 + i] ^= 0x5A;
    lodepng_chunk_generate_crc(&bad[idat]);
    cases.push_back({"IDAT data", bad});
  }
  {  // zlib checksum wrong, CRC right
    std::vector<unsigned char> bad = good.png;
    const std::uint32_t length = getU32(&bad[idat]);
    bad[idat + 8 + length - 1] ^= 0xFF;
    lodepng_chunk_generate_crc(&bad[idat]);
    cases.push_back({"Adler checksum", bad});
  }
  {
    std::vector<unsigned char> bad = good.png;
    bad[0] = 0x88;
    cases.push_back({"signature", bad});
  }
  {
    const std::string text = "this is not a PNG file, just a line of text\n";
    cases.push_back({"text", std::vector<unsigned char>(text.begin(), text.end())});
  }
  {
    std::vector<unsigned char> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0};
    jpeg.resize(200, 0x11);
    cases.push_back({"JPEG header", jpeg});
  }

  for (const Case& c : cases) {
    const Decoded d = decode(c.bytes);
    EXPECT_NE(d.error, 0u) << c.label;
    EXPECT_FALSE(d.hadBuffer) << c.label;
    EXPECT_EQ(d.width, 0u) << c.label;
    EXPECT_EQ(d.height, 0u) << c.label;
  }

  {  // a non-null pointer with length 0 is empty too
    unsigned char byte = 0x89;
    unsigned char* pixels = &byte;
    unsigned w = 1, h = 1;
    EXPECT_NE(decodeCubemap(&byte, 0, 16384, &pixels, &w, &h), 0u);
    EXPECT_EQ(pixels, nullptr);
  }

}

TEST(CubemapDecode, RepeatedDecodesDoNotGrowTheHeap) {
  // Palette files make the decoder allocate state of its own, besides the pixels.
  std::vector<unsigned char> palette;
  for (const auto& c : kColours) palette.insert(palette.end(), c, c + 4);
  const std::vector<unsigned char> rgba = rgbaImage(false);
  const Encoded indexed = encodeAs(rgba, kWidth, kHeight, LCT_RGBA, 8, LCT_PALETTE, 8, false, &palette);
  const Encoded plain = encodeAs(rgba, kWidth, kHeight, LCT_RGBA, 8, LCT_RGBA, 8, true);
  ASSERT_EQ(indexed.error, 0u);
  ASSERT_EQ(plain.error, 0u);
  std::vector<std::vector<unsigned char>> inputs = {indexed.png, plain.png};
  for (const auto* png : {&indexed.png, &plain.png}) {
    for (std::size_t cut : {std::size_t{20}, std::size_t{40}, png->size() / 2, png->size() - 12})
      inputs.emplace_back(png->begin(), png->begin() + cut);
    std::vector<unsigned char> crc = *png;
    crc[crc.size() - 20] ^= 1;
    inputs.push_back(crc);
  }
  inputs.push_back(withClaimedSize(indexed.png, 100000, 100000));

  auto inUse = [] { return mallinfo2().uordblks; };
  for (int i = 0; i < 20; ++i)
    for (const auto& in : inputs) decode(in);
  const std::size_t before = inUse();
  for (int i = 0; i < 300; ++i)
    for (const auto& in : inputs) decode(in);
  const std::size_t after = inUse();
  // 300 rounds: a leak of even one small block per decode would pass this many bytes.
  EXPECT_LE(after, before + 4096) << "the heap grew by " << after - before << " bytes";
}

}  // namespace
