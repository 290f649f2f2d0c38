#include "media/video_list_file.h"

#include "common/workspace.h"
#include "media/video_list.h"
#include "platform/file_system.h"

namespace clipvane {

std::vector<std::string> VideoListLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::string VideoListText(const VideoList& list) {
  std::string text;
  for (std::size_t row = 0; row < list.RowCount(); ++row)
    text.append(list.EntryPath(row)).append("\r\n");
  return text;
}

std::size_t LoadVideoList(VideoList& list, const FileSystem& files, const Workspace& workspace) {
  const std::optional<std::string> text = files.ReadWholeFile(workspace.ListFile());
  if (!text) return 0;
  std::size_t added = 0;
  for (const std::string& line : VideoListLines(*text))
    if (files.Exists(line) && !list.AddVideo(line)) ++added;
  return added;
}

void SaveVideoList(const VideoList& list, FileSystem& files, const Workspace& workspace) {
  files.ReplaceWholeFile(workspace.ListFile(), VideoListText(list));
}

}  // namespace clipvane
