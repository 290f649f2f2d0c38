#pragma once
#include <string>

namespace clipvane {

// UTF-16 bytes (without byte-order mark) to UTF-8. Unpaired surrogates and a lone
// last byte become U+FFFD, so broken input still yields valid UTF-8.
std::string Utf16ToUtf8(const std::string& bytes, bool big_endian);

bool IsValidUtf8(const std::string& bytes);

// Text split at CR, LF or CR LF and joined again with CR LF after every line, the
// last one included; empty text stays empty.
std::string WithCrLfLines(const std::string& text);

}  // namespace clipvane
