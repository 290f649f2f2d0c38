#include "platform/file_system.h"

#include <algorithm>
#include <set>

#include "platform/platform_error.h"

namespace clipvane {

std::string ReadFileOrNothing(const FileSystem& files, const std::string& path) {
  if (!files.Exists(path)) return {};
  std::optional<std::string> bytes = files.ReadWholeFile(path);
  if (!bytes) throw PlatformError("Cannot read " + path);
  return std::move(*bytes);
}

bool WalkFolder(const FileSystem& files, const std::string& root,
                const std::function<bool(const std::string& folder, const std::vector<FoundFile>& found)>& take) {
  std::set<std::string> read;              // the folders read, as the file system resolves them
  std::vector<std::string> waiting{root};  // the next folder last
  while (!waiting.empty()) {
    const std::string folder = std::move(waiting.back());
    waiting.pop_back();
    if (!read.insert(files.ResolvedPath(folder).value_or(folder)).second) continue;
    FolderListing listing = files.ListFolder(folder);
    std::vector<FoundFile> found;
    found.reserve(listing.files.size());
    for (std::string& file : listing.files) found.push_back({std::move(file), root});
    if (!take(folder, found)) return false;
    waiting.insert(waiting.end(), std::make_move_iterator(listing.folders.rbegin()),
                   std::make_move_iterator(listing.folders.rend()));
  }
  return true;
}

}  // namespace clipvane
