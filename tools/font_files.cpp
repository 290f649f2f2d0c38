#include "font_files.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "platform/utf.h"
#include "tool_files.h"
#include "tool_text.h"

namespace clipvane::tools {
namespace {

std::uint32_t Big(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

struct TableSpot {
  std::uint32_t offset = 0, length = 0;
};

// The table directory of the font at `start`: where "name" and "cmap" are.
bool FindTables(const FontFacts::ByteReader& read, std::uint32_t start, TableSpot& name, TableSpot& cmap) {
  const std::string header = read(start, 12);
  if (header.size() < 12) return false;
  const std::uint32_t version = Big(header, 0, 4);
  if (version != 0x00010000 && version != 0x4F54544F /* OTTO */ && version != 0x74727565 /* true */) return false;
  const std::uint32_t count = Big(header, 4, 2);
  const std::string records = read(start + 12, count * 16);
  if (records.size() < count * 16) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::string tag = records.substr(i * 16, 4);
    const TableSpot spot{Big(records, i * 16 + 8, 4), Big(records, i * 16 + 12, 4)};
    if (tag == "name") name = spot;
    if (tag == "cmap") cmap = spot;
  }
  return name.length > 0 && cmap.length > 0;
}

std::string Utf16BigEndianToUtf8(const std::string& bytes) { return Utf16ToUtf8(Utf16Units(bytes, true)); }

// Family names (name ID 1) of the Unicode and Windows records, US English first; the
// Macintosh Roman ones only when there are no others.
std::vector<std::string> FamilyNames(const std::string& table) {
  std::vector<std::string> english, others, roman;
  if (table.size() < 6) return {};
  const std::uint32_t count = Big(table, 2, 2);
  const std::uint32_t strings = Big(table, 4, 2);
  for (std::uint32_t i = 0; i < count && 6 + i * 12 + 12 <= table.size(); ++i) {
    const std::size_t record = 6 + i * 12;
    const std::uint32_t platform = Big(table, record, 2), language = Big(table, record + 4, 2);
    const std::uint32_t name_id = Big(table, record + 6, 2), length = Big(table, record + 8, 2);
    const std::uint32_t offset = strings + Big(table, record + 10, 2);
    if (name_id != 1 || offset + length > table.size() || length == 0) continue;
    const std::string bytes = table.substr(offset, length);
    std::string name;
    if (platform == 0 || platform == 3) {
      name = Utf16BigEndianToUtf8(bytes);
    } else if (platform == 1 && std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0; })) {
      roman.push_back(bytes);
      continue;
    } else {
      continue;
    }
    std::vector<std::string>& list = platform == 3 && language == 0x409 ? english : others;
    if (std::find(english.begin(), english.end(), name) == english.end() &&
        std::find(others.begin(), others.end(), name) == others.end()) {
      list.push_back(name);
    }
  }
  english.insert(english.end(), others.begin(), others.end());
  return english.empty() ? roman : english;
}

// The best character map the font has: the full-repertoire one (format 12), else
// the basic-plane one (format 4), of the Unicode or Windows platform.
bool ChooseCharacterMap(const FontFacts::ByteReader& read, const TableSpot& spot, int& format, std::string& subtable) {
  const std::string head = read(spot.offset, 4);
  if (head.size() < 4) return false;
  const std::uint32_t count = Big(head, 2, 2);
  const std::string records = read(spot.offset + 4, count * 8);
  if (records.size() < count * 8) return false;
  std::uint32_t chosen = 0;
  int chosen_format = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t platform = Big(records, i * 8, 2), encoding = Big(records, i * 8 + 2, 2);
    const std::uint32_t offset = Big(records, i * 8 + 4, 4);
    const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
    if (!unicode) continue;
    const std::string kind = read(spot.offset + offset, 2);
    if (kind.size() < 2) continue;
    const int this_format = static_cast<int>(Big(kind, 0, 2));
    if ((this_format == 12 && chosen_format != 12) || (this_format == 4 && chosen_format == 0)) {
      chosen = offset;
      chosen_format = this_format;
    }
  }
  if (chosen_format == 0) return false;
  const std::string sizes = read(spot.offset + chosen, 8);
  if (sizes.size() < 8) return false;
  const std::uint32_t length = chosen_format == 12 ? Big(sizes, 4, 4) : Big(sizes, 2, 2);
  subtable = read(spot.offset + chosen, length);
  format = chosen_format;
  return subtable.size() == length;
}

