#include "platform/file_system.h"

#include "platform/platform_error.h"

namespace clipvane {

std::string ReadFileOrNothing(const FileSystem& files, const std::string& path) {
  if (!files.Exists(path)) return {};
  std::optional<std::string> bytes = files.ReadWholeFile(path);
  if (!bytes) throw PlatformError("Cannot read " + path);
  return std::move(*bytes);
}

}  // namespace clipvane
