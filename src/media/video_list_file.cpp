#include "media/video_list_file.h"

#include <unordered_map>

#include "common/text.h"
#include "common/workspace.h"
#include "media/video_list.h"
#include "platform/file_system.h"

namespace clipvane {
namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";  // UTF-8's, as some editors write it

// Whether a line that gave no row is worth keeping for a later run.
bool KeepsItsLine(const std::string& line, const AddOutcome& outcome, const FileSystem& files, PathStyle style) {
  switch (*outcome) {
    case RefusalReason::kAlreadyListed: return false;  // the row is there already
    case RefusalReason::kFileMissing:
      // A deleted video goes; one whose whole folder is away (a drive not mounted
      // now, a share offline) comes back with it.
      return !files.IsDirectory(FolderPart(line, style));
    default: return true;
  }
}

}  // namespace

std::vector<std::string> VideoListLines(const std::string& text) {
  return NonEmptyLines(text.rfind(kByteOrderMark, 0) == 0 ? text.substr(3) : text);
}

std::string VideoListText(const VideoList& list, const StoredList& stored) {
  std::unordered_map<std::string, std::size_t> stored_row_lines;
  for (std::size_t i = 0; i < stored.lines.size(); ++i)
    if (!stored.lines[i].row_path.empty()) stored_row_lines.emplace(stored.lines[i].row_path, i);
  std::string text;
  std::size_t next_line = 0;  // the stored lines before it are written
  const auto write_kept_lines_before = [&](std::size_t end) {
    for (; next_line < end; ++next_line)
      if (stored.lines[next_line].row_path.empty()) text.append(stored.lines[next_line].text).append("\r\n");
  };
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    // Rows keep their order, so rows from the file come in file order; a row added
    // since then follows every line of the file.
    const auto from_file = stored_row_lines.find(list.EntryPath(row));
    const bool in_order = from_file != stored_row_lines.end() && from_file->second >= next_line;
    write_kept_lines_before(in_order ? from_file->second : stored.lines.size());
    if (in_order) next_line = from_file->second + 1;
    text.append(list.EntryPath(row)).append("\r\n");
  }
  write_kept_lines_before(stored.lines.size());
  // A kept line that happens to start with the byte-order mark's bytes would lose them
  // to the next reading, which takes a leading mark for the editor's.
  if (text.rfind(kByteOrderMark, 0) == 0) text.insert(0, kByteOrderMark);
  return text;
}

StoredList LoadVideoList(VideoList& list, const FileSystem& files, const Workspace& workspace) {
  StoredList stored;
  const std::optional<std::string> text = files.ReadWholeFile(workspace.ListFile());
  if (!text) return stored;
  for (const std::string& line : VideoListLines(*text)) {
    const AddOutcome outcome = list.AddVideo(line);
    if (!outcome)
      stored.lines.push_back({line, list.EntryPath(list.RowCount() - 1)});
    else if (KeepsItsLine(line, outcome, files, workspace.Style()))
      stored.lines.push_back({line, {}});
  }
  return stored;
}

void SaveVideoList(const VideoList& list, const StoredList& stored, FileSystem& files, const Workspace& workspace) {
  files.ReplaceWholeFile(workspace.ListFile(), VideoListText(list, stored));
}

}  // namespace clipvane
