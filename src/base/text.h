#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace clipvane {

// Whether a byte starts a double-byte character in the code page of the text at hand;
// the byte after it may look like an ASCII letter or a backslash, and is part of that
// character. platform/text_encoding.h binds it to the ANSI code page (IsAnsiLeadByte).
using LeadByteTest = bool (*)(char byte);

// ASCII-only case mapping: other bytes (Korean double-byte text) pass unchanged. The
// second byte of a double-byte character is left alone: in code page 949 it can be
// an ASCII letter, and changing it would turn the character into another one.
template <char kFrom, char kTo>
std::string MapAsciiLetters(std::string text, LeadByteTest is_lead_byte) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char& c = text[i];
    if (is_lead_byte(c)) ++i;
    else if (c >= kFrom && c <= kFrom + 25) c = static_cast<char>(c - kFrom + kTo);
  }
  return text;
}

// The text without the characters for which `strip(c)` holds at either end.
template <typename Strip>
std::string TrimWhere(const std::string& text, Strip strip) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && strip(text[begin])) ++begin;
  while (end > begin && strip(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Bytes 0 to 32: blanks and control characters.
inline bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Blanks and control characters removed at both ends.
inline std::string TrimBlanks(const std::string& text) { return TrimWhere(text, IsBlankOrControl); }

// Splits comma text: items are separated by a comma or by any blank or control
// character, blanks around items are dropped, an item in double quotes may hold
// blanks, commas and doubled quotes, and a trailing comma adds one empty item.
std::vector<std::string> SplitCommaText(const std::string& text);

// Splits at commas only; blanks around an item are dropped, blanks inside stay.
std::vector<std::string> SplitAtCommas(const std::string& text);

// The lines of a text split at CR, LF or CR LF, without their ends; empty lines are
// left out.
std::vector<std::string> NonEmptyLines(const std::string& text);

// Text split at CR, LF or CR LF and joined again with CR LF after every line, the
// last one included; empty text stays empty.
std::string WithCrLfLines(const std::string& text);

// Reads a whole integer the way the settings file has always been read: blanks
// before it, a sign, decimal digits or a hexadecimal number after "0x" or "$".
// Anything else (a word, trailing characters, an overflow) gives `fallback`.
int ParseIntegerOr(const std::string& text, int fallback);

// A number as a person types it on a command line: decimal digits only, no sign, no
// blank, no "0x", at most nine digits. Nothing for anything else.
std::optional<int> ParsePlainNumber(const std::string& text);

// A length of time as a clock shows it: "0:32", "12:05", "1:02:03"; negative counts as 0.
std::string ClockText(int seconds);

}  // namespace clipvane
