#include "subtitles/sami_classes.h"

#include <algorithm>
#include <optional>

#include "base/text.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

bool IsTagBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// One tag: where it starts ("<") and ends (after ">"), its name in upper case, and
// the class it names, if any.
struct Tag {
  std::size_t start = 0, end = 0;
  std::string name;
  std::optional<std::string> class_name;
};

std::string ClassValue(const std::string& inside) {
  const std::string upper = AsciiUpper(inside);
  for (std::size_t at = upper.find("CLASS"); at != std::string::npos; at = upper.find("CLASS", at + 1)) {
    // A whole attribute name: not the end of a longer word.
    if (at > 0 && !IsTagBlank(upper[at - 1])) continue;
    std::size_t i = at + 5;
    while (i < inside.size() && IsTagBlank(inside[i])) ++i;
    if (i >= inside.size() || inside[i] != '=') continue;
    ++i;
    while (i < inside.size() && IsTagBlank(inside[i])) ++i;
    if (i < inside.size() && (inside[i] == '"' || inside[i] == '\'')) {
      const std::size_t close = inside.find(inside[i], i + 1);
      return inside.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
    }
    std::size_t end = i;
    while (end < inside.size() && !IsTagBlank(inside[end]) && inside[end] != '/') ++end;
    return inside.substr(i, end - i);
  }
  return {};
}

// The tag at or after `from`, or none when no tag is closed.
std::optional<Tag> NextTag(const std::string& text, std::size_t from) {
  const std::size_t start = text.find('<', from);
  if (start == std::string::npos) return std::nullopt;
  const std::size_t close = text.find('>', start);
  if (close == std::string::npos) return std::nullopt;
  Tag tag;
  tag.start = start;
  tag.end = close + 1;
  std::size_t name_end = start + 1;
  while (name_end < close && !IsTagBlank(text[name_end])) ++name_end;
  tag.name = AsciiUpper(text.substr(start + 1, name_end - start - 1));
  if (tag.name == "P") {
    const std::string value = ClassValue(text.substr(name_end, close - name_end));
    if (!value.empty()) tag.class_name = value;
  }
  return tag;
}

// Where a paragraph ends: at the next paragraph or block, or after its own end tag.
bool EndsParagraph(const std::string& name) {
  return name == "P" || name == "SYNC" || name == "/BODY" || name == "/SAMI";
}

// ASCII letters folded one byte at a time: the style sheet's words are ASCII, whatever
// the encoding of the names beside them.
std::string FoldAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

// Whether the properties of a class's style rule ("Name:한국어; lang:ko-KR") say Korean.
bool StyleSaysKorean(const std::string& properties) {
  static const std::string kKoreanUtf8 = "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4",
                           kKorean949 = "\xC7\xD1\xB1\xB9\xBE\xEE";
  std::size_t start = 0;
  while (start < properties.size()) {
    const std::size_t end = std::min(properties.find(';', start), properties.size());
    const std::string property = properties.substr(start, end - start);
    start = end + 1;
    const std::size_t colon = property.find(':');
    if (colon == std::string::npos) continue;
    const std::string key = FoldAscii(TrimBlanks(property.substr(0, colon)));
    const std::string value = TrimBlanks(property.substr(colon + 1));
    if (key == "lang" && StartsWith(FoldAscii(value), "ko")) return true;
    if (key == "name" && (FoldAscii(value).find("korean") != std::string::npos ||
                          value.find(kKoreanUtf8) != std::string::npos || value.find(kKorean949) != std::string::npos))
      return true;
  }
  return false;
}

