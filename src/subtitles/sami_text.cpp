#include "subtitles/sami_text.h"

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
