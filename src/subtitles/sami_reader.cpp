#include "subtitles/sami_reader.h"

#include <cstdio>
#include <string_view>

#include "platform/text_encoding.h"
#include "subtitles/colour_table.h"

namespace clipvane {
namespace {

constexpr char kSyncTag[] = "<SYNC START=";
constexpr char kBodyTag[] = "<BODY>";

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Position of `upper_needle` in `text` with ASCII letters compared in upper case.
// Only ASCII bytes are mapped, so Korean double-byte text cannot produce a match.
std::size_t FindUpper(const std::string& text, const char* upper_needle) {
  const std::string_view needle(upper_needle);
  if (text.size() < needle.size()) return std::string::npos;
  for (std::size_t at = text.find(needle[0]); at != std::string::npos && at + needle.size() <= text.size();
       at = text.find(needle[0], at + 1)) {
    std::size_t k = 1;
    while (k < needle.size() && UpperAscii(text[at + k]) == needle[k]) ++k;
    if (k == needle.size()) return at;
  }
  return std::string::npos;
}

std::size_t LeadingBlanks(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= 32) ++i;
  return i;
}

std::size_t BodyLine(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (FindUpper(lines[i], kBodyTag) != std::string::npos) return i;
  return 0;
}

// Gives every SYNC tag that follows text on its line a line of its own, so that the
// text before it stays with the previous block. Only the first tag of a line moves.
void PrepareLines(std::vector<std::string>& lines, std::size_t body_line) {
  std::vector<std::string> prepared;
  prepared.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string& line = lines[i];
    if (i >= body_line) {
      const std::size_t trim = LeadingBlanks(line);
      const std::size_t tag = FindUpper(line, kSyncTag);
      if (tag != std::string::npos && tag > trim) {
        prepared.emplace_back(line, trim, tag - trim);
        prepared.emplace_back(line, tag);
        continue;
      }
    }
    prepared.push_back(std::move(line));
  }
  lines = std::move(prepared);
}

enum class Delimiter { kNone, kBlank, kOpen, kEquals, kClose };

Delimiter DelimiterOf(char c) {
  switch (c) {
    case ' ': return Delimiter::kBlank;
    case '<': return Delimiter::kOpen;
    case '=': return Delimiter::kEquals;
    case '>': return Delimiter::kClose;
    default: return Delimiter::kNone;
  }
}

}  // namespace

SamiBlockRead ReadNextEntry(std::vector<std::string>& lines, std::size_t start, const ColourTable& colours) {
  std::size_t from = start;
  if (start == 0) {
    from = BodyLine(lines);
    PrepareLines(lines, from);
  }
  std::string block;
  for (std::size_t i = from; i < lines.size(); ++i) {
    if (FindUpper(lines[i], kSyncTag) != std::string::npos) {
      if (!block.empty()) return {ParseEntry(block, colours), i};
      block = lines[i];
    } else if (!block.empty()) {
      // SAMI paragraphs broken over lines join with nothing between them.
      block += lines[i];
    }
  }
  if (!block.empty()) return {ParseEntry(block, colours), lines.size()};
  return {std::nullopt, start};
}

std::optional<SubtitleEntry> ParseEntry(const std::string& block, const ColourTable& colours) {
  SubtitleEntry items;
  std::string token;
  std::string attribute;
  Delimiter previous = Delimiter::kNone;
  for (const char c : block) {
    const Delimiter current = DelimiterOf(c);
    if (current == Delimiter::kNone) {
      token += c;
      continue;
    }
    if (current == Delimiter::kEquals) {
      attribute = AsciiUpper(token);
    } else if (previous == Delimiter::kOpen) {
      if (current == Delimiter::kClose) {
        const std::string tag = AsciiUpper(token);
        if (tag == "/FONT") items.emplace_back("{\\c}");
        else if (tag == "BR") items.emplace_back("<br>");
      }
    } else if (previous == Delimiter::kEquals) {
      if (current != Delimiter::kOpen && !token.empty()) {
        if (attribute == "START") {
          items.push_back(token);
        } else if (attribute == "COLOR") {
          std::string code = ColourCode(token, colours);
          if (!code.empty()) {
            if (items.empty()) return std::nullopt;
            items.push_back(std::move(code));
          }
        }
      }
    } else if (previous == Delimiter::kClose) {
      if (current == Delimiter::kBlank) {
        token += ' ';  // blanks belong to the visible text
        continue;
      }
      if (current == Delimiter::kOpen && !token.empty()) {
        if (items.empty()) return std::nullopt;
        items.push_back(token);
      }
    }
    token.clear();
    previous = current;
  }
  if (previous == Delimiter::kClose && !token.empty()) {
    if (items.empty()) return std::nullopt;
    items.push_back(std::move(token));
  }
  // An entry's first item is its start time; a block that gave nothing has none.
  if (items.empty()) return std::nullopt;
  return items;
}

bool IsHexColour(const std::string& text) {
  for (const char c : text) {
    const char u = UpperAscii(c);
    if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F'))) return false;
  }
  return true;
}

std::string SwapColourBytes(const std::string& text) {
  std::string swapped(text.size(), '0');
  const std::size_t pairs = text.size() / 2;
  for (std::size_t k = 0; k < pairs; ++k) {
    swapped[2 * k] = text[2 * (pairs - 1 - k)];
    swapped[2 * k + 1] = text[2 * (pairs - 1 - k) + 1];
  }
  return swapped;
}

std::string ColourCode(const std::string& value, const ColourTable& colours) {
  std::string v = value;
  if (!v.empty() && v.back() == '"') v.pop_back();
  if (!v.empty() && v.front() == '"') v.erase(0, 1);
  if (!v.empty() && v.front() == '#') v.erase(0, 1);
  // color="" or color="#" names no colour: the text keeps the colour it has, rather
  // than the black that an empty code would give.
  if (v.empty()) return {};
  if (!IsHexColour(v)) {
    const std::optional<std::size_t> index = colours.IndexOf(AsciiLower(v));
    if (index) {
      char digits[8];
      std::snprintf(digits, sizeof digits, "%06X", static_cast<unsigned>(colours.ValueAt(*index)));
      v = digits;
    } else {
      v = "ffffff";
    }
  }
  return "{\\c&H" + SwapColourBytes(v) + "&}";
}

}  // namespace clipvane
