// Tracks from the raw streams that the encoder's splits write: MPEG-4 Part 2 video
// and ADTS AAC, described the way MP4 players expect them.
#include <algorithm>

#include "mp4_movie.h"
#include "aac_frames.h"
#include "mpeg4_frames.h"
#include "tool_files.h"

namespace clipvane::tools {
namespace {

// ISO/IEC 14496-1 object types and stream types.
constexpr unsigned kVisualObject = 0x20, kAudioObject = 0x40;
constexpr unsigned kVisualStream = 4, kAudioStream = 5;

Box ElementaryStreamDescriptor(unsigned object_type, unsigned stream_type, const RawTrack& track,
                               const std::string& decoder_config) {
  std::uint64_t total = 0;
  std::uint32_t largest = 0;
  for (const SampleSpan& sample : track.samples) {
    total += sample.size;
    largest = std::max(largest, sample.size);
  }
  // Bit rates over the whole track, and at its peak over any second or so.
  const auto bit_rate = [&track](std::uint64_t bytes, std::size_t samples) {
    const std::uint64_t ticks = std::uint64_t{samples} * track.sample_duration;
    return ticks ? bytes * 8 * track.timescale / ticks : 0;
  };
  const std::uint32_t duration = std::max<std::uint32_t>(1, track.sample_duration);
  const std::size_t per_second = std::max<std::size_t>(1, (track.timescale + duration - 1) / duration);
  const std::uint64_t average = bit_rate(total, track.samples.size());
  std::uint64_t peak = average, window = 0;
  for (std::size_t i = 0; i < track.samples.size(); ++i) {
    window += track.samples[i].size;
    if (i >= per_second) window -= track.samples[i - per_second].size;
    if (i + 1 >= per_second) peak = std::max(peak, bit_rate(window, per_second));
  }
  // The ES number is 0 as stored in a file; no dependencies, URL or priority.
  const std::string config = Bytes()
                                 .U8(object_type)
                                 .U8(stream_type << 2 | 1)
                                 .U24(largest)
                                 .U32(static_cast<std::uint32_t>(std::min<std::uint64_t>(peak, 0xFFFFFFFFu)))
                                 .U32(static_cast<std::uint32_t>(std::min<std::uint64_t>(average, 0xFFFFFFFFu)))
                                 .Str() +
                             Descriptor(5, decoder_config);
  const std::string stream = Bytes().U16(0).U8(0).Str() + Descriptor(4, config) + Descriptor(6, std::string(1, '\x02'));
  return Box::FullLeaf("esds", 0, 0, Descriptor(3, stream));
}

}  // namespace

TrackClock TrackClockFor(const Rational& rate) {
  const std::int64_t ticks = std::max<std::int64_t>(1, 90000 / std::max<std::int64_t>(1, rate.num));
  return {static_cast<std::uint32_t>(rate.num * ticks), static_cast<std::uint32_t>(rate.den * ticks)};
}

std::optional<RawTrack> ReadRawMpeg4Video(const std::string& path, const Rational& rate, std::string& why_not) {
  BlockReader reader(path);
  if (!reader.IsOpen() || rate.num <= 0 || rate.den <= 0) {
    why_not = reader.IsOpen() ? "no frame rate" : "cannot open " + path;
    return std::nullopt;
  }
  Mpeg4FrameScanner scanner;
  for (;;) {
    std::size_t available = 0;
    const unsigned char* data = reader.Peek(1 << 20, available);
    if (available == 0) break;
    scanner.Feed(data, available);
    reader.Skip(available);
  }
  const std::vector<VideoFrame> frames = scanner.Finish();
  const auto layer = ParseVideoObjectLayer(scanner.Headers());
  if (frames.empty() || !layer) {
    why_not = "no MPEG-4 video object layer and pictures in " + path;
    return std::nullopt;
  }
  RawTrack track;
  track.video = true;
  const TrackClock clock = TrackClockFor(rate);
  track.timescale = clock.timescale;
  track.sample_duration = clock.frame_duration;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    // Reordered pictures would need composition times; those are left to FFmpeg.
    if (frames[i].coding_type == 2 || frames[i].size > 0xFFFFFFFFu) {
      why_not = "pictures out of display order in " + path;
      return std::nullopt;
    }
    track.samples.push_back({0, frames[i].offset, static_cast<std::uint32_t>(frames[i].size)});
    if (frames[i].coding_type == 0) track.sync_samples.push_back(static_cast<std::uint32_t>(i + 1));
  }
  if (track.sync_samples.size() == frames.size()) track.sync_samples.clear();
  track.display_width = static_cast<std::uint32_t>(layer->width * layer->aspect_width / layer->aspect_height);
  track.display_height = static_cast<std::uint32_t>(layer->height);

  Bytes entry;
  entry.Zeros(6).U16(1).Zeros(16).U16(static_cast<unsigned>(layer->width)).U16(static_cast<unsigned>(layer->height));
  entry.U32(0x00480000).U32(0x00480000).U32(0).U16(1).Zeros(32).U16(0x18).U16(0xFFFF);
  const Box esds = ElementaryStreamDescriptor(kVisualObject, kVisualStream, track, scanner.Headers());
  const Box pasp = Box::Leaf("pasp", Bytes()
                                         .U32(static_cast<std::uint32_t>(layer->aspect_width))
                                         .U32(static_cast<std::uint32_t>(layer->aspect_height))
                                         .Str());
  track.sample_entry = Box::Leaf("mp4v", entry.Str() + esds.Serialize() + pasp.Serialize());
  return track;
}

std::optional<RawTrack> ReadAdtsAudio(const std::string& path, std::string& why_not) {
  BlockReader reader(path);
  if (!reader.IsOpen()) {
    why_not = "cannot open " + path;
    return std::nullopt;
  }
  RawTrack track;
  std::optional<AacConfig> config;
  for (;;) {
    const std::uint64_t at = reader.Position();
    std::size_t available = 0;
    const unsigned char* data = reader.Peek(9, available);
    if (available == 0) break;
    const auto frame = ParseAdtsHeader(data, available);
    const bool same = frame && config && frame->config.object_type == config->object_type &&
                      frame->config.rate_index == config->rate_index &&
                      frame->config.channel_configuration == config->channel_configuration;
    if (!frame || (config && !same)) {
      why_not = "no ADTS frame this reader takes at byte " + std::to_string(at) + " of " + path;
      return std::nullopt;
    }
    if (!config) config = frame->config;
    reader.Peek(frame->frame_size, available);
    if (available < frame->frame_size) {
      why_not = path + " ends inside a frame";
      return std::nullopt;
    }
    track.samples.push_back({0, at + frame->header_size, static_cast<std::uint32_t>(frame->frame_size - frame->header_size)});
    reader.Skip(frame->frame_size);
  }
  if (!config) {
    why_not = "no sound in " + path;
    return std::nullopt;
  }
  track.timescale = static_cast<std::uint32_t>(config->SampleRate());
  track.sample_duration = 1024;

  Bytes entry;
  entry.Zeros(6).U16(1).Zeros(8).U16(static_cast<unsigned>(config->Channels())).U16(16).U16(0).U16(0);
  // A 16.16 rate; those above 65535 Hz do not fit and are left to the descriptor.
  entry.U32(track.timescale <= 0xFFFF ? track.timescale << 16 : 0);
  const Box esds = ElementaryStreamDescriptor(kAudioObject, kAudioStream, track, config->AudioSpecificConfig());
  track.sample_entry = Box::Leaf("mp4a", entry.Str() + esds.Serialize());
  return track;
}

}  // namespace clipvane::tools
