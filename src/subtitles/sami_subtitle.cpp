#include "subtitles/sami_subtitle.h"

#include "subtitles/sami_classes.h"
#include "subtitles/sami_text.h"
#include "subtitles/ssa_writer.h"

namespace clipvane {

std::vector<std::string> SamiSubtitle::Classes(const FoundSubtitle&, const std::string& bytes) const {
  return SamiClasses(SamiTextFromBytes(bytes));
}

std::vector<std::string> SamiSubtitle::SsaLines(const std::string& bytes, const std::string& title,
                                                const SsaStyle& style, const ColourTable& colours,
                                                const std::string& chosen_class) const {
  return SsaLinesFromSami(SplitLines(KeepSamiClass(SamiTextFromBytes(bytes), chosen_class)), title, style, colours);
}

std::string SamiSubtitle::PlainCopy(const std::string& bytes, const std::string& chosen_class) const {
  return KeepSamiClass(Utf8SubtitleBytes(bytes), chosen_class);
}

}  // namespace clipvane
