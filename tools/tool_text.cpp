#include "tool_text.h"

#include <cctype>
#include <numeric>

#include "common/subtitle_text.h"

namespace clipvane::tools {

std::string Rational::Text() const {
  return den == 1 ? std::to_string(num) : std::to_string(num) + "/" + std::to_string(den);
}

std::optional<std::int64_t> ParseWholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<Rational> ParseDecimal(const std::string& text) {
  const std::size_t separator = text.find_first_of(".,");
  const std::string whole = text.substr(0, separator);
  const std::string fraction = separator == std::string::npos ? "" : text.substr(separator + 1);
  if (fraction.size() > 9 || (whole.empty() && fraction.empty())) return std::nullopt;
  const auto whole_value = whole.empty() ? std::optional<std::int64_t>(0) : ParseWholeNumber(whole);
  const auto fraction_value = fraction.empty() ? std::optional<std::int64_t>(0) : ParseWholeNumber(fraction);
  if (!whole_value || !fraction_value || (separator != std::string::npos && fraction.empty())) return std::nullopt;
  std::int64_t den = 1;
  for (std::size_t i = 0; i < fraction.size(); ++i) den *= 10;
  Rational result{*whole_value * den + *fraction_value, den};
  const std::int64_t divisor = std::gcd(result.num, result.den);
  if (divisor > 1) {
    result.num /= divisor;
    result.den /= divisor;
  }
  return result;
}

std::string EscapeFilterValue(const std::string& value) {
  std::string option_level;
  for (char c : value) {
    if (c == '\\' || c == '\'' || c == ':') option_level += '\\';
    option_level += c;
  }
  std::string graph_level;
  for (char c : option_level) {
    if (c == '\\' || c == '\'' || c == '[' || c == ']' || c == ',' || c == ';') graph_level += '\\';
    graph_level += c;
  }
  return graph_level;
}

std::string AsUtf8(const std::string& bytes) { return SubtitleTextToUtf8(bytes); }

std::string LowerAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string LowerExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return LowerAscii(path.substr(dot + 1));
}

}  // namespace clipvane::tools
