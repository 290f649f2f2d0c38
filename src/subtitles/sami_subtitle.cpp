#include "subtitles/sami_subtitle.h"

#include "platform/text_encoding.h"
#include "subtitles/sami_classes.h"
#include "subtitles/sami_text.h"
#include "subtitles/ssa_writer.h"

namespace clipvane {

std::vector<std::string> SamiSubtitle::Classes(const FoundSubtitle&, const std::string& bytes) const {
  return SamiClasses(BoundSubtitleLines(SamiTextFromBytes(bytes), true, AnsiIsUtf8()));
}

std::vector<std::string> SamiSubtitle::SsaLines(const std::string& bytes, const std::string& title,
                                                const SsaStyle& style, const ColourTable& colours,
                                                const std::string& chosen_class) const {
  return SsaLinesFromSami(
      SplitLines(KeepSamiClass(BoundSubtitleLines(SamiTextFromBytes(bytes), true, AnsiIsUtf8()), chosen_class)), title,
      style, colours);
}

std::string SamiSubtitle::PlainCopy(const std::string& bytes, const std::string& chosen_class) const {
  return KeepSamiClass(BoundSubtitleLines(Utf8SubtitleBytes(bytes), true, true), chosen_class);
}

}  // namespace clipvane
