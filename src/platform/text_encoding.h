#pragma once
#include <string>

namespace clipvane {

// The core keeps text in the platform's ANSI code page: the system code page on
// Windows (949 on Korean systems), UTF-8 on Linux. Texts of the program itself are
// written in UTF-8 in the sources and converted once, where they are used.
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);

// UTF-16 text (as read from a file with a byte-order mark) in the ANSI code page.
// Characters the code page lacks become "?" on Windows; unpaired surrogates become
// U+FFFD on Linux.
std::string Utf16ToAnsi(const std::u16string& utf16);

// True for the first byte of a double-byte character of the ANSI code page, whose
// second byte may look like an ASCII letter or a backslash. Never true for UTF-8.
bool IsAnsiLeadByte(char byte);

}  // namespace clipvane
