#include "subtitles/ass_subtitle.h"

#include "platform/text_encoding.h"
#include "subtitles/sami_text.h"

namespace clipvane {

std::vector<std::string> AssSubtitle::SsaLines(const std::string& bytes, const std::string&, const SsaStyle&,
                                               const ColourTable&, const std::string&) const {
  return SplitLines(BoundSubtitleLines(SamiTextFromBytes(bytes), false, AnsiIsUtf8()));
}

std::string AssSubtitle::PlainCopy(const std::string& bytes, const std::string&) const {
  return BoundSubtitleLines(Utf8SubtitleBytes(bytes), false, true);
}

}  // namespace clipvane
