#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "subtitles/sami_reader.h"
#include "subtitles/ssa_style.h"

namespace clipvane {

class ColourTable;

// "hh:mm:ss.cc" from milliseconds; hours take more than two digits when they need them.
std::string FormatSsaTime(std::uint32_t milliseconds);

// The Dialogue text of an entry: every item after the start time, joined, trimmed,
// "<br>" as the SSA line break "\N" and "&nbsp;" (any case) as one blank.
std::string SsaEntryText(const SubtitleEntry& entry);

// The lines of an SSA script from the lines of a SAMI file: the header with `title`
// and `style`, then one Dialogue line per subtitle, which ends where the next begins.
std::vector<std::string> SsaLinesFromSami(std::vector<std::string> sami_lines, const std::string& title,
                                          const SsaStyle& style, const ColourTable& colours);

// The same script from the lines of an SRT file, one Dialogue line per cue.
std::vector<std::string> SsaLinesFromSrt(const std::vector<std::string>& srt_lines, const std::string& title,
                                         const SsaStyle& style, const ColourTable& colours);

}  // namespace clipvane
