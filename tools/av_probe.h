#pragma once
#include <optional>
#include <string>

#include "mencoder_inputs.h"

namespace clipvane::tools {

// What ffprobe would say about the source, read in-process through libavformat: a
// start of ffprobe costs more than the reading. Nothing when this build cannot open
// the container or tell its first picture's codec and size, for ffprobe to answer.
std::optional<SourceFacts> ProbeSourceHere(const std::string& path);

// The header (an ASS script's [Script Info] and styles) of the source's subtitle track
// `track`, counted from 0 among its subtitle tracks, read in-process, and whether the
// source carries fonts of its own (an MKV's attachments); nothing when this build
// cannot open the container or the track has no header.
struct SubtitleTrackHeader {
  std::string header;
  bool fonts_attached = false;
};
std::optional<SubtitleTrackHeader> SubtitleTrackHeaderHere(const std::string& path, int track);

}  // namespace clipvane::tools
