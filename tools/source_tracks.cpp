#include "source_tracks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <sstream>

#include "platform/child_processes.h"

namespace clipvane::tools {
namespace {

using Fields = std::map<std::string, std::string>;

// A number of ffprobe's, or nothing for "N/A" and the like.
std::optional<double> Number(const Fields& fields, const std::string& key) {
  const auto found = fields.find(key);
  if (found == fields.end() || found->second.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(found->second.c_str(), &end);
  if (end == found->second.c_str() || !std::isfinite(value)) return std::nullopt;
  return value;
}

struct StreamsReport {
  Fields format;
  std::vector<Fields> streams;
};

StreamsReport ReadReport(const std::string& text) {
  StreamsReport report;
  // A stream's side data is a section inside its own, whose keys are not the stream's;
  // a transport stream's programs list their streams once more before all of them.
  Fields *outer = nullptr, *section = nullptr;
  bool in_program = false;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "[PROGRAM]" || line == "[/PROGRAM]") in_program = line == "[PROGRAM]";
    if (line == "[STREAM]") section = outer = in_program ? nullptr : &report.streams.emplace_back();
    else if (line == "[FORMAT]") section = outer = &report.format;
    else if (line == "[/STREAM]" || line == "[/FORMAT]") section = outer = nullptr;
    else if (line.rfind("[/", 0) == 0) section = outer;
    else if (!line.empty() && line[0] == '[') section = nullptr;
    else if (const std::size_t equals = line.find('='); section && equals != std::string::npos)
      (*section)[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return report;
}

// The first picture stream's and the chosen sound stream's fields, by their kind's order.
const Fields* NthOfKind(const StreamsReport& report, const std::string& kind, int nth) {
  for (const Fields& stream : report.streams) {
    const auto type = stream.find("codec_type");
    if (type != stream.end() && type->second == kind && nth-- == 0) return &stream;
  }
  return nullptr;
}

// Formats whose timestamps may start again or jump within one file: recordings of
// broadcasts and discs, and such files joined end to end.
bool TimestampsMayJump(const StreamsReport& report) {
  const auto name = report.format.find("format_name");
  if (name == report.format.end()) return false;
  for (const char* format : {"mpegts", "mpegtsraw", "mpeg", "mpegvideo"})
    if (name->second == format) return true;
  return false;
}

// Matroska keeps a track's length only as a tag, "01:02:03.456000000", which FFmpeg
// writes as where the track ends.
std::optional<double> TaggedEnd(const Fields& fields) {
  const auto found = fields.find("TAG:DURATION");
  if (found == fields.end()) return std::nullopt;
  int hours = 0, minutes = 0;
  double seconds = 0;
  if (std::sscanf(found->second.c_str(), "%d:%d:%lf", &hours, &minutes, &seconds) != 3) return std::nullopt;
  return hours * 3600.0 + minutes * 60.0 + seconds;
}

// How long the container says the track is: a file cut short (a download not finished)
// still says so, though less of it plays. An AVI's picture counts its frames in the
// header, which FFmpeg's length does not go by when the index is missing.
SourceTrack TrackOf(const Fields* stream, double file_start) {
  SourceTrack track;
  if (!stream) return track;
  track.present = true;
  const double start = Number(*stream, "start_time").value_or(file_start);
  track.start = start - file_start;
  track.seconds = Number(*stream, "duration").value_or(0);
  const auto rate = stream->find("avg_frame_rate");
  int num = 0, den = 0;
  if (rate != stream->end() && std::sscanf(rate->second.c_str(), "%d/%d", &num, &den) == 2 && num > 0 && den > 0)
    track.seconds = std::max(track.seconds, Number(*stream, "nb_frames").value_or(0) * den / num);
  if (track.seconds <= 0) track.seconds = std::max(0.0, TaggedEnd(*stream).value_or(0) - start);
  return track;
}

// The packets of the stream of this index, in file order, from compact lines.
std::vector<PacketTime> PacketsOf(const std::string& lines_text, const std::string& index) {
  std::vector<PacketTime> packets;
  std::istringstream lines(lines_text);
  for (std::string line; std::getline(lines, line);) {
    Fields fields;
    std::istringstream parts(line);
    for (std::string part; std::getline(parts, part, '|');)
      if (const std::size_t equals = part.find('='); equals != std::string::npos)
        fields[part.substr(0, equals)] = part.substr(equals + 1);
    if (fields["stream_index"] != index) continue;
    const std::optional<double> time =
        Number(fields, "dts_time") ? Number(fields, "dts_time") : Number(fields, "pts_time");
    if (time) packets.push_back({*time, Number(fields, "duration_time").value_or(0)});
  }
  return packets;
}

std::optional<std::string> FfprobeReport(const std::vector<std::string>& args) {
  std::vector<std::string> argv{ProgramBesideThisOne("ffprobe"), "-v", "error"};
  argv.insert(argv.end(), args.begin(), args.end());
  return CaptureOutput(argv);
}

}  // namespace

double SegmentedLength(const std::vector<PacketTime>& packets) {
  // A run ends where the clock goes back by more than a reordered picture could take
  // it, or jumps ahead by more than the encoder itself would take for a gap (its
  // default threshold for such formats, 10 s).
  double total = 0, first = 0, end = 0, previous = 0, spacing = 0;
  bool open = false;
  for (const PacketTime& packet : packets) {
    const bool breaks = !open || packet.time < previous - 0.5 || packet.time > end + 10;
    if (breaks) {
      if (open) total += end - first;
      first = packet.time;
      end = packet.time;
      open = true;
    } else if (packet.time > previous) {
      spacing = packet.time - previous;
    }
    first = std::min(first, packet.time);
    end = std::max(end, packet.time + (packet.duration > 0 ? packet.duration : spacing));
    previous = packet.time;
  }
  return open ? total + end - first : 0;
}

double ConvertedSource::Seconds() const {
  if (!picture.present || picture.seconds <= 0) return 0;
  double seconds = picture.seconds;
  if (sound.present && sound.seconds > 0) seconds = std::max(seconds, sound.start - picture.start + sound.seconds);
  return seconds;
}

ConvertedSource ReadConvertedSource(const std::string& streams_report, const std::string& packet_lines, PacketSpan span,
                                    int sound_track) {
  const StreamsReport report = ReadReport(streams_report);
  ConvertedSource source;
  source.read = !report.streams.empty();
  const double file_start = Number(report.format, "start_time").value_or(0);
  const Fields* picture = NthOfKind(report, "video", 0);
  const Fields* sound = NthOfKind(report, "audio", sound_track);
  source.picture = TrackOf(picture, file_start);
  source.sound = TrackOf(sound, file_start);
  if (packet_lines.empty()) return source;
  for (auto [fields, track] : {std::pair{picture, &source.picture}, {sound, &source.sound}}) {
    const auto index = fields ? fields->find("index") : Fields::const_iterator{};
    if (!fields || index == fields->end()) continue;
    const std::vector<PacketTime> packets = PacketsOf(packet_lines, index->second);
    if (packets.empty()) continue;
    if (span == PacketSpan::kWhole) {
      track->seconds = SegmentedLength(packets);
    } else {
      double end = 0;
      for (const PacketTime& packet : packets) end = std::max(end, packet.time + packet.duration);
      track->seconds = end - (track->start + file_start);
    }
  }
  return source;
}

ConvertedSource ProbeConvertedSource(const std::string& video, int sound_track) {
  const std::optional<std::string> report = FfprobeReport(
      {"-show_entries",
       "format=format_name,start_time,duration:stream=index,codec_type,start_time,duration,nb_frames,avg_frame_rate",
       "-show_entries", "stream_tags=DURATION", video});
  if (!report) return {};
  const std::vector<std::string> packets = {"-show_entries", "packet=stream_index,pts_time,dts_time,duration_time",
                                            "-of", "compact=p=0"};
  const auto scan = [&](const std::vector<std::string>& from) {
    std::vector<std::string> args = packets;
    args.insert(args.end(), from.begin(), from.end());
    args.push_back(video);
    return FfprobeReport(args).value_or("");
  };
  // Every packet is read only where timestamps may start again: a long recording costs
  // a whole read of the file. A track that does not tell its length is read from a
  // minute before the file's end, where it ends, unless it ended before that.
  if (TimestampsMayJump(ReadReport(*report)))
    return ReadConvertedSource(*report, scan({}), PacketSpan::kWhole, sound_track);
  ConvertedSource source = ReadConvertedSource(*report, "", PacketSpan::kWhole, sound_track);
  const auto unknown = [](const SourceTrack& track) { return track.present && track.seconds <= 0; };
  if (!unknown(source.picture) && !unknown(source.sound)) return source;
  const double file_end = Number(ReadReport(*report).format, "duration").value_or(0) +
                          Number(ReadReport(*report).format, "start_time").value_or(0);
  if (file_end > 60) {
    char from[32];
    std::snprintf(from, sizeof from, "%.3f%%", file_end - 60);
    source = ReadConvertedSource(*report, scan({"-read_intervals", from}), PacketSpan::kTail, sound_track);
    if (!unknown(source.picture) && !unknown(source.sound)) return source;
  }
  return ReadConvertedSource(*report, scan({}), PacketSpan::kWhole, sound_track);
}

SoundLevels LevelsOfPcm(const std::string& s16le_stereo) {
  constexpr std::size_t kStepBytes = 480 * 2 * 2;  // 10 ms of two 16-bit channels at 48 kHz
  SoundLevels levels;
  for (std::size_t at = 0; at + 1 < s16le_stereo.size(); at += kStepBytes) {
    int loudest = 0;
    for (std::size_t i = at; i + 1 < std::min(at + kStepBytes, s16le_stereo.size()); i += 2) {
      const int sample = static_cast<std::int16_t>(static_cast<unsigned char>(s16le_stereo[i]) |
                                                   static_cast<unsigned char>(s16le_stereo[i + 1]) << 8);
      loudest = std::max(loudest, std::abs(sample));
    }
    levels.peak_db.push_back(loudest == 0 ? -std::numeric_limits<double>::infinity()
                                          : 20 * std::log10(loudest / 32768.0));
  }
  return levels;
}

std::string SoundOfAvi(const std::string& avi) {
  const auto word = [&avi](std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(avi[at + i]);
    return value;
  };
  std::string sound;
  // Written to a pipe, the file's and the movie list's sizes stay unknown; each
  // chunk's own is right. The movie list is entered, every other chunk passed by.
  for (std::size_t at = 12; at + 8 <= avi.size();) {
    const std::size_t size = word(at + 4);
    if (avi.compare(at, 4, "LIST") == 0 && avi.compare(at + 8, 4, "movi") == 0) {
      at += 12;
      continue;
    }
    if (avi.compare(at + 2, 2, "wb") == 0 && size <= avi.size() - at - 8) sound.append(avi, at + 8, size);
    at += 8 + size + (size & 1);
  }
  return sound;
}

std::optional<SoundLevels> MeasureSound(const std::string& path, int track, double from, double seconds) {
  // Only what every FFmpeg the program ships with has (the Windows release's is a small
  // build, without level filters or raw sound files): the window cut out and counted
  // from `from`, silence put before a first sample that comes later, and the samples
  // handed over in an AVI, whose peaks are taken here.
  char window[128];
  std::snprintf(window, sizeof window, "atrim=start=%.6f:duration=%.3f,asetpts=PTS-%.6f/TB,", from, seconds, from);
  const std::string filters = std::string(window) + "aresample=48000:async=1:first_pts=0";
  const std::optional<std::string> pcm = CaptureOutput(
      {ProgramBesideThisOne("ffmpeg"), "-hide_banner", "-nostdin", "-v", "error", "-i", path, "-map",
       "0:a:" + std::to_string(track), "-af", filters, "-ac", "2", "-c:a", "pcm_s16le", "-f", "avi", "-"});
  if (!pcm) return std::nullopt;
  return LevelsOfPcm(SoundOfAvi(*pcm));
}

// Where sound begins is judged from the first picture of each file, in two halves,
// each one where the conversion cannot blur it:
// - Not early. Where the source has nothing at all after its first picture (no
//   samples yet, as before sound that starts late, or digital silence) the encoder
//   gives digital silence too: the MP4 must stay below -70 dBFS until the source's
//   first sample that is not zero, less the tolerance. Only silence is held to that,
//   never quiet sound, so a source's noise floor or near-silent opening is never
//   asked to be silence, and volume normalisation (which only multiplies) keeps
//   silence silent; AAC's pre-echo before a sharp start reaches back a frame or two,
//   well within the tolerance.
// - Not late. The MP4's sound must rise above its own peak less 36 dB no later than
//   the source's rises above its peak less 30 dB, plus the tolerance. Levels relative
//   to each track's own loudest moment let a quiet or loud track, and the encoder's
//   volume normalisation, be judged alike; normalising only lifts quiet parts, which
//   makes the MP4's sound begin earlier, never later, and the 6 dB between the two
//   thresholds absorbs the encoder's small level changes on a slow fade-in.
// A source whose chosen track is missing, or whose first minute from the first
// picture has nothing louder than -60 dBFS, has no start to compare: the encoder gives
// such a video silence, or what it has, and nothing is refused for it. Sound from
// before the first picture is left out of the source's minute, as the encoder cuts it.
SoundStartVerdict JudgeSoundStart(const SoundLevels& source, const SoundLevels& mp4) {
  constexpr double kHeard = -60, kSilence = -70, kDigitalSilence = -100, kSourceBelowPeak = 30, kMp4BelowPeak = 36;
  const auto peak = [](const SoundLevels& levels) {
    double loudest = -std::numeric_limits<double>::infinity();
    for (double level : levels.peak_db) loudest = std::max(loudest, level);
    return loudest;
  };
  // The first step above the threshold, in seconds after the first picture; infinite
  // when none is.
  const auto above = [](const SoundLevels& levels, double threshold) {
    for (std::size_t step = 0; step < levels.peak_db.size(); ++step)
      if (levels.peak_db[step] > threshold) return levels.first + static_cast<double>(step) * SoundLevels::kStep;
    return std::numeric_limits<double>::infinity();
  };
  SoundStartVerdict verdict;
  const double source_peak = peak(source);
  if (source_peak < kHeard) return verdict;
  verdict.compared = true;
  verdict.source_begins = above(source, source_peak - kSourceBelowPeak);
  const double mp4_peak = peak(mp4);
  verdict.mp4_begins =
      mp4_peak < kHeard ? std::numeric_limits<double>::infinity() : above(mp4, mp4_peak - kMp4BelowPeak);
  const double mp4_sounds = above(mp4, kSilence), source_sounds = above(source, kDigitalSilence);
  if (mp4_sounds < source_sounds - kSoundStartTolerance) {
    verdict.agrees = false;
    verdict.mp4_begins = mp4_sounds;
    verdict.source_begins = source_sounds;
  } else if (verdict.mp4_begins > verdict.source_begins + kSoundStartTolerance) {
    verdict.agrees = false;
  }
  return verdict;
}

}  // namespace clipvane::tools
