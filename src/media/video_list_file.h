#pragma once
#include <string>
#include <vector>

namespace clipvane {

class FileSystem;
class VideoList;
class Workspace;

// list.log beside the program: one full video path per line, ANSI, CR LF after
// every line, in row order. It records the list only; markers come from the disk.

// Adds, through AddVideo, every line that names an existing file; lines for files
// that are gone are dropped and so vanish at the next save. Returns how many rows
// were added. A missing list.log is an empty list.
std::size_t LoadVideoList(VideoList& list, const FileSystem& files, const Workspace& workspace);

// Replaces list.log whole and atomically, so that a full disk or a crash during the
// save never loses the previous list. Throws PlatformError when it cannot be written.
void SaveVideoList(const VideoList& list, FileSystem& files, const Workspace& workspace);

// The file's text for these paths, and the paths in such a text.
std::string VideoListText(const VideoList& list);
std::vector<std::string> VideoListLines(const std::string& text);

}  // namespace clipvane
