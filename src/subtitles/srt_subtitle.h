#pragma once
#include "subtitles/subtitle_source.h"

namespace clipvane {

// An SRT file beside the video (".srt"): numbered cues of plain text, in one language.
class SrtSubtitle : public SubtitleFileBeside {
 public:
  SrtSubtitle() : SubtitleFileBeside(".srt") {}

  std::vector<std::string> Classes(const FoundSubtitle&, const std::string&) const override { return {}; }
  std::vector<std::string> SsaLines(const std::string& bytes, const std::string& title, const SsaStyle& style,
                                    const ColourTable& colours, const std::string& chosen_class) const override;
  std::string PlainCopy(const std::string& bytes, const std::string& chosen_class) const override;
  bool IsHtml() const override { return false; }
  bool KeepsOwnStyles() const override { return false; }
};

}  // namespace clipvane
