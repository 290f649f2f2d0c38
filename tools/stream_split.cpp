#include "stream_split.h"

#include <algorithm>

#include "av_files.h"

namespace clipvane::tools {
namespace {

SplitResult Failed(const std::string& error) {
  SplitResult result;
  result.error = error;
  return result;
}

}  // namespace

SplitResult SplitStream(const std::string& input, bool video, const std::string& written) {
  av_log_set_level(AV_LOG_ERROR);
  std::string error;
  InputFile in;
  if (!in.Open(input, nullptr, error, true)) return Failed(error);
  const int index = in.FirstStream(video ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO);
  if (index < 0) return Failed(input + " has no " + (video ? "video" : "sound"));
  const AVStream& source = *in.Context()->streams[index];
  // Raw streams carry one codec each: MPEG-4 Part 2 or H.264 picture (Annex B, as
  // the muxer writes it from whatever the AVI holds), AAC sound.
  const AVCodecID codec = source.codecpar->codec_id;
  const bool known = video ? codec == AV_CODEC_ID_MPEG4 || codec == AV_CODEC_ID_H264 : codec == AV_CODEC_ID_AAC;
  if (!known) {
    return Failed(std::string("the ") + (video ? "video" : "sound") + " of " + input + " is " +
                  avcodec_get_name(codec) + ", not " + (video ? "mpeg4 or h264" : "aac"));
  }
  in.ReadOnly(index);

  OutputFile out;
  if (!out.Create(written, !video ? "adts" : codec == AV_CODEC_ID_H264 ? "h264" : "m4v", error)) return Failed(error);
  out.CopyOf(source, source.time_base);
  if (!out.Start(nullptr, error)) return Failed(error);
  SplitResult result;
  double end = 0;
  const Packet packet = NewPacket();
  int status;
  while ((status = in.Read(*packet)) >= 0) {
    if (packet->stream_index != index) {
      av_packet_unref(packet.get());
      continue;
    }
    ++result.frames;
    result.bytes += static_cast<std::uint64_t>(packet->size);
    if (packet->pts != AV_NOPTS_VALUE) end = std::max(end, (packet->pts + packet->duration) * av_q2d(source.time_base));
    // A raw stream keeps no timestamps; AAC copied from AVI to AVI reads back with
    // repeated ones, so the packets are simply numbered.
    packet->stream_index = 0;
    packet->pts = packet->dts = result.frames;
    if (!out.Write(*packet, source.time_base, error)) return Failed(error);
  }
  if (status != AVERROR_EOF) return Failed("cannot read " + input + ": " + AvErrorText(status));
  if (!out.Finish(error)) return Failed(error);
  const int rate = source.codecpar->sample_rate;
  const int frame_size = source.codecpar->frame_size > 0 ? source.codecpar->frame_size : 1024;
  result.seconds = video || rate <= 0 ? end : result.frames * double(frame_size) / rate;
  result.done = true;
  return result;
}

}  // namespace clipvane::tools
