#pragma once
#include <string>

namespace clipvane {

// Conversions between the system ANSI code page and UTF-16, for the Unicode
// controls and entry point. Unmappable characters become the code page's default.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);

}  // namespace clipvane
