// Input decoding for the atlas command: whole files read into memory, then decoded there.
#include "atlas/decode.h"

#include <ImfArray.h>
#include <ImfRgbaFile.h>
#include <fcntl.h>
#include <lodepng.h>
#include <stb/stb_image.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "atlas/convert.h"

namespace {

// The whole file in a malloc'ed buffer; false with strerror's text.
bool readWholeFile(const char* path, unsigned char** bytes, std::size_t* size, char* reason,
                   std::size_t capacity) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) {
    std::snprintf(reason, capacity, "%s", std::strerror(errno));
    if (fd >= 0) close(fd);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    std::snprintf(reason, capacity, "not a regular file");
    close(fd);
    return false;
  }
  const std::size_t want = static_cast<std::size_t>(st.st_size);
  unsigned char* data = static_cast<unsigned char*>(std::malloc(want > 0 ? want : 1));
  std::size_t got = 0;
  while (data != nullptr && got < want) {
    const ssize_t n = read(fd, data + got, want - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  const int readErrno = errno;
  close(fd);
  if (data == nullptr || got < want) {
    std::snprintf(reason, capacity, "%s",
                  data == nullptr ? "out of memory" : std::strerror(readErrno));
    std::free(data);
    return false;
  }
  *bytes = data;
  *size = got;
  return true;
}

bool startsWith(const unsigned char* bytes, std::size_t size, const char* magic, std::size_t n) {
  return size >= n && std::memcmp(bytes, magic, n) == 0;
}

// Whether a JPEG ends in its end-of-image marker (within the last 4 KB, which leaves room
// for trailing padding): stb_image decodes a cut file without complaint, greying its end.
bool jpegHasEnd(const unsigned char* bytes, std::size_t size) {
  const std::size_t from = size > 4096 ? size - 4096 : 0;
  for (std::size_t i = size; i >= from + 2; --i) {
    if (bytes[i - 2] == 0xff && bytes[i - 1] == 0xd9) return true;
  }
  return false;
}

// Walks a Radiance HDR's scanlines as stb_image will read them: 0 when all are there, 1 when
// the data ends early, 2 for a run of length 0 or one past the line's end. stb_image reads
// zeros past the end, and a zero run length loops it for ever, so it sees only checked data.
int checkHdrScanlines(const unsigned char* bytes, std::size_t size, long width, long height) {
  // The header ends at an empty line; the resolution line follows.
  std::size_t pos = 0;
  while (pos + 1 < size && !(bytes[pos] == '\n' && bytes[pos + 1] == '\n')) ++pos;
  pos += 2;
  while (pos < size && bytes[pos] != '\n') ++pos;
  ++pos;
  const bool runLength = width >= 8 && width < 32768;
  for (long y = 0; y < height; ++y) {
    if (!runLength || pos + 4 > size || bytes[pos] != 2 || bytes[pos + 1] != 2 ||
        (bytes[pos + 2] & 0x80) != 0) {
      // Flat pixels, 4 bytes each, from here to the image's end.
      return size >= pos && (size - pos) / 4 >= static_cast<std::size_t>((height - y) * width) ? 0
                                                                                               : 1;
    }
    pos += 4;
    for (int channel = 0; channel < 4; ++channel) {
      for (long x = 0; x < width;) {
        if (pos >= size) return 1;
        long count = bytes[pos++];
        const bool run = count > 128;
        if (run) count -= 128;
        if (count == 0 || x + count > width) return 2;
        const std::size_t data = run ? 1 : static_cast<std::size_t>(count);
        if (size - pos < data) return 1;
        pos += data;
        x += count;
      }
    }
  }
  return 0;
}

bool tooLarge(long width, long height) {
  return width <= 0 || height <= 0 || width > kMaxSourcePixels / height;
}

bool decodeWithStb(const unsigned char* bytes, std::size_t size, bool hdr, DecodedImage* image,
                   char* reason, std::size_t capacity) {
  const char* format = hdr ? "Radiance HDR" : "JPEG";
  const int length = static_cast<int>(std::min<std::size_t>(size, INT_MAX));
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(bytes, length, &w, &h, &channels)) {
    std::snprintf(reason, capacity, "corrupt %s (%s)", format, stbi_failure_reason());
    return false;
  }
  if (tooLarge(w, h)) {
    std::snprintf(reason, capacity, "%s of %d x %d pixels is too large", format, w, h);
    return false;
  }
  const int check = hdr ? checkHdrScanlines(bytes, size, w, h) : jpegHasEnd(bytes, size) ? 0 : 1;
  if (check != 0) {
    std::snprintf(reason, capacity, "%s %s", check == 1 ? "truncated" : "corrupt", format);
    return false;
  }
  void* pixels =
      hdr ? static_cast<void*>(stbi_loadf_from_memory(bytes, length, &w, &h, &channels, 3))
          : static_cast<void*>(stbi_load_from_memory(bytes, length, &w, &h, &channels, 3));
  if (pixels == nullptr) {
    std::snprintf(reason, capacity, "corrupt %s (%s)", format, stbi_failure_reason());
    return false;
  }
  // stb_image's buffers come from malloc, as freeDecoded expects.
  image->width = w;
  image->height = h;
  if (hdr) {
    image->linear = static_cast<float*>(pixels);
    sanitiseLinear(image->linear, static_cast<std::size_t>(w) * h * 3);
  } else {
    image->srgb = static_cast<unsigned char*>(pixels);
  }
  return true;
}

