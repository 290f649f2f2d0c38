#pragma once
#include <string>

namespace clipvane {

// A subtitle file's bytes without byte-order mark, read as text of the system code
// page, to UTF-8. On Linux the bytes stay as they are when they are UTF-8 already and
// are otherwise read as code page 949, the code page of Korean subtitle files.
std::string SubtitleTextToUtf8(const std::string& bytes);

}  // namespace clipvane
