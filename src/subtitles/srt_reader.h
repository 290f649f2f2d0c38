#pragma once
#include <string>
#include <vector>

namespace clipvane {

class ColourTable;

// One subtitle of an SRT file: shown from `start` to `end` (milliseconds), its text
// lines as written.
struct SrtCue {
  int start = 0;
  int end = 0;
  std::vector<std::string> lines;
};

// The cues of an SRT file's lines, in file order: each a timing line
// ("00:01:02,345 --> 00:01:04,000", a point allowed for the comma, the hours
// optional) and the text lines up to a blank line or the next cue's number and timing.
// Lines that belong to no cue are passed over; a cue that ends before it starts is
// left out.
std::vector<SrtCue> ReadSrtCues(const std::vector<std::string>& lines);

// A cue's text as an SSA Dialogue text: lines joined by "\N", <font color=...> as the
// colour code a SAMI FONT tag gives, </font> as "{\c}", other tags left out.
std::string SrtSsaText(const std::vector<std::string>& lines, const ColourTable& colours);

}  // namespace clipvane
