// The reader follows FFmpeg's demux-and-decode loop: packets of the video stream to the
// decoder, frames out until it asks for more; a null packet drains it at the end.
#include "support/video_reader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace support {

Rgb VideoContents::at(int frame, int x, int y) const {
  const unsigned char* p = &pictures[frame][3 * (static_cast<std::size_t>(y) * width + x)];
  return {p[0], p[1], p[2]};
}

namespace {

struct Reader {
  AVFormatContext* format = nullptr;
  AVCodecContext* decoder = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  SwsContext* convert = nullptr;
  ~Reader() {
    sws_freeContext(convert);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
  }
};

bool failed(std::string& error, const std::string& what, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = "";
  av_strerror(code, text, sizeof text);
  error = what + ": " + text;
  return false;
}

// Takes every frame the decoder has ready.
bool receiveFrames(Reader& reader, const AVStream* stream, VideoContents& video,
                   std::string& error, bool keepPictures) {
  for (;;) {
    const int result = avcodec_receive_frame(reader.decoder, reader.frame);
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) return failed(error, "decoding", result);
    const AVRational perFrame = av_inv_q(stream->r_frame_rate);
    video.pts.push_back(av_rescale_q(reader.frame->best_effort_timestamp, stream->time_base, perFrame));
    if (keepPictures) {
      const AVFrame* f = reader.frame;
      reader.convert = sws_getCachedContext(reader.convert, f->width, f->height,
                                            static_cast<AVPixelFormat>(f->format), f->width,
                                            f->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr,
                                            nullptr, nullptr);
      const int matrix = f->colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : f->colorspace;
      sws_setColorspaceDetails(reader.convert, sws_getCoefficients(matrix),
                               f->color_range == AVCOL_RANGE_JPEG, sws_getCoefficients(SWS_CS_DEFAULT),
                               1, 0, 1 << 16, 1 << 16);
      std::vector<unsigned char> rgb(3 * static_cast<std::size_t>(f->width) * f->height);
      uint8_t* planes[1] = {rgb.data()};
      const int strides[1] = {3 * f->width};
      sws_scale(reader.convert, f->data, f->linesize, 0, f->height, planes, strides);
      video.pictures.push_back(std::move(rgb));
    }
    av_frame_unref(reader.frame);
  }
}

}  // namespace

bool readVideo(const std::string& path, VideoContents& video, std::string& error,
               bool keepPictures) {
  video = VideoContents{};
  Reader reader;
  int result = avformat_open_input(&reader.format, path.c_str(), nullptr, nullptr);
  if (result < 0) return failed(error, path, result);
  result = avformat_find_stream_info(reader.format, nullptr);
  if (result < 0) return failed(error, "stream info", result);
  const AVCodec* codec = nullptr;
  const int index = av_find_best_stream(reader.format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (index < 0) return failed(error, "no video stream", index);
  const AVStream* stream = reader.format->streams[index];
  reader.decoder = avcodec_alloc_context3(codec);
  reader.packet = av_packet_alloc();
  reader.frame = av_frame_alloc();
  avcodec_parameters_to_context(reader.decoder, stream->codecpar);
  result = avcodec_open2(reader.decoder, codec, nullptr);
  if (result < 0) return failed(error, "decoder", result);
  video.codec = codec->name;
  const char* pixelFormat = av_get_pix_fmt_name(static_cast<AVPixelFormat>(stream->codecpar->format));
  video.pixelFormat = pixelFormat != nullptr ? pixelFormat : "";
  video.width = stream->codecpar->width;
  video.height = stream->codecpar->height;
  video.rateNum = stream->r_frame_rate.num;
  video.rateDen = stream->r_frame_rate.den;
  while ((result = av_read_frame(reader.format, reader.packet)) >= 0) {
    if (reader.packet->stream_index == index) result = avcodec_send_packet(reader.decoder, reader.packet);
    av_packet_unref(reader.packet);
    if (result < 0) return failed(error, "decoding", result);
    if (!receiveFrames(reader, stream, video, error, keepPictures)) return false;
  }
  if (result != AVERROR_EOF) return failed(error, "reading", result);
  avcodec_send_packet(reader.decoder, nullptr);
  return receiveFrames(reader, stream, video, error, keepPictures);
}

}  // namespace support
