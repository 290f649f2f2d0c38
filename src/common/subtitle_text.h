#pragma once
#include <string>

namespace clipvane {

// A subtitle file's bytes without byte-order mark, to UTF-8. Bytes that are valid
// UTF-8 already stay as they are, on every platform; others are text of the ANSI code
// page, which on Linux (UTF-8 itself) means code page 949, the code page of Korean
// subtitle files.
std::string SubtitleTextToUtf8(const std::string& bytes);

// The same bytes as text in the ANSI code page: UTF-8 is converted to it, other bytes
// are taken to be in it already (code page 949 on Linux, converted to UTF-8).
std::string SubtitleTextToAnsi(const std::string& bytes);

}  // namespace clipvane
