// The videos the program writes as FFmpeg's command-line tools read them: a reader that
// shares no code path with the writer. Both tools come with scripts/deps.sh test.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace support {

// ffprobe's fields of the first video stream (codec_name, pix_fmt, width, height,
// r_frame_rate, avg_frame_rate, nb_frames, nb_read_frames: every frame decoded) and the
// container's duration; "error" holds anything else it said.
std::map<std::string, std::string> probeVideo(const std::string& path);

// Every frame decoded by ffmpeg to RGB, 3 bytes a pixel, top row first, frame after frame;
// empty when decoding fails.
std::vector<unsigned char> decodeVideo(const std::string& path);

}  // namespace support
