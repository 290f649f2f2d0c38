#include "common/subtitle_text.h"

#include "platform/text_encoding.h"
#include "platform/utf.h"

namespace clipvane {

// Korean text in code page 949 is never valid UTF-8, and a UTF-8 file saved by a
// newer editor holds no byte-order mark: validity tells the two apart.
std::string SubtitleTextToUtf8(const std::string& bytes) {
  if (IsValidUtf8(bytes)) return bytes;
  // Where the system's own code page is UTF-8, the bytes were written on a Korean
  // Windows system.
  return AnsiIsUtf8() ? Cp949ToUtf8(bytes) : AnsiToUtf8(bytes);
}

std::string SubtitleTextToAnsi(const std::string& bytes) {
  if (IsValidUtf8(bytes)) return Utf8ToAnsi(bytes);
  return AnsiIsUtf8() ? Cp949ToUtf8(bytes) : bytes;
}

}  // namespace clipvane
