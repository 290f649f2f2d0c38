#include "base/text.h"

#include <cstdint>
#include <limits>

namespace clipvane {
namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<std::string> SplitCommaText(const std::string& text) {
  std::vector<std::string> items;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto skip_blanks = [&] {
    while (i < n && IsBlankOrControl(text[i])) ++i;
  };
  skip_blanks();
  while (i < n) {
    std::string item;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      const std::size_t start = i;
      while (i < n && !IsBlankOrControl(text[i]) && text[i] != ',') ++i;
      item = text.substr(start, i - start);
    }
    items.push_back(item);
    skip_blanks();
    if (i < n && text[i] == ',') {
      if (i + 1 == n) items.emplace_back();  // a trailing comma is one more, empty item
      ++i;
      skip_blanks();
    }
  }
  return items;
}

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    items.push_back(TrimBlanks(text.substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

int ParseIntegerOr(const std::string& text, int fallback) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == n) return fallback;
  std::int64_t value = 0;
  for (; i < n; ++i) {
    const int digit = HexDigitValue(text[i]);
    if (digit < 0 || digit >= base) return fallback;
    value = value * base + digit;
    if (value > std::int64_t{std::numeric_limits<std::uint32_t>::max()}) return fallback;
  }
  if (negative) value = -value;
  // Hexadecimal numbers fill all 32 bits, as a register would: $FFFFFFFF is -1.
  if (base == 16) return static_cast<int>(static_cast<std::uint32_t>(value));
  if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) return fallback;
  return static_cast<int>(value);
}

std::optional<int> ParsePlainNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 1;  // the LF of a CR LF gives an empty line, which is left out
  }
  return lines;
}

std::string WithCrLfLines(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string::npos) {
      out.append(text, i, std::string::npos);
      out += "\r\n";
      break;
    }
    out.append(text, i, end - i);
    out += "\r\n";
    i = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return out;
}

std::string ClockText(int seconds) {
  if (seconds < 0) seconds = 0;
  const auto two_digits = [](int value) { return std::string(value < 10 ? "0" : "") + std::to_string(value); };
  const int hours = seconds / 3600, minutes = seconds / 60 % 60;
  return hours > 0 ? std::to_string(hours) + ":" + two_digits(minutes) + ":" + two_digits(seconds % 60)
                   : std::to_string(minutes) + ":" + two_digits(seconds % 60);
}

}  // namespace clipvane
