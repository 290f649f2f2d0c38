#include "h264_order.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include "av_files.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace clipvane::tools {
namespace {

struct ParserDeleter {
  void operator()(AVCodecParserContext* parser) const { av_parser_close(parser); }
};
struct CodecDeleter {
  void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};

}  // namespace

std::vector<std::int64_t> ShowingOrder(const std::vector<H264Frame>& frames) {
  // Each frame's stretch: a new one at a key frame whose count does not follow on.
  std::vector<std::int64_t> stretch(frames.size());
  std::int64_t current = -1;
  int highest = 0;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (current < 0 || (frames[i].key && frames[i].order_count <= highest)) {
      ++current;
      highest = frames[i].order_count;
    }
    highest = std::max(highest, frames[i].order_count);
    stretch[i] = current;
  }
  std::vector<std::size_t> shown(frames.size());
  std::iota(shown.begin(), shown.end(), 0);
  std::stable_sort(shown.begin(), shown.end(), [&](std::size_t a, std::size_t b) {
    return stretch[a] != stretch[b] ? stretch[a] < stretch[b] : frames[a].order_count < frames[b].order_count;
  });
  std::vector<std::int64_t> place(frames.size());
  for (std::size_t rank = 0; rank < shown.size(); ++rank) place[shown[rank]] = static_cast<std::int64_t>(rank);
  return place;
}

bool ReadH264Frames(const std::string& path, std::vector<H264Frame>& frames, std::string& error) {
  InputFile raw;
  if (!raw.Open(path, "h264", error)) return false;
  const int index = raw.FirstStream(AVMEDIA_TYPE_VIDEO);
  std::unique_ptr<AVCodecParserContext, ParserDeleter> parser(av_parser_init(AV_CODEC_ID_H264));
  std::unique_ptr<AVCodecContext, CodecDeleter> codec(avcodec_alloc_context3(nullptr));
  if (index < 0 || !parser || !codec) {
    error = "no H.264 video in " + path;
    return false;
  }
  // The demuxer hands over whole frames already; the parser only reads their headers.
  parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
  const Packet packet = NewPacket();
  int status;
  while ((status = raw.Read(*packet)) >= 0) {
    if (packet->stream_index == index) {
      std::uint8_t* out = nullptr;
      int out_size = 0;
      av_parser_parse2(parser.get(), codec.get(), &out, &out_size, packet->data, packet->size, AV_NOPTS_VALUE,
                       AV_NOPTS_VALUE, 0);
      frames.push_back({parser->output_picture_number, (packet->flags & AV_PKT_FLAG_KEY) != 0});
    }
    av_packet_unref(packet.get());
  }
  if (status != AVERROR_EOF) {
    error = "cannot read " + path + ": " + AvErrorText(status);
    return false;
  }
  return true;
}

}  // namespace clipvane::tools
