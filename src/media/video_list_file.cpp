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

std::map<std::string, std::string> ParseRoots(const std::string& text) {
  std::map<std::string, std::string> roots;
  for (const std::string& line : NonEmptyLines(text)) {
    const std::size_t blank = line.find(' ');
    const std::optional<int> length = ParsePlainNumber(line.substr(0, blank));
    if (blank == std::string::npos || !length || *length <= 0) continue;
    const std::string path = line.substr(blank + 1);
    if (static_cast<std::size_t>(*length) < path.size()) roots[path] = path.substr(0, *length);
  }
  return roots;
}

std::string RootsText(const std::vector<std::string>& paths, const VideoList& list, const std::string& before) {
  std::map<std::string, std::string> roots = ParseRoots(before);
  // A row this list holds without a folder may have come with one in another process.
  for (std::size_t row = 0; row < list.RowCount(); ++row)
    if (!list.Row(row).root.empty()) roots[list.EntryPath(row)] = list.Row(row).root;
  std::string text;
  for (const std::string& path : paths) {
    const auto root = roots.find(path);
    if (root == roots.end() || root->second.empty() || path.compare(0, root->second.size(), root->second) != 0)
      continue;
    text += std::to_string(root->second.size()) + " " + path + "\r\n";
  }
  return text;
}

StoredList LoadVideoList(VideoList& list, const FileSystem& files, const Workspace& workspace) {
  const std::optional<std::string> text = files.ReadWholeFile(workspace.ListFile());
  if (!text) return {RowPaths(list)};
  const auto roots = ParseRoots(files.ReadWholeFile(workspace.ListRootsFile()).value_or(""));
  for (const std::string& line : VideoListLines(*text)) {
    const auto root = roots.find(line);
    list.AddVideo(line, root == roots.end() ? std::string() : root->second);
  }
  return {RowPaths(list)};
}

StoredList SaveVideoList(const VideoList& list, const StoredList& stored, FileSystem& files,
                         const Workspace& workspace) {
  const std::string now = ReadFileOrNothing(files, workspace.ListFile());
  const std::string merged = MergedListText(now, list, stored, files, workspace);
  const std::string roots =
      RootsText(VideoListLines(merged), list, ReadFileOrNothing(files, workspace.ListRootsFile()));
  // The folders first: a list.log whose rows lost theirs would put MP4s elsewhere.
  if (!roots.empty() || files.Exists(workspace.ListRootsFile()))
    files.ReplaceWholeFile(workspace.ListRootsFile(), roots);
  files.ReplaceWholeFile(workspace.ListFile(), merged);
  return {RowPaths(list)};
}

}  // namespace clipvane
