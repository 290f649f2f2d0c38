#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "tool_text.h"

namespace clipvane::tools {

// The track clock of a video at a constant frame rate: about 90 kHz with a whole
// number of ticks per frame (finer clocks would overflow the 32-bit durations of
// long films).
struct TrackClock {
  std::uint32_t timescale = 0;
  std::uint32_t frame_duration = 0;
};
TrackClock TrackClockFor(const Rational& rate);

// A raw stream as the encoder's splits write it: MPEG-4 Part 2 or H.264 (Annex B)
// video at a constant frame rate (25 when none is given), or ADTS AAC; `format` is
// libavformat's name for it: "m4v", "h264" or "aac".
struct RawStream {
  std::string path;
  std::string format;
  std::optional<Rational> rate;
  bool Video() const { return format != "aac"; }
};

// Writes `written` as an MP4 file holding the tracks of `existing` (none when it is
// empty) and the raw stream as one more, all copied as they are, the movie box
// before the media data so that a player can start before the file is whole.
// False, with the reason in `error`, when anything cannot be read or written.
bool WriteMp4WithTrack(const std::string& existing, const RawStream& added, const std::string& written,
                       std::string& error);

}  // namespace clipvane::tools
