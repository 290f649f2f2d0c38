#include "av_probe.h"

#include <string>
#include <algorithm>

#include "av_files.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

namespace clipvane::tools {

std::optional<SourceFacts> ProbeSourceHere(const std::string& path) {
  // What it cannot read goes to ffprobe, so its complaints stay out of the job's log.
  const int level = av_log_get_level();
  av_log_set_level(AV_LOG_QUIET);
  InputFile in;
  std::string error;
  const bool opened = in.Open(path, nullptr, error);
  av_log_set_level(level);
  if (!opened) return std::nullopt;
  const AVFormatContext& context = *in.Context();
  // This build's raw stream readers take the picture out of many a container they do
  // not know (a Matroska file's MPEG-4 picture) and find no sound there: a source is
  // never read as a raw stream here, lest its sound be taken for missing.
  const std::string format = context.iformat->name;
  if (format == "m4v" || format == "h264" || format == "aac") return std::nullopt;
  SourceFacts facts;
  facts.has_audio = in.FirstStream(AVMEDIA_TYPE_AUDIO) >= 0;
  for (unsigned i = 0; i < context.nb_streams; ++i)
    if (context.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE)
      facts.subtitle_codecs.push_back(avcodec_get_name(context.streams[i]->codecpar->codec_id));
  if (context.duration != AV_NOPTS_VALUE && context.duration > 0)
    facts.duration = static_cast<double>(context.duration) / AV_TIME_BASE;
  const int picture = in.FirstStream(AVMEDIA_TYPE_VIDEO);
  if (picture < 0) return facts;
  const AVStream& stream = *context.streams[picture];
  const AVCodecParameters& codec = *stream.codecpar;
  if (codec.codec_id == AV_CODEC_ID_NONE || codec.width <= 0 || codec.height <= 0) return std::nullopt;
  facts.width = codec.width;
  facts.height = codec.height;
  facts.video_codec = avcodec_get_name(codec.codec_id);
  // The names ffprobe gives, none for what the file leaves unsaid.
  const auto named = [](const char* name) { return name && std::string(name) != "unknown" ? name : ""; };
  if (codec.color_primaries != AVCOL_PRI_UNSPECIFIED)
    facts.primaries = named(av_color_primaries_name(codec.color_primaries));
  if (codec.color_trc != AVCOL_TRC_UNSPECIFIED) facts.transfer = named(av_color_transfer_name(codec.color_trc));
  if (codec.color_space != AVCOL_SPC_UNSPECIFIED) facts.matrix = named(av_color_space_name(codec.color_space));
  double rotation = 0;
  std::size_t size = 0;
  const uint8_t* matrix = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
  if (matrix && size >= 9 * sizeof(int32_t))
    rotation = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
  TurnForShowing(facts, rotation);
  if (stream.start_time != AV_NOPTS_VALUE && context.start_time != AV_NOPTS_VALUE)
    facts.picture_lead = std::max(
        0.0, stream.start_time * av_q2d(stream.time_base) - static_cast<double>(context.start_time) / AV_TIME_BASE);
  return facts;
}

std::optional<SubtitleTrackHeader> SubtitleTrackHeaderHere(const std::string& path, int track) {
  const int level = av_log_get_level();
  av_log_set_level(AV_LOG_QUIET);
  InputFile in;
  std::string error;
  const bool opened = in.Open(path, nullptr, error, true);
  av_log_set_level(level);
  if (!opened) return std::nullopt;
  const AVFormatContext& context = *in.Context();
  std::optional<SubtitleTrackHeader> found;
  bool fonts_attached = false;
  for (unsigned i = 0; i < context.nb_streams; ++i) {
    const AVCodecParameters& codec = *context.streams[i]->codecpar;
    fonts_attached = fonts_attached || codec.codec_type == AVMEDIA_TYPE_ATTACHMENT;
    if (codec.codec_type != AVMEDIA_TYPE_SUBTITLE || track-- != 0 || !codec.extradata || codec.extradata_size <= 0)
      continue;
    found = SubtitleTrackHeader{
        std::string(reinterpret_cast<const char*>(codec.extradata), static_cast<std::size_t>(codec.extradata_size))};
  }
  if (found) found->fonts_attached = fonts_attached;
  return found;
}

}  // namespace clipvane::tools
