#pragma once
#include <string>
#include <string_view>

namespace clipvane {

// Unicode forms, the same on every platform: the conversions at the edges (subtitle
// files with a byte-order mark, the library's wide strings) all go through these.

// UTF-16 code units from bytes (the mark already taken off); an odd last byte is half a
// character and dropped.
std::u16string Utf16Units(const std::string& bytes, bool big_endian);

// UTF-16 to UTF-8. Half a surrogate pair becomes U+FFFD, so broken input still gives
// valid UTF-8.
std::string Utf16ToUtf8(const std::u16string& units);

// Appends one code point as UTF-8; what is no character (a surrogate, beyond U+10FFFF)
// is written as U+FFFD.
void AppendUtf8(std::string& out, char32_t code);

bool IsValidUtf8(const std::string& bytes);

// UTF-8 to UTF-16, for the wide calls of Windows. What is not UTF-8 (a stray byte, an
// overlong form) becomes U+FFFD.
std::u16string Utf8ToUtf16(const std::string& utf8);

#ifdef _WIN32
// The same two conversions for the wide strings of the Windows calls, which are UTF-16.
std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(std::wstring_view wide);
#endif

}  // namespace clipvane
