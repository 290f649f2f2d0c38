#include "subtitles/sami_text.h"

#include "platform/text_encoding.h"

namespace clipvane {
namespace {

bool StartsWith(const std::string& bytes, const char* mark, std::size_t length) {
  return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

std::u16string Utf16Units(const std::string& bytes, bool big_endian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  // The mark takes the first two bytes; an odd last byte is half a character and dropped.
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units += static_cast<char16_t>(big_endian ? (first << 8) | second : (second << 8) | first);
  }
  return units;
}

}  // namespace

std::string SamiTextFromBytes(const std::string& bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return Utf8ToAnsi(bytes.substr(3));
  if (StartsWith(bytes, "\xFF\xFE", 2)) return Utf16ToAnsi(Utf16Units(bytes, false));
  if (StartsWith(bytes, "\xFE\xFF", 2)) return Utf16ToAnsi(Utf16Units(bytes, true));
  return bytes;
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
