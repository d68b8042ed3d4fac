// An independent reader of the videos the program writes: FFmpeg's demuxer and decoder, and
// its converter back to RGB, none of which the writer uses.
#pragma once

#include <string>
#include <vector>

#include "support/rgb.h"

namespace support {

struct VideoContents {
  std::string codec;        // decoder name of the stream: "h264", "mpeg4"
  std::string pixelFormat;  // "yuv420p"
  int width = 0, height = 0;
  int rateNum = 0, rateDen = 0;     // the stream's frame rate
  std::vector<long long> pts;       // every decoded frame's time stamp, in frames of that rate
  std::vector<std::vector<unsigned char>> pictures;  // RGB, top row first, when asked for

  // Pixel (x, y), origin top-left, of decoded picture `frame`.
  Rgb at(int frame, int x, int y) const;
};

// Demuxes and decodes every frame of the file; keepPictures converts each to RGB with the
// colour matrix the stream is tagged with. False with a reason when any step fails.
bool readVideo(const std::string& path, VideoContents& video, std::string& error,
               bool keepPictures = false);

}  // namespace support
