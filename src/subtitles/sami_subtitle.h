#pragma once
#include "subtitles/subtitle_source.h"

namespace clipvane {

// A SAMI file beside the video (".smi"), the kind Korean subtitles have always come
// in: HTML, often in two languages, one paragraph class each (sami_classes.h).
class SamiSubtitle : public SubtitleFileBeside {
 public:
  SamiSubtitle() : SubtitleFileBeside(".smi") {}

  std::vector<std::string> Classes(const FoundSubtitle& found, const std::string& bytes) const override;
  std::vector<std::string> SsaLines(const std::string& bytes, const std::string& title, const SsaStyle& style,
                                    const ColourTable& colours, const std::string& chosen_class) const override;
  std::string PlainCopy(const std::string& bytes, const std::string& chosen_class) const override;
  bool IsHtml() const override { return true; }
  bool KeepsOwnStyles() const override { return false; }
};

}  // namespace clipvane
