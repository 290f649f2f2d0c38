#include "platform/text_encoding.h"

namespace clipvane {

// On Linux the ANSI code page is UTF-8 itself.
std::string Utf8ToAnsi(const std::string& utf8) { return utf8; }
std::string AnsiToUtf8(const std::string& ansi) { return ansi; }

// UTF-8 never uses ASCII bytes inside a multi-byte character.
bool IsAnsiLeadByte(char) { return false; }

}  // namespace clipvane
