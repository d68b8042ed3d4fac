// Runs ffprobe and ffmpeg through popen and keeps their output.
#include "support/video_probe.h"

#include <cstdio>

namespace support {

namespace {

// Everything the command writes on stdout; empty when it fails.
std::string output(const std::string& command) {
  std::string out;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[1 << 16];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  return pclose(pipe) == 0 ? out : std::string();
}

}  // namespace

std::string probeVideo(const std::string& path) {
  return output("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=codec_name,width,"
                 "height,pix_fmt,r_frame_rate,avg_frame_rate,nb_read_frames:format=duration -of csv=p=0 '" +
                 path + "' 2>&1 || echo ffprobe failed");
}

std::vector<unsigned char> decodeVideo(const std::string& path) {
  const std::string raw = output("ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
  return std::vector<unsigned char>(raw.begin(), raw.end());
}

}  // namespace support