std::string FileName(const std::string& path) { return Utf8Path(FsPath(path).filename()); }

bool IsFontFile(const std::filesystem::path& path) {
  const std::string extension = LowerAscii(Utf8Path(path.extension()));
  return extension == ".ttf" || extension == ".ttc" || extension == ".otf";
}

// The fonts that hold Hangul on Korean Windows, then the Korean fonts Linux systems
// usually have: asked for by file name, as families have names in several languages.
const char* const kUsualKoreanFonts[] = {
    "malgun.ttf", "gulim.ttc", "batang.ttc", "NanumGothic.ttf", "NanumBarunGothic.ttf", "NotoSansCJK-Regular.ttc"};

}  // namespace

std::optional<FontFacts> FontFacts::Read(const ByteReader& read) {
  std::uint32_t start = 0;
  const std::string tag = read(0, 16);
  // A collection: the first font stands for the file, as a font named by its file
  // means the first one.
  if (tag.size() >= 16 && tag.compare(0, 4, "ttcf") == 0) start = Big(tag, 12, 4);
  TableSpot name, cmap;
  if (!FindTables(read, start, name, cmap)) return std::nullopt;
  FontFacts facts;
  facts.families_ = FamilyNames(read(name.offset, name.length));
  if (facts.families_.empty() || !ChooseCharacterMap(read, cmap, facts.cmap_format_, facts.cmap_)) return std::nullopt;
  return facts;
}

std::optional<FontFacts> FontFacts::ReadFile(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  return Read([&in](std::uint32_t offset, std::uint32_t length) {
    // A table's length comes from the file itself: nothing larger than a font's
    // largest character map is ever asked for.
    std::string bytes(std::min<std::uint32_t>(length, 16u << 20), '\0');
    in.clear();
    in.seekg(offset);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
  });
}

bool FontFacts::HasFamily(const std::string& family) const {
  const std::string wanted = LowerAscii(family);
  return std::any_of(families_.begin(), families_.end(),
                     [&wanted](const std::string& name) { return LowerAscii(name) == wanted; });
}

bool FontFacts::Covers(char32_t code) const {
  const std::string& map = cmap_;
  if (cmap_format_ == 12) {
    const std::uint32_t groups = Big(map, 12, 4);
    for (std::uint32_t i = 0; i < groups && 16 + i * 12 + 12 <= map.size(); ++i) {
      const std::uint32_t first = Big(map, 16 + i * 12, 4), last = Big(map, 16 + i * 12 + 4, 4);
      if (code >= first && code <= last) return Big(map, 16 + i * 12 + 8, 4) + (code - first) != 0;
    }
    return false;
  }
  if (code > 0xFFFF || map.size() < 14) return false;
  const std::uint32_t segments = Big(map, 6, 2) / 2;
  const std::size_t ends = 14, starts = ends + segments * 2 + 2, deltas = starts + segments * 2,
                    range_offsets = deltas + segments * 2;
  if (range_offsets + segments * 2 > map.size()) return false;
  for (std::uint32_t i = 0; i < segments; ++i) {
    if (code > Big(map, ends + i * 2, 2)) continue;
    const std::uint32_t first = Big(map, starts + i * 2, 2);
    if (code < first) return false;
    const std::uint32_t delta = Big(map, deltas + i * 2, 2), range_offset = Big(map, range_offsets + i * 2, 2);
    if (range_offset == 0) return ((code + delta) & 0xFFFF) != 0;
    const std::size_t glyph_at = range_offsets + i * 2 + range_offset + (code - first) * 2;
    if (glyph_at + 2 > map.size()) return false;
    const std::uint32_t glyph = Big(map, glyph_at, 2);
    return glyph != 0 && ((glyph + delta) & 0xFFFF) != 0;
  }
  return false;
}

