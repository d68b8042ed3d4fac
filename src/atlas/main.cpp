// patchlume-atlas: converts a panorama or six cube faces into the viewer's cube-map atlas.
// The command line, decoding, checks and the atomic write; the conversion is convert.cpp's.
#include <getopt.h>
#include <lodepng.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "atlas/convert.h"
#include "atlas/decode.h"
#include "atlas/run.h"
#include "files/kept_file.h"
#include "render/atlas_layout.h"

namespace {

constexpr char kProgram[] = "patchlume-atlas";

const char kUsage[] =
    "Usage: patchlume-atlas [OPTION]... PANORAMA OUTPUT.png\n"
    "  or:  patchlume-atlas [OPTION]... +X -X +Y -Y +Z -Z OUTPUT.png\n";

const char kHelp[] =
    "Converts an equirectangular panorama (twice as wide as high) or six square cube faces\n"
    "into the 4 by 3 cube-map atlas the viewer reads as cubemap.png. Inputs may be PNG,\n"
    "JPEG, Radiance HDR or OpenEXR, told apart by their content.\n"
    "\n"
    "Options:\n"
    "  --size N          cell side in pixels, 16 to 4096 (default: the panorama's width / 4\n"
    "                    or the face size, at most 1024)\n"
    "  --yaw DEGREES     turn the world about +Y; positive turns the panorama's middle\n"
    "                    from +Z towards +X\n"
    "  --exposure EV     scale linear light by 2^EV before the filmic tone curve; HDR\n"
    "                    inputs are always tone mapped, 8-bit ones only with this option\n"
    "  --help            show this help and exit\n"
    "  --version         show the version and exit\n"
    "\n"
    "Orientation: standing at the origin facing +Z with +Y up, the panorama is what you\n"
    "see. Its middle column is straight ahead (+Z, the wall the mirror shows at start-up),\n"
    "the column a quarter of its width right of the middle is to your right (-X), its top\n"
    "row straight up (+Y). Face images are laid out as the atlas cells the viewer reads.\n"
    "\n"
    "Exit status: 0 on success, 1 when an input or the output fails, 2 on bad usage.\n";

int usageError() {
  std::fputs(kUsage, stderr);
  std::fprintf(stderr, "Try '%s --help' for more information.\n", kProgram);
  return 2;
}

// Whether text is a whole finite number.
bool parseNumber(const char* text, double* value) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

int fail(const char* what, const char* reason) {
  std::fprintf(stderr, "%s: %s: %s\n", kProgram, what, reason);
  return 1;
}

// Checks the inputs' shapes and fills the job's images; a failure's exit status, or 0.
int prepareImages(char** paths, int count, DecodedImage* images, AtlasJob* job) {
  // Six faces decode at once, one thread each; the first failure in argument order is told.
  char reasons[6][512];
  bool decoded[6];
  std::thread decoders[6];
  for (int i = 0; i < count; ++i) {
    auto decode = [=, &decoded, &reasons] {
      decoded[i] = decodeImageFile(paths[i], &images[i], reasons[i], sizeof reasons[i]);
    };
    try {
      decoders[i] = std::thread(decode);
    } catch (const std::exception&) {
      decode();  // no thread to be had: decoded here instead
    }
  }
  for (std::thread& t : decoders) {
    if (t.joinable()) t.join();
  }
  bool anyLinear = false;
  for (int i = 0; i < count; ++i) {
    if (!decoded[i]) return fail(paths[i], reasons[i]);
    anyLinear = anyLinear || images[i].linear != nullptr;
  }
  char reason[512];
  job->panorama = count == 1;
  const int w = images[0].width;
  const int h = images[0].height;
  if (job->panorama && !panoramaAspectFits(w, h)) {
    std::snprintf(reason, sizeof reason,
                  "a panorama must be twice as wide as high, this one is %d x %d", w, h);
    return fail(paths[0], reason);
  }
  for (int i = 0; !job->panorama && i < count; ++i) {
    const DecodedImage& f = images[i];
    if (f.width != f.height || f.width != w) {
      std::snprintf(reason, sizeof reason,
                    "faces must be square and of one size: this one is %d x %d, the first %d x %d",
                    f.width, f.height, w, h);
      return fail(paths[i], reason);
    }
  }
  // One kind of pixel for all faces: mixed formats are all read as linear floats.
  for (int i = 0; i < count; ++i) {
    if (anyLinear && !promoteToLinear(&images[i])) return fail(paths[i], "out of memory");
    job->images[i].width = images[i].width;
    job->images[i].height = images[i].height;
    job->images[i].srgb = images[i].srgb;
    job->images[i].linear = images[i].linear;
  }
  if (anyLinear) job->toneMap = true;
  return 0;
}

int convertAndWrite(const AtlasJob& job, const char* output) {
  const int width = kAtlasColumns * job.cell;
  const int height = kAtlasRows * job.cell;
  unsigned char* rgb = static_cast<unsigned char*>(std::malloc(3UL * width * height));
  if (rgb == nullptr) return fail(output, "out of memory for the atlas");
  const unsigned cores = std::thread::hardware_concurrency();
  runConversion(job, cores > 0 ? static_cast<int>(cores) : 1, isatty(STDERR_FILENO) != 0, rgb);
  unsigned char* png = nullptr;
  std::size_t size = 0;
  const unsigned error = encodeAtlasPng(rgb, width, height, &png, &size);
  std::free(rgb);
  if (error != 0) {
    std::free(png);
    return fail(output, lodepng_error_text(error));
  }
  char reason[256];
  const bool written =
      replaceFile(output, reinterpret_cast<const char*>(png), size, reason, sizeof reason);
  std::free(png);
  return written ? 0 : fail(output, reason);
}

}  // namespace

int main(int argc, char** argv) {
  enum { kSize = 1, kYaw, kExposure, kHelpOption, kVersion };
  static const option kOptions[] = {{"size", required_argument, nullptr, kSize},
                                    {"yaw", required_argument, nullptr, kYaw},
                                    {"exposure", required_argument, nullptr, kExposure},
                                    {"help", no_argument, nullptr, kHelpOption},
                                    {"version", no_argument, nullptr, kVersion},
                                    {nullptr, 0, nullptr, 0}};
  AtlasJob job;
  double size = 0.0;
  bool sizeGiven = false;
  int option = 0;
  while ((option = getopt_long(argc, argv, "", kOptions, nullptr)) != -1) {
    switch (option) {
      case kSize:
        if (!parseNumber(optarg, &size)) return usageError();
        sizeGiven = true;
        break;
      case kYaw:
        if (!parseNumber(optarg, &job.yawDegrees)) return usageError();
        break;
      case kExposure:
        if (!parseNumber(optarg, &job.exposure)) return usageError();
        job.toneMap = true;
        break;
      case kHelpOption:
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
      case kVersion:
        std::printf("%s %s\n", kProgram, PATCHLUME_VERSION);
        return 0;
      default:
        return usageError();
    }
  }
  const int operands = argc - optind;
  if (operands != 2 && operands != 7) return usageError();
  char** inputs = argv + optind;
  const int inputCount = operands - 1;
  const char* output = argv[argc - 1];
  if (sizeGiven && (size != std::floor(size) || size < kMinCell || size > kMaxCell)) {
    return fail("--size", "must be a whole number from 16 to 4096");
  }

  DecodedImage images[6];
  int status = prepareImages(inputs, inputCount, images, &job);
  if (status == 0) {
    job.cell = sizeGiven ? static_cast<int>(size) : defaultCell(job);
    status = convertAndWrite(job, output);
  }
  for (DecodedImage& image : images) freeDecoded(&image);
  return status;
}
