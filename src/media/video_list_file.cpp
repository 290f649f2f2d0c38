#include "media/video_list_file.h"

#include "base/text.h"
#include "common/workspace.h"
#include "media/listed_paths.h"
#include "media/video_list.h"
#include "platform/file_system.h"

namespace clipvane {
namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";  // UTF-8's, as some editors write it

std::vector<std::string> RowPaths(const VideoList& list) {
  std::vector<std::string> paths;
  paths.reserve(list.RowCount());
  for (std::size_t row = 0; row < list.RowCount(); ++row) paths.push_back(list.EntryPath(row));
  return paths;
}

}  // namespace

std::vector<std::string> VideoListLines(const std::string& text) {
  return NonEmptyLines(text.rfind(kByteOrderMark, 0) == 0 ? text.substr(3) : text);
}

std::string MergedListText(const std::string& text, const VideoList& list, const StoredList& stored,
                           const FileSystem& files, const Workspace& workspace) {
  const PathStyle style = workspace.Style();
  ListedPaths now(style), before(style), written(style);
  for (const std::string& path : RowPaths(list)) now.Add(path);
  for (const std::string& path : stored.rows) before.Add(path);
  std::string merged;
  const auto write = [&](const std::string& line, const std::string& path) {
    merged.append(line).append("\r\n");
    written.Add(path);
  };
  for (const std::string& line : VideoListLines(text)) {
    // A line names the row the list would make of it; "a//b" is the row "a/b".
    const std::string path = list.RowPathOf(line);
    const bool removed_here = before.Contains(path) && !now.Contains(path);
    // A deleted video goes; one whose whole folder is away (a drive not mounted now, a
    // share offline) stays for when it comes back.
    const bool deleted = !files.Exists(path) && files.IsDirectory(FolderPart(path, style));
    if (!removed_here && !deleted && !written.Contains(path)) write(line, path);
  }
  for (const std::string& path : RowPaths(list))
    if (!before.Contains(path) && !written.Contains(path)) write(path, path);
  // A kept line that happens to start with the byte-order mark's bytes would lose them
  // to the next reading, which takes a leading mark for the editor's.
  if (merged.rfind(kByteOrderMark, 0) == 0) merged.insert(0, kByteOrderMark);
  return merged;
}

StoredList LoadVideoList(VideoList& list, const FileSystem& files, const Workspace& workspace) {
  const std::optional<std::string> text = files.ReadWholeFile(workspace.ListFile());
  if (text)
    for (const std::string& line : VideoListLines(*text)) list.AddVideo(line);
  return {RowPaths(list)};
}

StoredList SaveVideoList(const VideoList& list, const StoredList& stored, FileSystem& files,
                         const Workspace& workspace) {
  const std::string now = ReadFileOrNothing(files, workspace.ListFile());
  files.ReplaceWholeFile(workspace.ListFile(), MergedListText(now, list, stored, files, workspace));
  return {RowPaths(list)};
}

}  // namespace clipvane
