#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace clipvane::tools {

// What a TrueType or OpenType font file (or the first font of a collection) says of
// itself: its family names and which characters it has glyphs for. Read from the
// file's own tables, so that no font service is needed on any platform.
class FontFacts {
 public:
  // Reads `length` bytes at `offset`; fewer when the file ends.
  using ByteReader = std::function<std::string(std::uint32_t offset, std::uint32_t length)>;

  static std::optional<FontFacts> Read(const ByteReader& read);
  static std::optional<FontFacts> ReadFile(const std::string& path);

  // The family names in every language the file gives, US English first, as UTF-8.
  const std::vector<std::string>& Families() const { return families_; }
  bool HasFamily(const std::string& family) const;  // ASCII case ignored
  bool Covers(char32_t code) const;

 private:
  std::vector<std::string> families_;
  int cmap_format_ = 0;  // 4 or 12
  std::string cmap_;     // the character map subtable in use
};

// The characters of a text that a subtitle font must have: every one beyond ASCII
// except blanks, the byte-order mark and the replacement character.
std::set<char32_t> CharactersNeeded(const std::string& utf8_text);

struct FontChoice {
  std::string file;
  std::string family;
};

// Finds font files in folders (and their subfolders), each file read once.
class FontFinder {
 public:
  explicit FontFinder(std::vector<std::string> folders);

  // The font of that family name, in any of the languages its file gives.
  std::optional<FontChoice> WithFamily(const std::string& family);
  // A font with a glyph for every one of the characters: the usual Korean fonts
  // first, then the others in the order found.
  std::optional<FontChoice> Covering(const std::set<char32_t>& characters);

 private:
  struct Candidate {
    std::string file;
    bool read = false;
    std::optional<FontFacts> facts;  // read on first need; empty for an unreadable file
  };
  std::vector<Candidate>& Candidates();
  const std::optional<FontFacts>& FactsOf(Candidate& candidate);

  std::vector<std::string> folders_;
  std::optional<std::vector<Candidate>> candidates_;
};

// Where a system keeps its fonts: the Windows fonts folder and the user's own, or
// the usual font folders of Linux.
std::vector<std::string> SystemFontFolders();

}  // namespace clipvane::tools