bool decodePng(const unsigned char* bytes, std::size_t size, DecodedImage* image, char* reason,
               std::size_t capacity) {
  LodePNGState state;
  lodepng_state_init(&state);
  state.info_raw.colortype = LCT_RGB;
  state.info_raw.bitdepth = 8;
  unsigned w = 0, h = 0;
  unsigned char* pixels = nullptr;
  unsigned error = lodepng_inspect(&w, &h, &state, bytes, size);
  const bool large = error == 0 && tooLarge(w, h);
  if (error == 0 && !large) error = lodepng_decode(&pixels, &w, &h, &state, bytes, size);
  lodepng_state_cleanup(&state);
  if (error != 0 || large) {
    std::free(pixels);
    if (large) {
      std::snprintf(reason, capacity, "PNG of %u x %u pixels is too large", w, h);
    } else {
      std::snprintf(reason, capacity, "corrupt or truncated PNG (%s)", lodepng_error_text(error));
    }
    return false;
  }
  image->width = static_cast<int>(w);
  image->height = static_cast<int>(h);
  image->srgb = pixels;
  return true;
}

bool decodeExr(const char* path, DecodedImage* image, char* reason, std::size_t capacity) {
  // OpenEXR reports every failure by an exception: none may leave this function.
  try {
    Imf::RgbaInputFile file(path);
    const Imath::Box2i window = file.dataWindow();
    const long w = static_cast<long>(window.max.x) - window.min.x + 1;
    const long h = static_cast<long>(window.max.y) - window.min.y + 1;
    if (tooLarge(w, h)) {
      std::snprintf(reason, capacity, "OpenEXR of %ld x %ld pixels is too large", w, h);
      return false;
    }
    Imf::Array2D<Imf::Rgba> half(h, w);
    file.setFrameBuffer(&half[0][0] - window.min.x - window.min.y * w, 1, w);
    file.readPixels(window.min.y, window.max.y);
    float* linear = static_cast<float*>(std::malloc(sizeof(float) * 3 * w * h));
    if (linear == nullptr) {
      std::snprintf(reason, capacity, "out of memory");
      return false;
    }
    for (long y = 0; y < h; ++y) {
      for (long x = 0; x < w; ++x) {
        const Imf::Rgba& p = half[y][x];
        float* q = linear + 3 * (y * w + x);
        q[0] = p.r, q[1] = p.g, q[2] = p.b;
      }
    }
    sanitiseLinear(linear, static_cast<std::size_t>(3 * w * h));
    image->width = static_cast<int>(w);
    image->height = static_cast<int>(h);
    image->linear = linear;
    return true;
  } catch (const std::exception& e) {
    std::snprintf(reason, capacity, "corrupt or truncated OpenEXR (%s)", e.what());
    return false;
  }
}

}  // namespace

bool decodeImageFile(const char* path, DecodedImage* image, char* reason, std::size_t capacity) {
  *image = DecodedImage();
  unsigned char* bytes = nullptr;
  std::size_t size = 0;
  if (!readWholeFile(path, &bytes, &size, reason, capacity)) return false;
  bool ok = false;
  if (startsWith(bytes, size, "\x89PNG\r\n\x1a\n", 8)) {
    ok = decodePng(bytes, size, image, reason, capacity);
  } else if (startsWith(bytes, size, "\xff\xd8\xff", 3)) {
    ok = decodeWithStb(bytes, size, false, image, reason, capacity);
  } else if (startsWith(bytes, size, "#?RADIANCE", 10) || startsWith(bytes, size, "#?RGBE", 6)) {
    ok = decodeWithStb(bytes, size, true, image, reason, capacity);
  } else if (startsWith(bytes, size, "\x76\x2f\x31\x01", 4)) {
    ok = decodeExr(path, image, reason, capacity);
  } else {
    std::snprintf(reason, capacity, "not a PNG, JPEG, Radiance HDR or OpenEXR image");
  }
  std::free(bytes);
  return ok;
}

bool promoteToLinear(DecodedImage* image) {
  if (image->srgb == nullptr) return true;
  const std::size_t count = static_cast<std::size_t>(image->width) * image->height * 3;
  float* linear = static_cast<float*>(std::malloc(sizeof(float) * count));
  if (linear == nullptr) return false;
  for (std::size_t i = 0; i < count; ++i) linear[i] = srgbToLinear(image->srgb[i]);
  std::free(image->srgb);
  image->srgb = nullptr;
  image->linear = linear;
  return true;
}

void freeDecoded(DecodedImage* image) {
  std::free(image->srgb);
  std::free(image->linear);
  *image = DecodedImage();
}
