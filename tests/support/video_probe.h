// The videos the program writes as FFmpeg's command-line tools read them: a reader that
// shares no code path with the writer. Both tools come with scripts/deps.sh test.
#pragma once

#include <string>
#include <vector>

namespace support {

// What ffprobe says, decoding every frame: "codec,width,height,pix_fmt,r_frame_rate,
// avg_frame_rate,nb_read_frames" of the video stream, a line, the duration in seconds, a
// line; any complaint of the decoder before them.
std::string probeVideo(const std::string& path);

// Every frame decoded by ffmpeg to RGB, 3 bytes a pixel, top row first, frame after frame;
// empty when decoding fails.
std::vector<unsigned char> decodeVideo(const std::string& path);

}  // namespace support
