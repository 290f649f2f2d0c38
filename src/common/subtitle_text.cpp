#include "common/subtitle_text.h"

#include "platform/text_encoding.h"

#ifndef _WIN32
#include <iconv.h>

#include <cerrno>

#include "platform/utf.h"
#endif

namespace clipvane {

#ifdef _WIN32

std::string SubtitleTextToUtf8(const std::string& bytes) { return AnsiToUtf8(bytes); }

#else

std::string SubtitleTextToUtf8(const std::string& bytes) {
  if (IsValidUtf8(bytes)) return bytes;
  iconv_t converter = iconv_open("UTF-8", "CP949");
  if (converter == reinterpret_cast<iconv_t>(-1)) return bytes;
  std::string out;
  char buffer[4096];
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t result = iconv(converter, &in, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // A byte that is no character of the code page: go on past it with a
      // replacement character, as the Windows conversion does.
      out += "\xEF\xBF\xBD";
      ++in;
      --in_left;
    }
  }
  iconv_close(converter);
  return out;
}

#endif

}  // namespace clipvane
