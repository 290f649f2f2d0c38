#include "jobs/ratio_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace clipvane {
namespace {

// The quotient in hundredths, rounded exactly as a correct printf("%.2f") rounds the
// double: the 64-bit mantissa of long double holds the double times 100 without loss,
// so the tie test sees the binary value itself, on every compiler we build with.
long long Hundredths(double value) {
  const long double scaled = static_cast<long double>(value) * 100.0L;
  const long double whole = std::floor(scaled);
  const long double fraction = scaled - whole;
  long long result = static_cast<long long>(whole);
  if (fraction > 0.5L || (fraction == 0.5L && result % 2 != 0)) ++result;
  return result;
}

long long HundredthsOfText(const std::string& text) {
  const std::size_t point = text.find('.');
  return std::atoll(text.substr(0, point).c_str()) * 100 + std::atoll(text.substr(point + 1).c_str());
}

}  // namespace

std::string RatioText(int numerator, int denominator) {
  const long long hundredths = Hundredths(static_cast<double>(numerator) / static_cast<double>(denominator));
  char text[48];
  std::snprintf(text, sizeof text, "%lld.%02lld", hundredths / 100, hundredths % 100);
  return text;
}

bool RatioGreaterByValue(const std::string& a, const std::string& b) {
  return HundredthsOfText(a) > HundredthsOfText(b);
}

}  // namespace clipvane