bool IsClassNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// Whether the file's style sheet gives the class a Korean language or name.
bool StyledKorean(const std::string& text, const std::string& name) {
  const std::string folded = FoldAscii(text);
  const std::size_t sheet = folded.find("<style");
  if (sheet == std::string::npos) return false;
  const std::size_t sheet_end = std::min(folded.find("</style", sheet), folded.size());
  const std::string wanted = FoldAscii(name);
  for (std::size_t dot = folded.find('.', sheet); dot < sheet_end; dot = folded.find('.', dot + 1)) {
    std::size_t end = dot + 1;
    while (end < sheet_end && IsClassNameChar(folded[end])) ++end;
    if (folded.compare(dot + 1, end - dot - 1, wanted) != 0) continue;
    const std::size_t open = folded.find('{', end);
    if (open >= sheet_end || !TrimBlanks(folded.substr(end, open - end)).empty()) continue;
    const std::size_t close = std::min(folded.find('}', open), sheet_end);
    if (StyleSaysKorean(text.substr(open + 1, close - open - 1))) return true;
  }
  return false;
}

// The file's first Korean class, or nothing.
std::string KoreanClass(const std::string& text, const std::vector<std::string>& classes) {
  for (const std::string& name : classes) {
    const std::string folded = FoldAscii(name);
    if (StartsWith(folded, "kr") || StartsWith(folded, "ko") || StyledKorean(text, name)) return name;
  }
  return {};
}

}  // namespace

std::vector<std::string> SamiClasses(const std::string& text) {
  std::vector<std::string> classes;
  for (auto tag = NextTag(text, 0); tag; tag = NextTag(text, tag->end)) {
    if (!tag->class_name) continue;
    bool known = false;
    for (const std::string& name : classes) known = known || EqualsIgnoringAsciiCase(name, *tag->class_name);
    if (!known) classes.push_back(*tag->class_name);
  }
  return classes;
}

std::string KeepSamiClass(const std::string& text, const std::string& chosen) {
  const std::vector<std::string> classes = SamiClasses(text);
  const std::string name = chosen.empty() ? KoreanClass(text, classes) : chosen;
  bool present = false;
  for (const std::string& known : classes) present = present || EqualsIgnoringAsciiCase(known, name);
  if (classes.size() < 2 || !present) return text;

  std::string kept;
  kept.reserve(text.size());
  std::size_t copied = 0;  // everything before this is dealt with
  bool dropping = false;
  const auto keep_until = [&](std::size_t end) {
    kept.append(text, copied, end - copied);
    copied = end;
  };
  const auto drop_until = [&](std::size_t end) {
    // The line breaks stay, so that the blocks after it keep their lines.
    for (std::size_t i = copied; i < end; ++i)
      if (IsLineBreak(text[i])) kept += text[i];
    copied = end;
  };
  std::size_t block = std::string::npos, block_text = 0;  // the SYNC block going on: its tag and text in `kept`
  bool block_dropped = false;
  const auto end_block = [&] {
    // A block that held only other classes' paragraphs changes nothing of this class's
    // line, and a reader that ends each block at the next would clear the line at once.
    if (block != std::string::npos && block_dropped &&
        std::all_of(kept.begin() + static_cast<std::ptrdiff_t>(block_text), kept.end(), IsTagBlank)) {
      std::string breaks;
      for (std::size_t i = block; i < kept.size(); ++i)
        if (IsLineBreak(kept[i])) breaks += kept[i];
      kept.replace(block, std::string::npos, breaks);
    }
    block = std::string::npos;
    block_dropped = false;
  };
  for (auto tag = NextTag(text, 0); tag; tag = NextTag(text, tag->end)) {
    if (dropping && (EndsParagraph(tag->name) || tag->name == "/P")) {
      drop_until(tag->name == "/P" ? tag->end : tag->start);
      dropping = false;
      if (tag->name == "/P") continue;
    }
    if (tag->name == "SYNC" || tag->name == "/BODY" || tag->name == "/SAMI") {
      keep_until(tag->start);
      end_block();
      if (tag->name == "SYNC") {
        block = kept.size();
        keep_until(tag->end);
        block_text = kept.size();
      }
    }
    if (tag->class_name && !EqualsIgnoringAsciiCase(*tag->class_name, name)) {
      keep_until(tag->start);
      dropping = block_dropped = true;
    }
  }
  if (dropping) drop_until(text.size());
  keep_until(text.size());
  end_block();
  return kept;
}

}  // namespace clipvane
