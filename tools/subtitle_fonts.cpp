#include "subtitle_fonts.h"

#include <algorithm>
#include <filesystem>

#include "mencoder_inputs.h"
#include "tool_files.h"

namespace clipvane::tools {
namespace {

std::vector<std::string> BesideFirst(const std::string& font_file, std::vector<std::string> search) {
  const std::filesystem::path folder = FsPath(font_file).parent_path();
  std::error_code error;
  if (!folder.empty() && std::filesystem::is_directory(folder, error)) search.insert(search.begin(), Utf8Path(folder));
  return search;
}

}  // namespace

SubtitleFonts::SubtitleFonts(std::string folder, std::vector<std::string> search)
    : folder_(std::move(folder)), finder_(std::move(search)) {}

bool SubtitleFonts::Take(const FontChoice& font) {
  if (std::find(copied_.begin(), copied_.end(), font.file) != copied_.end()) return true;
  std::error_code error;
  std::filesystem::create_directories(FsPath(folder_), error);
  // Numbered copies: two fonts of one file name from different folders both fit.
  const std::string name = std::to_string(copied_.size()) + "-" + Utf8Path(FsPath(font.file).filename());
  if (!std::filesystem::copy_file(FsPath(font.file), FsPath(folder_) / FsPath(name), error)) return false;
  copied_.push_back(font.file);
  return true;
}

std::string SubtitleFonts::ForFontFile(const std::string& font_file, const std::set<char32_t>& needed,
                                       std::string& note) {
  if (!font_file.empty()) {
    const std::optional<FontFacts> facts = FontFacts::ReadFile(font_file);
    if (facts && Take({font_file, facts->Families().front()})) return facts->Families().front();
  }
  // The usual font file is a Windows one; pick a font that has the subtitle's
  // characters, so that Korean never comes out as empty boxes.
  FontFinder beside(BesideFirst(font_file, {}));
  std::optional<FontChoice> chosen = beside.Covering(needed);
  if (!chosen) chosen = finder_.Covering(needed);
  const std::string named = font_file.empty() ? "(none)" : font_file;
  if (chosen && Take(*chosen)) {
    note = "font " + named + " cannot be read; subtitles drawn with " + chosen->family + " (" + chosen->file + ")";
    return chosen->family;
  }
  note = "font " + named +
         " cannot be read and no font here has the subtitle's characters; subtitles drawn with the "
         "renderer's default font";
  return "";
}

std::string SubtitleFonts::ForSsa(const std::string& ssa, std::string& note) {
  const std::set<char32_t> needed = CharactersNeeded(ssa);
  return ReplaceSsaFonts(ssa, [&](const std::string& family) {
    if (const std::optional<FontChoice> found = finder_.WithFamily(family); found && Take(*found)) return family;
    const std::optional<FontChoice> chosen = finder_.Covering(needed);
    if (chosen && Take(*chosen)) {
      note += (note.empty() ? "" : "; ") + std::string("font ") + family + " is not installed; subtitles drawn with " +
              chosen->family + " (" + chosen->file + ")";
      return chosen->family;
    }
    note += (note.empty() ? "" : "; ") + std::string("font ") + family +
            " is not installed and no font here has the subtitles' characters";
    return family;
  });
}

bool SubtitleFonts::TakeStyleFonts(const std::string& ssa) {
  bool all = true;
  ReplaceSsaFonts(ssa, [&](const std::string& family) {
    const std::optional<FontChoice> found = finder_.WithFamily(family);
    all = all && found && Take(*found);
    return family;
  });
  return all;
}

}  // namespace clipvane::tools
