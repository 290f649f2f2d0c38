#pragma once
#include <optional>
#include <string>
#include <vector>

namespace clipvane::tools {

// What the check holds a job's MP4 against: what was converted of its video, the
// first picture track and the chosen sound track, read through FFmpeg's own programs
// (children), which read every container the encoder reads.

// One packet of a stream in file order, in seconds on the stream's own clock.
struct PacketTime {
  double time = 0;      // decoding time where known, else showing time
  double duration = 0;  // 0 when unknown
};

// How long a stream plays when its timestamps may start again or jump (recordings
// joined end to end): the summed lengths of its runs of steady timestamps, as the
// encoder plays them one after another.
double SegmentedLength(const std::vector<PacketTime>& packets);

// A track of the source, on FFmpeg's timeline of the file (which starts at the file's
// earliest stream, as the encoder counts).
struct SourceTrack {
  bool present = false;
  double start = 0;    // where it starts
  double seconds = 0;  // how long it plays; 0 when unknown
};

struct ConvertedSource {
  bool read = false;  // ffprobe read the file
  SourceTrack picture, sound;
  // How long the MP4 made of them is: the picture, or the sound where it runs on
  // after the picture (early sound is cut off at the first picture); 0 when unknown.
  double Seconds() const;
};

// ffprobe's report of the streams and the format (its default writer), and its
// packets ("stream_index=..|pts_time=..|dts_time=..|duration_time=.." lines, or
// empty), read into the picture and the `sound_track`-th sound track. The packets are
// the whole file's, whose runs are summed, or its tail's, where the tracks end.
enum class PacketSpan { kWhole, kTail };
ConvertedSource ReadConvertedSource(const std::string& streams_report, const std::string& packet_lines, PacketSpan span,
                                    int sound_track);
// Runs ffprobe on the video, once more over its packets where its format lets
// timestamps start again (all of them) or a track's length is not told (its tail's).
ConvertedSource ProbeConvertedSource(const std::string& video, int sound_track);

// The peak level of a sound track, 10 ms at a time, from a given time on.
struct SoundLevels {
  double first = 0;             // seconds from that time to the first step; before it, nothing
  std::vector<double> peak_db;  // one each 10 ms from `first`; -inf for digital silence
  static constexpr double kStep = 0.01;
};
// Raw sound, 16-bit stereo at 48 kHz, as 10 ms peaks.
SoundLevels LevelsOfPcm(const std::string& s16le_stereo);
// The raw sound of an AVI file's sound chunks, in file order.
std::string SoundOfAvi(const std::string& avi);
// Decodes `seconds` of the `track`-th sound track from `from` seconds of FFmpeg's
// timeline of the file on, what comes before its first sample as digital silence.
// Nothing when there is no such track or it cannot be read.
std::optional<SoundLevels> MeasureSound(const std::string& path, int track, double from, double seconds);

// Whether the MP4's sound begins where the source's does, counted from the first
// picture of each. See the .cpp for why it is judged as it is.
struct SoundStartVerdict {
  bool compared = false;  // false: the source has nothing to hear in its first minute
  bool agrees = true;
  double source_begins = 0, mp4_begins = 0;  // seconds after the first picture
};
SoundStartVerdict JudgeSoundStart(const SoundLevels& source, const SoundLevels& mp4);

// How far the sound's start may be off, in seconds.
inline constexpr double kSoundStartTolerance = 0.1;
// How much of the sound the check listens to, from the first picture on.
inline constexpr double kSoundListened = 60;

}  // namespace clipvane::tools
