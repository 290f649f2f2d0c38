#include "mp4_mux.h"

#include <algorithm>
#include <vector>

#include "av_files.h"
#include "h264_order.h"

namespace clipvane::tools {
namespace {

// Where the packets of one input come from, one packet ahead, so that two inputs
// can be written in the order they play.
struct PacketSource {
  InputFile& file;
  std::string path;
  std::vector<int> streams;  // the output stream of each input stream, or -1
  // A raw stream's packets are stamped here, `ticks` apart in `clock`: shown at their
  // place in `showing` (when given, else in stored order), the first at 0, and
  // decoded in stored order from as far before 0 as a frame moves back, so that none
  // is shown before it is decoded.
  bool stamped = false;
  AVRational clock{1, 1};
  std::int64_t ticks = 0, count = 0;
  std::vector<std::int64_t> showing{};
  std::int64_t delay = 0;
  Packet pending = NewPacket();
  bool has_pending = false;
  AVRational pending_base{1, 1};

  // False, with `status`, at the end or on an error.
  bool Fill(int& status) {
    while (!has_pending) {
      if ((status = file.Read(*pending)) < 0) return false;
      const int output = streams[static_cast<std::size_t>(pending->stream_index)];
      if (output < 0) {
        av_packet_unref(pending.get());
        continue;
      }
      pending_base = file.Context()->streams[pending->stream_index]->time_base;
      pending->stream_index = output;
      if (stamped) {
        const std::size_t frame = static_cast<std::size_t>(count);
        pending->dts = (count++ - delay) * ticks;
        pending->pts = frame < showing.size() ? showing[frame] * ticks : pending->dts;
        pending->duration = ticks;
        pending_base = clock;
      }
      has_pending = true;
    }
    return true;
  }
  std::int64_t Time() const { return pending->dts != AV_NOPTS_VALUE ? pending->dts : pending->pts; }
};

bool CopyAll(std::vector<PacketSource*> sources, OutputFile& out, std::string& error) {
  int status = 0;
  for (;;) {
    PacketSource* next = nullptr;
    for (PacketSource* source : sources) {
      if (!source->has_pending && !source->Fill(status) && status != AVERROR_EOF) {
        error = "cannot read " + source->path + ": " + AvErrorText(status);
        return false;
      }
      if (!source->has_pending) continue;
      if (!next || source->Time() == AV_NOPTS_VALUE ||
          (next->Time() != AV_NOPTS_VALUE &&
           av_compare_ts(source->Time(), source->pending_base, next->Time(), next->pending_base) < 0)) {
        next = source;
      }
    }
    if (!next) return true;
    next->has_pending = false;
    if (!out.Write(*next->pending, next->pending_base, error)) return false;
  }
}

}  // namespace

TrackClock TrackClockFor(const Rational& rate) {
  // A rate written with many decimals is held to the nearest one the clock can keep.
  int num = 0, den = 1;
  av_reduce(&num, &den, std::max<std::int64_t>(1, rate.num), std::max<std::int64_t>(1, rate.den), 90000);
  const std::uint32_t ticks = static_cast<std::uint32_t>(std::max(1, 90000 / num));
  return {static_cast<std::uint32_t>(num) * ticks, static_cast<std::uint32_t>(den) * ticks};
}

bool WriteMp4WithTrack(const std::string& existing, const RawStream& added, const std::string& written,
                       std::string& error) {
  av_log_set_level(AV_LOG_ERROR);
  InputFile earlier, raw;
  if (!existing.empty() && !earlier.Open(existing, nullptr, error)) return false;
  const bool video = added.Video();
  if (!raw.Open(added.path, added.format.c_str(), error)) return false;
  const int raw_index = raw.FirstStream(video ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO);
  const AVStream* stream = raw_index >= 0 ? raw.Context()->streams[raw_index] : nullptr;
  const AVCodecParameters* codec = stream ? stream->codecpar : nullptr;
  if (!codec || (video ? codec->width <= 0 : codec->sample_rate <= 0)) {
    error = "no " +
            std::string(added.format == "h264" ? "H.264 video"
                        : video                ? "MPEG-4 video"
                                               : "AAC sound") +
            " in " + added.path;
    return false;
  }

  OutputFile out;
  if (!out.Create(written, "mp4", error)) return false;
  // The earlier file's tracks first, as they were.
  PacketSource first{earlier, existing, {}};
  if (!existing.empty()) {
    for (unsigned i = 0; i < earlier.Context()->nb_streams; ++i) {
      const AVStream& track = *earlier.Context()->streams[i];
      const AVMediaType type = track.codecpar->codec_type;
      const bool kept = type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_SUBTITLE;
      first.streams.push_back(kept ? out.CopyOf(track, track.time_base)->index : -1);
    }
  }
  PacketSource second{raw, added.path, std::vector<int>(raw.Context()->nb_streams, -1)};
  second.stamped = true;
  if (added.format == "h264") {
    std::vector<H264Frame> frames;
    if (!ReadH264Frames(added.path, frames, error)) return false;
    second.showing = ShowingOrder(frames);
    for (std::size_t i = 0; i < frames.size(); ++i)
      second.delay = std::max<std::int64_t>(second.delay, static_cast<std::int64_t>(i) - second.showing[i]);
  }
  // Each frame at index / rate; each AAC frame 1024 samples, at the sample rate.
  if (video) {
    const Rational rate = added.rate && added.rate->num > 0 ? *added.rate : Rational{25, 1};
    const TrackClock clock = TrackClockFor(rate);
    second.clock = {1, static_cast<int>(clock.timescale)};
    second.ticks = clock.frame_duration;
  } else {
    second.clock = {1, codec->sample_rate};
    second.ticks = codec->frame_size > 0 ? codec->frame_size : 1024;
  }
  AVStream* track = out.CopyOf(*stream, second.clock);
  if (video) {
    track->avg_frame_rate = av_inv_q(av_mul_q(second.clock, AVRational{static_cast<int>(second.ticks), 1}));
    // The encoder writes every picture in BT.709 (tools/mencoder_command.cpp, ToBt709);
    // an H.264 stream says so itself, an MPEG-4 Part 2 one has no word for it, so the
    // MP4's colr box says it for the stream.
    AVCodecParameters& colours = *track->codecpar;
    if (colours.color_primaries == AVCOL_PRI_UNSPECIFIED) colours.color_primaries = AVCOL_PRI_BT709;
    if (colours.color_trc == AVCOL_TRC_UNSPECIFIED) colours.color_trc = AVCOL_TRC_BT709;
    if (colours.color_space == AVCOL_SPC_UNSPECIFIED) colours.color_space = AVCOL_SPC_BT709;
    if (colours.color_range == AVCOL_RANGE_UNSPECIFIED) colours.color_range = AVCOL_RANGE_MPEG;
  }
  second.streams[static_cast<std::size_t>(raw_index)] = track->index;

  std::vector<PacketSource*> sources{&second};
  if (!existing.empty()) sources.insert(sources.begin(), &first);
  if (!out.Start("movflags=+faststart+write_colr", error) || !CopyAll(sources, out, error)) return false;
  if (second.count == 0) {
    error = "no frames in " + added.path;
    return false;
  }
  return out.Finish(error);
}

}  // namespace clipvane::tools