std::set<char32_t> CharactersNeeded(const std::string& utf8_text) {
  std::set<char32_t> needed;
  const std::u16string units = Utf8ToUtf16(utf8_text);
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t code = units[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units.size())
      code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
    if (code >= 0x80 && code != 0xA0 && code != 0xFEFF && code != 0xFFFD) needed.insert(code);
  }
  return needed;
}

FontFinder::FontFinder(std::vector<std::string> folders) : folders_(std::move(folders)) {}

std::vector<FontFinder::Candidate>& FontFinder::Candidates() {
  if (candidates_) return *candidates_;
  candidates_.emplace();
  std::vector<std::string> files;
  for (const std::string& folder : folders_) {
    std::error_code error;
    std::vector<std::string> found;
    for (std::filesystem::recursive_directory_iterator
             it(FsPath(folder), std::filesystem::directory_options::skip_permission_denied, error),
         end;
         !error && it != end; it.increment(error)) {
      if (it->is_regular_file(error) && IsFontFile(it->path())) found.push_back(Utf8Path(it->path()));
    }
    std::sort(found.begin(), found.end());
    for (const std::string& file : found) {
      if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
    }
  }
  // The usual Korean fonts first, in their order; the others stay in folder order.
  auto rank = [](const std::string& file) {
    const std::string name = LowerAscii(FileName(file));
    std::size_t i = 0;
    while (i < std::size(kUsualKoreanFonts) && LowerAscii(kUsualKoreanFonts[i]) != name) ++i;
    return i;
  };
  std::stable_sort(files.begin(), files.end(),
                   [&rank](const std::string& a, const std::string& b) { return rank(a) < rank(b); });
  for (std::string& file : files) candidates_->push_back({std::move(file), false, std::nullopt});
  return *candidates_;
}

const std::optional<FontFacts>& FontFinder::FactsOf(Candidate& candidate) {
  if (!candidate.read) candidate.facts = FontFacts::ReadFile(candidate.file);
  candidate.read = true;
  return candidate.facts;
}

std::optional<FontChoice> FontFinder::WithFamily(const std::string& family) {
  for (Candidate& candidate : Candidates()) {
    const std::optional<FontFacts>& facts = FactsOf(candidate);
    if (facts && facts->HasFamily(family)) return FontChoice{candidate.file, family};
  }
  return std::nullopt;
}

std::optional<FontChoice> FontFinder::Covering(const std::set<char32_t>& characters) {
  for (Candidate& candidate : Candidates()) {
    const std::optional<FontFacts>& facts = FactsOf(candidate);
    if (!facts) continue;
    const bool all =
        std::all_of(characters.begin(), characters.end(), [&facts](char32_t c) { return facts->Covers(c); });
    if (all) return FontChoice{candidate.file, facts->Families().front()};
  }
  return std::nullopt;
}

std::vector<std::string> SystemFontFolders() {
  std::vector<std::string> folders;
#ifdef _WIN32
  const std::string windows = EnvironmentValue("WINDIR");
  const std::string local = EnvironmentValue("LOCALAPPDATA");
  if (!windows.empty()) folders.push_back(windows + "\\Fonts");
  if (!local.empty()) folders.push_back(local + "\\Microsoft\\Windows\\Fonts");
#else
  folders = {"/usr/share/fonts", "/usr/local/share/fonts"};
  const std::string home = EnvironmentValue("HOME");
  if (!home.empty()) folders.insert(folders.end(), {home + "/.local/share/fonts", home + "/.fonts"});
#endif
  return folders;
}

}  // namespace clipvane::tools
