#pragma once
#include <optional>
#include <string>
#include <utility>

#include "base/text.h"

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

// The platform's wide text (UTF-16 on Windows, UTF-32 on Linux), as the Unicode
// controls and the MediaInfo library take it. What cannot be converted becomes the
// code page's default character, or U+FFFD.
std::wstring AnsiToWide(const std::string& ansi);
std::string WideToAnsi(const std::wstring& wide);
// The wide text in the ANSI code page, or nothing when the code page cannot hold one
// of its characters (a "Café" on code page 949, an emoji): such a name would come out
// as another one.
std::optional<std::string> WideToAnsiExactly(const std::wstring& wide);

// True when the ANSI code page is UTF-8 itself, as on Linux.
bool AnsiIsUtf8();

// Text of code page 949, the code page of Korean Windows systems, in UTF-8. A byte
// that is no character of it becomes U+FFFD.
std::string Cp949ToUtf8(const std::string& bytes);

// True for the first byte of a double-byte character of the ANSI code page, whose
// second byte may look like an ASCII letter or a backslash. Never true for UTF-8.
bool IsAnsiLeadByte(char byte);

// ASCII-only case mapping of ANSI text: other bytes, and the second byte of a
// double-byte character, pass unchanged.
inline std::string AsciiLower(std::string text) { return MapAsciiLetters<'A', 'a'>(std::move(text), IsAnsiLeadByte); }
inline std::string AsciiUpper(std::string text) { return MapAsciiLetters<'a', 'A'>(std::move(text), IsAnsiLeadByte); }

inline bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

// Compares two texts without regard to case in the user's locale order, as the
// desktop sorts file names. Negative, zero or positive.
int CompareTextIgnoringCase(const std::string& a, const std::string& b);

}  // namespace clipvane
