// The video writer. The container is named ("mp4") since the temporary's name has no
// extension to go by; time stamps count frames (time base 1/fps), so the rate is constant.
// Every FFmpeg object is freed on every path: a failure closes the video at once.
#include "capture/video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/kept_file.h"  // the temporary beside the name, the directory sync

namespace {

constexpr int kMaxFps = 1000;  // frames a second; MPEG-4 Part 2 allows time bases to 1/65535
// x264's speed against size: "veryfast" encodes an 800 by 800 frame of the viewer within
// the 8 ms a frame that keeps up with drawing, at a size still fit to share.
constexpr char kH264Preset[] = "veryfast";
// MPEG-4 Part 2 at a fixed quantiser (2 best .. 31 worst): sharp enough for lines and text.
constexpr int kMpeg4Quantiser = 3;

// Frees every FFmpeg object and closes the temporary; removes it unless it became path.
void release(VideoWriter& video, bool removeTemporary) {
  if (video.format != nullptr) {
    avio_closep(&video.format->pb);
    avformat_free_context(video.format);
  }
  avcodec_free_context(&video.encoder);
  sws_freeContext(video.convert);
  av_frame_free(&video.picture);
  av_packet_free(&video.packet);
  // The temporary is named exactly while its descriptor is open.
  if (video.temporary[0] != '\0') {
    close(video.fd);
    if (removeTemporary) unlink(video.temporary);
  }
  video.format = nullptr;
  video.stream = nullptr;
  video.convert = nullptr;
  video.temporary[0] = '\0';
}

// Records "PATH: reason" and closes the video, leaving nothing on disk. Returns false.
bool fail(VideoWriter& video, const char* reason) {
  std::snprintf(video.error, sizeof video.error, "%s: %s", video.path, reason);
  release(video, true);
  return false;
}

bool failWithError(VideoWriter& video, int errorNumber) {
  return fail(video, std::strerror(errorNumber));
}

bool failWithAv(VideoWriter& video, int averror) {
  char text[AV_ERROR_MAX_STRING_SIZE] = "";
  av_strerror(averror, text, sizeof text);
  return fail(video, text);
}

// Makes the temporary beside path, with the mode a new file gets. False with errno.
bool makeTemporary(VideoWriter& video) {
  video.fd = makeTemporaryBeside(video.path, video.temporary, sizeof video.temporary);
  return video.fd >= 0 && fchmod(video.fd, newFileMode()) == 0;
}

// Starts the encoder codec at the video's size and rate; false (nothing kept) when it
// refuses.
bool startEncoder(VideoWriter& video, const AVCodec* codec, int fps) {
  AVCodecContext* encoder = avcodec_alloc_context3(codec);
  if (encoder == nullptr) return false;
  encoder->width = video.width;
  encoder->height = video.height;
  encoder->time_base = AVRational{1, fps};
  encoder->framerate = AVRational{fps, 1};
  encoder->pix_fmt = AV_PIX_FMT_YUV420P;
  // What the conversion below produces: BT.709 in the limited range, from sRGB pictures.
  encoder->colorspace = AVCOL_SPC_BT709;
  encoder->color_primaries = AVCOL_PRI_BT709;
  encoder->color_trc = AVCOL_TRC_IEC61966_2_1;
  encoder->color_range = AVCOL_RANGE_MPEG;
  if (video.format->oformat->flags & AVFMT_GLOBALHEADER) {
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  AVDictionary* options = nullptr;
  if (codec->id == AV_CODEC_ID_H264) {
    av_dict_set(&options, "preset", kH264Preset, 0);
  } else {
    encoder->flags |= AV_CODEC_FLAG_QSCALE;
    encoder->global_quality = FF_QP2LAMBDA * kMpeg4Quantiser;
  }
  const int opened = avcodec_open2(encoder, codec, &options);
  av_dict_free(&options);
  if (opened < 0) {
    avcodec_free_context(&encoder);
    return false;
  }
  video.encoder = encoder;
  return true;
}

// Writes every packet the encoder has ready; false (the video failed) on a write error.
bool writePackets(VideoWriter& video) {
  for (;;) {
    int result = avcodec_receive_packet(video.encoder, video.packet);
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) return failWithAv(video, result);
    av_packet_rescale_ts(video.packet, video.encoder->time_base, video.stream->time_base);
    video.packet->stream_index = video.stream->index;
    // Takes the packet's data whatever the outcome.
    result = av_interleaved_write_frame(video.format, video.packet);
    if (result < 0) return failWithAv(video, result);
  }
}

}  // namespace

