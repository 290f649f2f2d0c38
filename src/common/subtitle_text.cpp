#include "common/subtitle_text.h"

#include "platform/text_encoding.h"
#include "platform/utf.h"

namespace clipvane {

std::string SubtitleTextToUtf8(const std::string& bytes) {
  // Where the system's own code page is UTF-8, bytes that are not UTF-8 were written
  // on a Korean Windows system.
  if (AnsiIsUtf8() && !IsValidUtf8(bytes)) return Cp949ToUtf8(bytes);
  return AnsiToUtf8(bytes);
}

}  // namespace clipvane
