#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace clipvane::tools {

// A frame rate or other decimal written by the job scripts, held exactly:
// 23.976 is 2997/125.
struct Rational {
  std::int64_t num = 0;
  std::int64_t den = 1;
  double Value() const { return static_cast<double>(num) / static_cast<double>(den); }
  std::string Text() const;  // "2997/125", or "25" when whole
};

// A non-negative whole number, all digits; nothing else accepted.
std::optional<std::int64_t> ParseWholeNumber(const std::string& text);

// A non-negative decimal such as "25", "23.976" or "29,97": the scripts write the
// system's decimal separator, which is a comma in some locales.
std::optional<Rational> ParseDecimal(const std::string& text);

// A value placed inside an FFmpeg filter graph (a file name in a filter's options):
// escaped once for the option parser and once for the graph parser.
std::string EscapeFilterValue(const std::string& value);

// Text that is not valid UTF-8 is taken as the system's code page (949 on Korean
// Windows; on Linux, 949 as Korean subtitle files usually are) and converted.
std::string AsUtf8(const std::string& bytes);

// ASCII letters in lower case, every other byte (UTF-8 included) as it is.
std::string LowerAscii(std::string text);

// The extension of a path in lower case, without the dot ("" when there is none).
// Both separators count, as Windows takes either.
std::string LowerExtension(const std::string& path);

}  // namespace clipvane::tools