bool openVideoWith(VideoWriter& video, const char* path, int width, int height, int fps,
                   const char* h264Encoder) {
  abortVideo(video);
  video = VideoWriter{};
  // Failures are told once, as this writer's own line; FFmpeg's log would add its own.
  av_log_set_level(AV_LOG_QUIET);
  if (std::snprintf(video.path, sizeof video.path, "%s", path) >= static_cast<int>(sizeof video.path)) {
    return failWithError(video, ENAMETOOLONG);
  }
  if (width <= 0 || height <= 0 || width % 2 != 0 || height % 2 != 0) {
    return fail(video, "a video needs an even width and height of at least 2 pixels");
  }
  if (fps < 1 || fps > kMaxFps) return fail(video, "frame rate out of range");
  video.width = width;
  video.height = height;

  if (!makeTemporary(video)) {
    const int error = errno;
    char reason[kVideoPathCapacity + 200];
    if (!tellDirectoryRefusal(video.path, error, reason, sizeof reason)) return failWithError(video, error);
    return fail(video, reason);
  }
  int result = avformat_alloc_output_context2(&video.format, nullptr, "mp4", nullptr);
  if (result < 0) return failWithAv(video, result);
  video.stream = avformat_new_stream(video.format, nullptr);
  if (video.stream == nullptr) return failWithError(video, ENOMEM);

  const AVCodec* h264 = avcodec_find_encoder_by_name(h264Encoder);
  if (h264 == nullptr || h264->id != AV_CODEC_ID_H264 || !startEncoder(video, h264, fps)) {
    const AVCodec* mpeg4 = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (mpeg4 == nullptr || !startEncoder(video, mpeg4, fps)) return fail(video, "no video encoder");
    video.fallback = true;
  }
  result = avcodec_parameters_from_context(video.stream->codecpar, video.encoder);
  if (result < 0) return failWithAv(video, result);
  video.stream->time_base = video.encoder->time_base;
  video.stream->avg_frame_rate = video.encoder->framerate;

  // "file:" so that no part of the name is taken for a protocol; it reopens the temporary,
  // which is ours alone.
  char url[kVideoPathCapacity + 8];
  std::snprintf(url, sizeof url, "file:%s", video.temporary);
  result = avio_open(&video.format->pb, url, AVIO_FLAG_WRITE);
  if (result < 0) return failWithAv(video, result);
  result = avformat_write_header(video.format, nullptr);
  if (result < 0) return failWithAv(video, result);

  video.picture = av_frame_alloc();
  video.packet = av_packet_alloc();
  if (video.picture == nullptr || video.packet == nullptr) return failWithError(video, ENOMEM);
  video.picture->format = AV_PIX_FMT_YUV420P;
  video.picture->width = width;
  video.picture->height = height;
  result = av_frame_get_buffer(video.picture, 0);
  if (result < 0) return failWithAv(video, result);
  video.convert = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height,
                                 AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (video.convert == nullptr) return fail(video, "no RGB to YUV conversion");
  // Full-range RGB in, limited-range BT.709 out, as the stream is tagged.
  sws_setColorspaceDetails(video.convert, sws_getCoefficients(SWS_CS_ITU709), 1,
                           sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
  return true;
}

bool openVideo(VideoWriter& video, const char* path, int width, int height, int fps) {
  return openVideoWith(video, path, width, height, fps, "libx264");
}

bool addVideoFrame(VideoWriter& video, const unsigned char* rgb, RowOrder rows) {
  if (!videoIsOpen(video)) return false;
  // The encoder may still hold the last frame's buffers; then this one gets new ones.
  int result = av_frame_make_writable(video.picture);
  if (result < 0) return failWithAv(video, result);
  const int rowBytes = 3 * video.width;
  // A bottom-first picture is read from its last row up, by a negative stride.
  const uint8_t* source[1] = {rows == kTopRowFirst ? rgb : rgb + static_cast<std::size_t>(video.height - 1) * rowBytes};
  const int stride[1] = {rows == kTopRowFirst ? rowBytes : -rowBytes};
  sws_scale(video.convert, source, stride, 0, video.height, video.picture->data,
            video.picture->linesize);
  video.picture->pts = video.frames;
  if (video.fallback) video.picture->quality = video.encoder->global_quality;
  result = avcodec_send_frame(video.encoder, video.picture);
  if (result < 0) return failWithAv(video, result);
  ++video.frames;
  return writePackets(video);
}

bool finishVideo(VideoWriter& video) {
  if (!videoIsOpen(video)) return false;
  // A null frame drains the frames the encoder still holds back.
  int result = avcodec_send_frame(video.encoder, nullptr);
  if (result < 0) return failWithAv(video, result);
  if (!writePackets(video)) return false;
  // The trailer flushes the buffered bytes and reports any write that failed.
  result = av_write_trailer(video.format);
  if (result < 0) return failWithAv(video, result);
  result = avio_closep(&video.format->pb);
  if (result < 0) return failWithAv(video, result);
  if (fsync(video.fd) != 0) return failWithError(video, errno);
  if (rename(video.temporary, video.path) != 0) return failWithError(video, errno);
  release(video, false);
  // Until the directory is synced the rename itself may not survive a crash; if the sync
  // fails, the file is whole and in place all the same.
  syncDirectoryOf(video.path);
  return true;
}

void abortVideo(VideoWriter& video) { release(video, true); }

bool videoIsOpen(const VideoWriter& video) { return video.format != nullptr && video.convert != nullptr; }
