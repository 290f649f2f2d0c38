#include "subtitles/srt_subtitle.h"

#include "subtitles/sami_text.h"
#include "subtitles/ssa_writer.h"

namespace clipvane {

std::vector<std::string> SrtSubtitle::SsaLines(const std::string& bytes, const std::string& title,
                                               const SsaStyle& style, const ColourTable& colours,
                                               const std::string&) const {
  return SsaLinesFromSrt(SplitLines(SamiTextFromBytes(bytes)), title, style, colours);
}

std::string SrtSubtitle::PlainCopy(const std::string& bytes, const std::string&) const {
  return Utf8SubtitleBytes(bytes);
}

}  // namespace clipvane
