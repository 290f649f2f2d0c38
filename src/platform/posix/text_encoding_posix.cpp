#include <iconv.h>
#include <locale.h>

#include <cerrno>
#include <cstring>

#include "platform/text_encoding.h"
#include "platform/utf.h"

namespace clipvane {

// On Linux the ANSI code page is UTF-8 itself.
std::string Utf8ToAnsi(const std::string& utf8) { return utf8; }
std::string AnsiToUtf8(const std::string& ansi) { return ansi; }
bool AnsiIsUtf8() { return true; }

std::string Utf16ToAnsi(const std::u16string& utf16) { return Utf16ToUtf8(utf16); }

std::wstring AnsiToWide(const std::string& text) {
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    char32_t code = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
    bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(code);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

std::string WideToAnsi(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wide : text) AppendUtf8(out, static_cast<char32_t>(wide));
  return out;
}

std::optional<std::string> WideToAnsiExactly(const std::wstring& wide) { return WideToAnsi(wide); }

std::string Cp949ToUtf8(const std::string& bytes) {
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

// UTF-8 never uses ASCII bytes inside a multi-byte character.
bool IsAnsiLeadByte(char) { return false; }

int CompareTextIgnoringCase(const std::string& a, const std::string& b) {
  static const locale_t user_locale = newlocale(LC_COLLATE_MASK, "", static_cast<locale_t>(0));
  const std::string la = AsciiLower(a);
  const std::string lb = AsciiLower(b);
  const int order = user_locale ? strcoll_l(la.c_str(), lb.c_str(), user_locale) : std::strcmp(la.c_str(), lb.c_str());
  return order != 0 ? order : std::strcmp(la.c_str(), lb.c_str());
}

}  // namespace clipvane
