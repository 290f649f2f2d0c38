#include <windows.h>

#include "platform/text_encoding.h"

namespace clipvane {
namespace {

std::string Convert(const std::string& text, UINT from, UINT to) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int wide_size = MultiByteToWideChar(from, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(from, 0, text.data(), size, wide.data(), wide_size);
  const int n = WideCharToMultiByte(to, 0, wide.data(), wide_size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wide_size, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }
std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, CP_ACP, CP_UTF8); }

std::string Utf16ToAnsi(const std::u16string& utf16) {
  if (utf16.empty()) return {};
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
  const auto* wide = reinterpret_cast<const wchar_t*>(utf16.data());
  const int size = static_cast<int>(utf16.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, size, out.data(), n, nullptr, nullptr);
  return out;
}

bool IsAnsiLeadByte(char byte) { return IsDBCSLeadByte(static_cast<BYTE>(byte)); }

}  // namespace clipvane
