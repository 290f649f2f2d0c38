#include "platform/text_encoding.h"
#include "platform/utf.h"

namespace clipvane {

// On Linux the ANSI code page is UTF-8 itself.
std::string Utf8ToAnsi(const std::string& utf8) { return utf8; }
std::string AnsiToUtf8(const std::string& ansi) { return ansi; }

std::string Utf16ToAnsi(const std::u16string& utf16) { return Utf16ToUtf8(utf16); }

// UTF-8 never uses ASCII bytes inside a multi-byte character.
bool IsAnsiLeadByte(char) { return false; }

}  // namespace clipvane
