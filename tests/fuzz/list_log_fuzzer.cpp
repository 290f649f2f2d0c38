// Feeds arbitrary bytes to the list reader as a list.log that someone edited by hand,
// over a disk where everything under /v/ exists and /away/ is a folder that is not
// there, and checks what the list relies on: a saved list loads back to the same
// rows, saving it again changes nothing, and no path takes a line break along.
#include <vector>

#include "common/workspace.h"
#include "fuzz/require.h"
#include "media/video_list.h"
#include "media/video_list_file.h"
#include "support/memory_file_system.h"

namespace {

class FuzzDisk : public clipvane::testing::MemoryFileSystem {
 public:
  bool Exists(const std::string& path) const override {
    return path.rfind("/v/", 0) == 0 || MemoryFileSystem::Exists(path);
  }
  bool IsDirectory(const std::string& path) const override {
    return path == "/v/" || (path.rfind("/v/", 0) == 0 && path.back() == '/');
  }
};

std::vector<std::string> Paths(const clipvane::VideoList& list) {
  std::vector<std::string> paths;
  for (std::size_t row = 0; row < list.RowCount(); ++row) paths.push_back(list.EntryPath(row));
  return paths;
}

}  // namespace

void FuzzOne(const std::string& bytes) {
  using namespace clipvane;
  static const Workspace workspace("/app/", PathStyle::kPosix);
  static const std::vector<std::string> video_exts{"avi", "mpg", "asf", "wmv"};
  FuzzDisk disk;
  disk.files[workspace.ListFile()] = bytes;

  VideoList first(workspace, disk, video_exts);
  const StoredList stored = LoadVideoList(first, disk, workspace);
  for (const std::string& path : Paths(first)) Require(path.find_first_of("\r\n") == std::string::npos);
  if (first.RowCount() > 0) first.RemoveVideo(0);
  const StoredList written = SaveVideoList(first, stored, disk, workspace);
  const std::string saved = disk.files[workspace.ListFile()];
  Require(saved.empty() || (saved.size() >= 2 && saved.compare(saved.size() - 2, 2, "\r\n") == 0));

  VideoList second(workspace, disk, video_exts);
  const StoredList again = LoadVideoList(second, disk, workspace);
  Require(Paths(second) == Paths(first) && again.rows == written.rows);
  Require(MergedListText(saved, second, again, disk, workspace) == saved);
}
