#include "subtitles/sami_text.h"

#include <algorithm>

#include "base/text.h"
#include "common/subtitle_text.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"

namespace clipvane {
namespace {

bool StartsWith(const std::string& bytes, const char* mark, std::size_t length) {
  return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

}  // namespace

std::string SamiTextFromBytes(const std::string& bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return Utf8ToAnsi(bytes.substr(3));
  if (StartsWith(bytes, "\xFF\xFE", 2)) return Utf16ToAnsi(Utf16Units(bytes.substr(2), false));
  if (StartsWith(bytes, "\xFE\xFF", 2)) return Utf16ToAnsi(Utf16Units(bytes.substr(2), true));
  return SubtitleTextToAnsi(bytes);
}

std::string Utf8SubtitleBytes(const std::string& bytes) {
  if (StartsWith(bytes, "\xEF\xBB", 2)) return bytes;
  if (StartsWith(bytes, "\xFF\xFE", 2)) return WithCrLfLines(Utf16ToUtf8(Utf16Units(bytes.substr(2), false)));
  if (StartsWith(bytes, "\xFE\xFF", 2)) return WithCrLfLines(Utf16ToUtf8(Utf16Units(bytes.substr(2), true)));
  // Anything else, a file of fewer than two bytes included, is text of the code page.
  return WithCrLfLines(SubtitleTextToUtf8(bytes));
}

std::string BoundSubtitleLines(const std::string& text, bool html, bool utf8, std::size_t longest) {
  // The bytes of the character that starts with `lead`.
  const auto length = [utf8](unsigned char lead) -> std::size_t {
    if (!utf8) return IsAnsiLeadByte(static_cast<char>(lead)) ? 2 : 1;
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  };
  const auto sync_at = [&text](std::size_t i) {
    return text[i] == '<' && i + 5 <= text.size() && (text[i + 1] | 0x20) == 's' && (text[i + 2] | 0x20) == 'y' &&
           (text[i + 3] | 0x20) == 'n' && (text[i + 4] | 0x20) == 'c';
  };
  std::string bounded;
  bounded.reserve(std::min(text.size(), std::size_t{1} << 20));
  std::size_t line = 0;  // bytes of the line so far
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\r' || text[i] == '\n') {
      bounded += text[i++];
      line = 0;
      continue;
    }
    if (html && sync_at(i)) line = 0;
    const std::size_t bytes = std::min(length(static_cast<unsigned char>(text[i])), text.size() - i);
    line += bytes;
    if (line <= longest) bounded.append(text, i, bytes);
    i += bytes;
  }
  return bounded;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  const std::size_t end = text.find('\0');
  const std::size_t n = end == std::string::npos ? text.size() : end;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t start = i;
    while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(text, start, i - start);
    if (i < n && text[i] == '\r') ++i;
    if (i < n && text[i] == '\n') ++i;
  }
  return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace clipvane
