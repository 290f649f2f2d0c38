#pragma once
#include <string>

namespace clipvane {

// The core keeps text in the platform's ANSI code page: the system code page on
// Windows (949 on Korean systems), UTF-8 on Linux. Texts of the program itself are
// written in UTF-8 in the sources and converted once, where they are used.
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);

// True for the first byte of a double-byte character of the ANSI code page, whose
// second byte may look like an ASCII letter or a backslash. Never true for UTF-8.
bool IsAnsiLeadByte(char byte);

}  // namespace clipvane
