#include "tool_files.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "platform/utf.h"

namespace clipvane::tools {
namespace {

std::string RandomHex() {
  static std::mt19937_64 random{std::random_device{}()};
  std::ostringstream text;
  text << std::hex << (random() & 0xFFFFFFFFFFFFull);
  return text.str();
}

#ifdef _WIN32
// FFmpeg's subtitle renderer opens its files and font folders through the ANSI calls,
// which cannot name every folder (a user name in another script than the system's,
// say). The short form of such a folder is plain ASCII where the volume keeps short
// names.
std::filesystem::path AnsiSafe(const std::filesystem::path& folder) {
  const std::wstring wide = folder.wstring();
  for (wchar_t c : wide) {
    if (c < 0x80) continue;
    const DWORD length = GetShortPathNameW(wide.c_str(), nullptr, 0);
    std::wstring shorter(length, L'\0');
    if (length == 0 || GetShortPathNameW(wide.c_str(), shorter.data(), length) == 0) return folder;
    shorter.resize(shorter.find(L'\0'));
    return std::filesystem::path(shorter);
  }
  return folder;
}
#else
std::filesystem::path AnsiSafe(const std::filesystem::path& folder) { return folder; }
#endif

}  // namespace

std::filesystem::path FsPath(const std::string& utf8) { return std::filesystem::u8path(utf8); }

std::string Utf8Path(const std::filesystem::path& path) { return path.u8string(); }

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(FsPath(path), error);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return static_cast<bool>(out);
}

bool MoveOver(const std::string& from, const std::string& to, std::string* why) {
  std::error_code error;
#ifdef _WIN32
  if (MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
#else
  std::filesystem::rename(FsPath(from), FsPath(to), error);
  if (!error) return true;
#endif
  if (why) *why = error.message();
  return false;
}

std::string UniqueNameBeside(const std::string& target) {
  const std::filesystem::path path = FsPath(target);
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  for (;;) {
    const std::filesystem::path candidate = folder / FsPath("." + Utf8Path(path.filename()) + "." + RandomHex());
    std::error_code error;
    if (!std::filesystem::exists(candidate, error)) return Utf8Path(candidate);
  }
}

std::string EnvironmentValue(const char* name) {
#ifdef _WIN32
  const wchar_t* value = _wgetenv(Utf8ToWide(name).c_str());
  return value ? WideToUtf8(value) : std::string();
#else
  const char* value = std::getenv(name);
  return value ? value : "";
#endif
}

TempFolder::TempFolder(const std::string& prefix) {
  std::error_code error;
  const std::filesystem::path base = AnsiSafe(std::filesystem::temp_directory_path(error));
  if (error) throw std::runtime_error("cannot find the temporary folder: " + error.message());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate = base / FsPath(prefix + "-" + RandomHex());
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = Utf8Path(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder in " + Utf8Path(base));
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(FsPath(path_), ignored);
}

std::string TempFolder::File(const std::string& name) const { return Utf8Path(FsPath(path_) / FsPath(name)); }

}  // namespace clipvane::tools
