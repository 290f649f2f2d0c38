#pragma once
#include <optional>
#include <string>

namespace clipvane::tools {

// The three lines of the AviSynth script that the colour route hands us:
// LoadPlugin (ignored: the subtitle renderer is built in), DirectShowSource with the
// video and TextSub with the SSA file.
struct AvsScript {
  std::string video;
  std::string subtitles;
};

// Reads the script's text; on a line it does not understand, returns nothing and
// says why in `error`.
std::optional<AvsScript> ParseAvsScript(const std::string& text, std::string& error);

// What ffprobe says about an input: for the progress percentage and the subtitle size.
struct SourceFacts {
  double duration = 0;  // seconds; 0 when unknown
  int width = 0, height = 0;
};
SourceFacts ProbeSource(const std::string& path);

// SAMI text made ready for FFmpeg's SAMI reader: UTF-8, and "&nbsp;" (the usual
// screen-clearing block) written as a plain blank, which that reader takes without
// failing the whole file.
std::string PrepareSami(const std::string& bytes);

// The fontconfig pattern for a font holding every non-ASCII character of the text,
// such as ":charset=ac00 d55c"; empty when the text is plain ASCII.
std::string CharsetPattern(const std::string& utf8_text);

// Family name of a font file, as fontconfig reads it; empty when it cannot.
std::string FontFamilyOfFile(const std::string& font_file);

// The family fontconfig picks for a pattern; empty when it cannot.
std::string FontFamilyFor(const std::string& pattern);

}  // namespace clipvane::tools
