#pragma once
#include "subtitles/subtitle_source.h"

namespace clipvane {

// An ASS or SSA file beside the video (".ass", ".ssa"): a script with its own styles,
// colours and places, which both routes draw as it is written.
class AssSubtitle : public SubtitleFileBeside {
 public:
  explicit AssSubtitle(std::string extension) : SubtitleFileBeside(std::move(extension)) {}

  std::vector<std::string> Classes(const FoundSubtitle&, const std::string&) const override { return {}; }
  // The file's own lines, in the ANSI code page as every SSA file the program writes:
  // its styles stand, so the title and the settings' style are not used.
  std::vector<std::string> SsaLines(const std::string& bytes, const std::string& title, const SsaStyle& style,
                                    const ColourTable& colours, const std::string& chosen_class) const override;
  std::string PlainCopy(const std::string& bytes, const std::string& chosen_class) const override;
  bool IsHtml() const override { return false; }
  bool KeepsOwnStyles() const override { return true; }
  // An SSA file's copy ends in ".ass" too, which FFmpeg reads either way: a build's
  // "qvXXXX.ssa" could be taken for the coloured route's SSA file of a video of that name.
  std::string CopyExtension() const override { return ".ass"; }
};

}  // namespace clipvane
