#include <windows.h>

#include "platform/text_encoding.h"

namespace clipvane {
namespace {

std::wstring ToWide(const std::string& text, UINT code_page) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string FromWide(const wchar_t* wide, int size, UINT code_page) {
  if (size == 0) return {};
  const int n = WideCharToMultiByte(code_page, 0, wide, size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(code_page, 0, wide, size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Convert(const std::string& text, UINT from, UINT to) {
  const std::wstring wide = ToWide(text, from);
  return FromWide(wide.data(), static_cast<int>(wide.size()), to);
}

}  // namespace

std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }
std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, CP_ACP, CP_UTF8); }
std::string Cp949ToUtf8(const std::string& bytes) { return Convert(bytes, 949, CP_UTF8); }
bool AnsiIsUtf8() { return GetACP() == CP_UTF8; }

std::string Utf16ToAnsi(const std::u16string& utf16) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
  return FromWide(reinterpret_cast<const wchar_t*>(utf16.data()), static_cast<int>(utf16.size()), CP_ACP);
}

std::wstring AnsiToWide(const std::string& ansi) { return ToWide(ansi, CP_ACP); }
std::string WideToAnsi(const std::wstring& wide) {
  return FromWide(wide.data(), static_cast<int>(wide.size()), CP_ACP);
}

std::optional<std::string> WideToAnsiExactly(const std::wstring& wide) {
  if (GetACP() == CP_UTF8 || wide.empty()) return WideToAnsi(wide);  // UTF-8 holds every character
  BOOL lost = FALSE;
  const int size = static_cast<int>(wide.size());
  // Without "best fit", which would quietly write "e" for "é".
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &lost);
  if (n == 0 || lost) return std::nullopt;
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), n, nullptr, &lost);
  if (lost) return std::nullopt;
  return out;
}

bool IsAnsiLeadByte(char byte) { return IsDBCSLeadByte(static_cast<BYTE>(byte)); }

int CompareTextIgnoringCase(const std::string& a, const std::string& b) {
  const int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                    b.data(), static_cast<int>(b.size()));
  return result == 0 ? 0 : result - CSTR_EQUAL;
}

}  // namespace clipvane
