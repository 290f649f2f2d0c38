#include "subtitles/sami_classes.h"

#include <optional>

#include "platform/text_encoding.h"

namespace clipvane {
namespace {

bool IsTagBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

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

std::string KeepSamiClass(const std::string& text, const std::string& name) {
  const std::vector<std::string> classes = SamiClasses(text);
  bool present = false;
  for (const std::string& known : classes) present = present || EqualsIgnoringAsciiCase(known, name);
  if (classes.size() < 2 || !present) return text;

  std::string kept;
  kept.reserve(text.size());
  std::size_t copied = 0;  // everything before this is dealt with
  bool dropping = false;
  const auto drop_until = [&](std::size_t end) {
    // The line breaks stay, so that the blocks after it keep their lines.
    for (std::size_t i = copied; i < end; ++i)
      if (text[i] == '\r' || text[i] == '\n') kept += text[i];
    copied = end;
  };
  for (auto tag = NextTag(text, 0); tag; tag = NextTag(text, tag->end)) {
    if (dropping && (EndsParagraph(tag->name) || tag->name == "/P")) {
      drop_until(tag->name == "/P" ? tag->end : tag->start);
      dropping = false;
      if (tag->name == "/P") continue;
    }
    if (tag->class_name && !EqualsIgnoringAsciiCase(*tag->class_name, name)) {
      kept.append(text, copied, tag->start - copied);
      copied = tag->start;
      dropping = true;
    }
  }
  if (dropping) drop_until(text.size());
  kept.append(text, copied, std::string::npos);
  return kept;
}

}  // namespace clipvane
