#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mp4_boxes.h"
#include "tool_text.h"

namespace clipvane::tools {

// Where one sample's bytes lie: which of the movie's source files, and where in it.
struct SampleSpan {
  std::size_t source = 0;
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
};

// A track of the movie to be written: its boxes, less the chunk layout of its sample
// table (sample-to-chunk and chunk offsets), which the writer makes; and where its
// samples are, in decoding order, with their decoding times.
struct Mp4Track {
  std::uint32_t id = 0;
  std::uint32_t timescale = 0;
  std::uint64_t movie_duration = 0;  // in the movie's timescale
  std::uint32_t description_index = 1;
  std::vector<SampleSpan> samples;
  std::vector<std::uint64_t> decode_times;
  Box trak;
};

struct Mp4Movie {
  std::string ftyp;  // the file type box as it will be written
  Box mvhd;
  std::uint32_t timescale = 1000;
  std::vector<Mp4Track> tracks;
  std::vector<Box> other_boxes;      // the rest of the movie box, kept after the tracks
  std::vector<std::string> sources;  // the files the samples are read from
};

// A movie with no tracks yet.
Mp4Movie EmptyMovie();

// The movie of an MP4 file, its samples left where they are. Nothing, and the
// reason, for a file this reader does not follow: a fragmented movie, samples in
// other files, compact sample sizes, or tables that do not add up.
std::optional<Mp4Movie> ReadMp4Movie(const std::string& path, std::string& why_not);

// A track read from a raw stream, before it joins a movie.
struct RawTrack {
  bool video = false;
  std::uint32_t timescale = 0;
  std::uint32_t sample_duration = 0;  // every sample lasts as long
  std::vector<SampleSpan> samples;    // in the stream file
  std::vector<std::uint32_t> sync_samples;  // numbered from 1; empty when every sample is one
  Box sample_entry;                   // mp4v or mp4a, with its elementary stream descriptor
  std::uint32_t display_width = 0, display_height = 0;  // pixels, for a picture
};

// The track clock of a video at a constant frame rate: about 90 kHz with a whole
// number of ticks per frame (finer clocks would overflow the 32-bit durations of
// long films).
struct TrackClock {
  std::uint32_t timescale = 0;
  std::uint32_t frame_duration = 0;
};
TrackClock TrackClockFor(const Rational& rate);

// A raw MPEG-4 Part 2 video stream at a constant frame rate.
std::optional<RawTrack> ReadRawMpeg4Video(const std::string& path, const Rational& rate, std::string& why_not);
// A raw ADTS AAC stream: 1024 samples a frame at the stream's sample rate.
std::optional<RawTrack> ReadAdtsAudio(const std::string& path, std::string& why_not);

// Adds the track to the movie, with its samples read from `stream_path`.
void AddTrack(Mp4Movie& movie, RawTrack track, const std::string& stream_path);

// Writes the movie whole: file type, the samples of all tracks interleaved in
// half-second chunks, then the movie box.
bool WriteMp4Movie(Mp4Movie& movie, const std::string& path, std::string& error);

}  // namespace clipvane::tools
