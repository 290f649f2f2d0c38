#pragma once
#include <set>
#include <string>
#include <vector>

#include "font_files.h"

namespace clipvane::tools {

// The fonts one encode draws its subtitles with. Each is copied into a private folder
// that the renderer gets as its font folder, so that it is found on every platform,
// with or without a font service, and no other file of a large fonts folder is read.
class SubtitleFonts {
 public:
  // `folder` is where the copies go; `search` the font folders to look in.
  SubtitleFonts(std::string folder, std::vector<std::string> search);

  // The family to name for the plain route's -font file: its own when it is a font
  // that can be read, otherwise that of a font with every needed character, looked
  // for beside it first. Empty when there is none; `note` tells what was done.
  std::string ForFontFile(const std::string& font_file, const std::set<char32_t>& needed, std::string& note);

  // The SSA text with each style's font found by its family, or replaced by a font
  // that has the text's characters when no font of that family is here.
  std::string ForSsa(const std::string& ssa, std::string& note);

  // Takes the font of every style of the SSA text that is here; whether all were.
  bool TakeStyleFonts(const std::string& ssa);

  // The folder of copies; empty while it holds none.
  std::string Folder() const { return copied_.empty() ? std::string() : folder_; }

 private:
  bool Take(const FontChoice& font);

  std::string folder_;
  FontFinder finder_;
  std::vector<std::string> copied_;  // source files, each copied once
};

}  // namespace clipvane::tools
