#include "subtitles/ass_subtitle.h"

#include "subtitles/sami_text.h"

namespace clipvane {

std::vector<std::string> AssSubtitle::SsaLines(const std::string& bytes, const std::string&, const SsaStyle&,
                                               const ColourTable&, const std::string&) const {
  return SplitLines(SamiTextFromBytes(bytes));
}

std::string AssSubtitle::PlainCopy(const std::string& bytes, const std::string&) const {
  return Utf8SubtitleBytes(bytes);
}

}  // namespace clipvane
