#include "subtitles/srt_subtitle.h"

#include "platform/text_encoding.h"
#include "subtitles/sami_text.h"
#include "subtitles/ssa_writer.h"

namespace clipvane {

std::vector<std::string> SrtSubtitle::SsaLines(const std::string& bytes, const std::string& title,
                                               const SsaStyle& style, const ColourTable& colours,
                                               const std::string&) const {
  return SsaLinesFromSrt(SplitLines(BoundSubtitleLines(SamiTextFromBytes(bytes), false, AnsiIsUtf8())), title, style,
                         colours);
}

std::string SrtSubtitle::PlainCopy(const std::string& bytes, const std::string&) const {
  return BoundSubtitleLines(Utf8SubtitleBytes(bytes), false, true);
}

}  // namespace clipvane
