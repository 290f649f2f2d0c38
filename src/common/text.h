#pragma once
#include <string>
#include <vector>

namespace clipvane {

// ASCII-only case mapping: other bytes (Korean double-byte text) pass unchanged.
std::string AsciiLower(std::string text);
std::string AsciiUpper(std::string text);
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

// Blanks and control characters (bytes 1 to 32) removed at both ends.
std::string TrimBlanks(const std::string& text);

// Splits comma text: items are separated by a comma or by any blank or control
// character, blanks around items are dropped, an item in double quotes may hold
// blanks, commas and doubled quotes, and a trailing comma adds one empty item.
std::vector<std::string> SplitCommaText(const std::string& text);

// Splits at commas only; blanks around an item are dropped, blanks inside stay.
std::vector<std::string> SplitAtCommas(const std::string& text);

// Text split at CR, LF or CR LF and joined again with CR LF after every line, the
// last one included; empty text stays empty.
std::string WithCrLfLines(const std::string& text);

// Reads a whole integer the way the settings file has always been read: blanks
// before it, a sign, decimal digits or a hexadecimal number after "0x" or "$".
// Anything else (a word, trailing characters, an overflow) gives `fallback`.
int ParseIntegerOr(const std::string& text, int fallback);

}  // namespace clipvane
