#include "subtitles/srt_reader.h"

#include <optional>

#include "base/text.h"
#include "platform/text_encoding.h"
#include "subtitles/sami_reader.h"

namespace clipvane {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A run of up to `most` digits at `i`, moving past it.
std::optional<long> Digits(const std::string& text, std::size_t& i, std::size_t most) {
  long value = 0;
  std::size_t count = 0;
  for (; i < text.size() && IsDigit(text[i]) && count < most; ++i, ++count) value = value * 10 + (text[i] - '0');
  if (count == 0) return std::nullopt;
  return value;
}

void SkipBlanks(const std::string& text, std::size_t& i) {
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
}

// [hh:]mm:ss[,mmm] at `i` in milliseconds, moving past it.
std::optional<long> Time(const std::string& text, std::size_t& i) {
  long fields[3] = {0, 0, 0};
  int count = 0;
  for (;;) {
    const auto field = Digits(text, i, 4);
    if (!field) return std::nullopt;
    fields[count++] = *field;
    if (count == 3 || i >= text.size() || text[i] != ':') break;
    ++i;
  }
  if (count < 2) return std::nullopt;
  const long hours = count == 3 ? fields[0] : 0, minutes = fields[count - 2], seconds = fields[count - 1];
  if (minutes > 59 || seconds > 59) return std::nullopt;
  long millis = 0;
  if (i < text.size() && (text[i] == ',' || text[i] == '.')) {
    const std::size_t start = ++i;
    const auto fraction = Digits(text, i, 3);
    if (!fraction) return std::nullopt;
    millis = *fraction * (i - start == 1 ? 100 : i - start == 2 ? 10 : 1);
    while (i < text.size() && IsDigit(text[i])) ++i;  // finer than milliseconds
  }
  return ((hours * 60 + minutes) * 60 + seconds) * 1000 + millis;
}

// The start and end of a timing line; anything after the end (positions) is ignored.
std::optional<std::pair<long, long>> Timing(const std::string& line) {
  std::size_t i = 0;
  SkipBlanks(line, i);
  const auto start = Time(line, i);
  SkipBlanks(line, i);
  if (!start || line.compare(i, 3, "-->") != 0) return std::nullopt;
  i += 3;
  SkipBlanks(line, i);
  const auto end = Time(line, i);
  if (!end) return std::nullopt;
  return std::make_pair(*start, *end);
}

bool IsCueNumber(const std::string& line) {
  const std::string trimmed = TrimBlanks(line);
  if (trimmed.empty()) return false;
  for (char c : trimmed)
    if (!IsDigit(c)) return false;
  return true;
}

// Longer than any film: kept out of the int the cues carry.
constexpr long kLatest = 1000L * 3600 * 500;

}  // namespace

std::vector<SrtCue> ReadSrtCues(const std::vector<std::string>& lines) {
  std::vector<SrtCue> cues;
  std::optional<SrtCue> open;
  const auto close = [&] {
    if (open && open->start < open->end) cues.push_back(std::move(*open));
    open.reset();
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (const auto timing = Timing(line)) {
      // A cue without the blank line before this one gave its number as text.
      if (open && !open->lines.empty() && IsCueNumber(open->lines.back())) open->lines.pop_back();
      close();
      open.emplace();
      open->start = static_cast<int>(timing->first < kLatest ? timing->first : kLatest);
      open->end = static_cast<int>(timing->second < kLatest ? timing->second : kLatest);
    } else if (TrimBlanks(line).empty()) {
      close();
    } else if (open) {
      open->lines.push_back(line);
    }
  }
  close();
  return cues;
}

std::string SrtSsaText(const std::vector<std::string>& lines, const ColourTable& colours) {
  std::string text;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (n > 0) text += "\\N";
    const std::string& line = lines[n];
    for (std::size_t i = 0; i < line.size();) {
      const std::size_t close = line[i] == '<' ? line.find('>', i) : std::string::npos;
      if (close == std::string::npos) {
        text += line[i++];
        continue;
      }
      const std::string tag = AsciiLower(line.substr(i + 1, close - i - 1));
      i = close + 1;
      if (tag == "/font") {
        text += "{\\c}";
      } else if (tag.rfind("font", 0) == 0 && tag.size() > 4 && (tag[4] == ' ' || tag[4] == '\t')) {
        const std::size_t colour = tag.find("color");
        std::size_t at = colour == std::string::npos ? colour : tag.find_first_not_of(" \t", colour + 5);
        if (at != std::string::npos && tag[at] == '=') at = tag.find_first_not_of(" \t", at + 1);
        else at = std::string::npos;
        if (at == std::string::npos) continue;
        // Quoted in either kind of quotes, or up to the next blank.
        const bool quoted = tag[at] == '"' || tag[at] == '\'';
        const std::size_t start = quoted ? at + 1 : at;
        const std::size_t end = quoted ? tag.find(tag[at], start) : tag.find_first_of(" \t", start);
        const std::string value = tag.substr(start, end == std::string::npos ? std::string::npos : end - start);
        text += ColourCode(value, colours);
      }
    }
  }
  return text;
}

}  // namespace clipvane
