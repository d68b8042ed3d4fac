// A video file from RGB pictures in memory: H.264 (yuv420p) in MP4 at a constant frame rate,
// through FFmpeg's libavformat, libavcodec and libswscale; no GL. The file appears under its
// name only when finished: until then it is a temporary ".patchlume-XXXXXX" beside it.
#pragma once

#include <cstdint>

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;
struct SwsContext;

constexpr int kVideoPathCapacity = 4100;  // bytes of a file name, as kPathCapacity
constexpr int kVideoReasonCapacity = 2 * kVideoPathCapacity + 300;  // "PATH: cannot write in DIR: ..."

// Bytes a picture handed to addVideoFrame must have readable after its last pixel: the
// converter's vector loads reach past it.
constexpr int kVideoPicturePadding = 64;

// Which row of a picture comes first in memory: GL reads the bottom one first.
enum RowOrder { kBottomRowFirst, kTopRowFirst };

// One video being written. Zero-initialised it is closed; every function leaves it closed
// after a failure or a finish, with every FFmpeg object freed and the temporary removed.
struct VideoWriter {
  AVFormatContext* format;  // the MP4 being written, nullptr while closed
  AVCodecContext* encoder;  // H.264, or MPEG-4 Part 2 where no H.264 encoder is found
  AVStream* stream;         // the one video stream, owned by format
  SwsContext* convert;      // RGB24 to yuv420p at the same size
  AVFrame* picture;         // the yuv420p frame handed to the encoder
  AVPacket* packet;         // encoder output, reused
  int fd;                   // the temporary, held open to sync it; meaningful while it is named
  int width, height;        // pixels, both even
  std::int64_t frames;      // frames added: the time stamp of the next, in frames
  bool fallback;            // MPEG-4 Part 2 written: no H.264 encoder was found
  char path[kVideoPathCapacity];       // the name the finished file takes
  char temporary[kVideoPathCapacity];  // where it is written until then; empty while closed
  char error[kVideoReasonCapacity];  // "PATH: reason" of the last failure, empty when none
};

// Opens path for a video of width by height pixels (both even and positive) at fps frames
// a second, encoded with the H.264 encoder named h264Encoder ("libx264"; a test names a
// missing one to reach the fallback) or else MPEG-4 Part 2, which sets fallback. False,
// with error set and nothing left on disk, when the size or rate is refused, the temporary
// can't be made (read-only directory, ...) or the encoder or container refuses to start.
bool openVideoWith(VideoWriter& video, const char* path, int width, int height, int fps,
                   const char* h264Encoder);
// openVideoWith with libx264.
bool openVideo(VideoWriter& video, const char* path, int width, int height, int fps);

// Encodes one picture of the open video's size, 3 bytes a pixel (R, G, B), rows packed
// without gaps in the stated order and kVideoPicturePadding bytes after, as the next frame.
// False, with error set, when the video is not open or encoding or writing fails (disk
// full, size limit...): the video is then aborted.
bool addVideoFrame(VideoWriter& video, const unsigned char* rgb, RowOrder rows);

// Drains the encoder, writes the MP4's index, syncs the temporary and renames it to path
// (syncing the directory after). False, with error set and nothing left, on any failure.
bool finishVideo(VideoWriter& video);

// Frees everything and removes the temporary; error is kept. Safe on a closed video.
void abortVideo(VideoWriter& video);

// Whether openVideo succeeded and neither finishVideo nor a failure has closed it since.
bool videoIsOpen(const VideoWriter& video);
