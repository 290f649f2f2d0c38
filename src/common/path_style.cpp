#include "common/path_style.h"
#include "platform/text_encoding.h"

#include <vector>

namespace clipvane {

std::size_t FileNameStart(const std::string& path, PathStyle style) {
  const char* separators = style == PathStyle::kWindows ? "\\:" : "/";
  const std::size_t last = path.find_last_of(separators);
  return last == std::string::npos ? 0 : last + 1;
}

std::string FileNamePart(const std::string& path, PathStyle style) { return path.substr(FileNameStart(path, style)); }

std::string FolderPart(const std::string& path, PathStyle style) { return path.substr(0, FileNameStart(path, style)); }

std::string ExtensionOf(const std::string& path, PathStyle style) {
  const std::size_t start = FileNameStart(path, style);
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  return path.substr(dot);
}

std::string WithoutExtension(const std::string& path, PathStyle style) {
  return path.substr(0, path.size() - ExtensionOf(path, style).size());
}

std::string NormalizeLexically(const std::string& path, PathStyle style) {
  const bool windows = style == PathStyle::kWindows;
  const char separator = Separator(style);
  if (windows && path.rfind("\\\\?\\", 0) == 0) return path;  // taken literally by Windows as well
  const auto is_separator = [&](char c) { return c == separator || (windows && c == '/'); };

  // The root, which ".." never climbs above: "/", "C:" with or without a separator,
  // a lone separator, or the two of a share, whose server and share names stay.
  std::string root;
  std::size_t at = 0;
  std::size_t fixed = 0;  // leading components that belong to the root (a share's two)
  if (windows && path.size() >= 2 && path[1] == ':') {
    root = path.substr(0, 2);
    at = 2;
  }
  if (windows && root.empty() && path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
    root = std::string(2, separator);
    fixed = 2;
  } else if (at < path.size() && is_separator(path[at])) {
    root += separator;
  }

  std::vector<std::string> parts;
  std::size_t start = at;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !is_separator(path[end])) ++end;
    const std::string part = path.substr(start, end - start);
    if (part == ".." && parts.size() > fixed && parts.back() != "..") {
      parts.pop_back();
    } else if (part == ".." && root.empty()) {
      parts.push_back(part);  // a relative path may climb
    } else if (!part.empty() && part != "." && part != "..") {
      parts.push_back(part);
    }
    start = end + 1;
  }

  std::string normal = root;
  for (std::size_t i = 0; i < parts.size(); ++i) normal += (i == 0 ? "" : std::string(1, separator)) + parts[i];
  if (!parts.empty() && !path.empty() && is_separator(path.back())) normal += separator;
  return normal;
}

bool SamePath(const std::string& a, const std::string& b, PathStyle style) {
  return style == PathStyle::kWindows ? EqualsIgnoringAsciiCase(a, b) : a == b;
}

}  // namespace clipvane
