#include "common/path_style.h"

namespace clipvane {

std::size_t FileNameStart(const std::string& path, PathStyle style) {
  const char* separators = style == PathStyle::kWindows ? "\\:" : "/";
  const std::size_t last = path.find_last_of(separators);
  return last == std::string::npos ? 0 : last + 1;
}

std::string FileNamePart(const std::string& path, PathStyle style) {
  return path.substr(FileNameStart(path, style));
}

std::string FolderPart(const std::string& path, PathStyle style) {
  return path.substr(0, FileNameStart(path, style));
}

std::string ExtensionOf(const std::string& path, PathStyle style) {
  const std::size_t start = FileNameStart(path, style);
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  return path.substr(dot);
}

std::string WithoutExtension(const std::string& path, PathStyle style) {
  return path.substr(0, path.size() - ExtensionOf(path, style).size());
}

}  // namespace clipvane
