#pragma once
#include <string>

namespace clipvane {

// Which separator a path uses. The core builds every path in one style, so that
// Windows-form paths (D:\Conv\...) can be produced and tested on Linux as well.
enum class PathStyle { kWindows, kPosix };

#ifdef _WIN32
constexpr PathStyle kNativePathStyle = PathStyle::kWindows;
#else
constexpr PathStyle kNativePathStyle = PathStyle::kPosix;
#endif

constexpr char Separator(PathStyle style) { return style == PathStyle::kWindows ? '\\' : '/'; }

// Index of the first character of the file-name part: after the last "\" or ":" in
// Windows form, after the last "/" in POSIX form.
std::size_t FileNameStart(const std::string& path, PathStyle style);

// The file-name part of a path.
std::string FileNamePart(const std::string& path, PathStyle style);

// The folder part, ending with the separator (empty when there is none).
std::string FolderPart(const std::string& path, PathStyle style);

// The extension of the file-name part, from its last "." on, dot included; empty
// when the file-name part has no ".".
std::string ExtensionOf(const std::string& path, PathStyle style);

// The path with its extension cut off.
std::string WithoutExtension(const std::string& path, PathStyle style);

// The path with doubled separators, "." folders and "folder/.." pairs taken out, by
// its text alone (links are not followed). Windows form also takes "/" for a
// separator and keeps a share's leading "\\"; "\\?\" paths are left as they are.
std::string NormalizeLexically(const std::string& path, PathStyle style);

// Whether two paths name the same file: Windows names ignore letter case.
bool SamePath(const std::string& a, const std::string& b, PathStyle style);

}  // namespace clipvane
