#pragma once
#include <string>
#include <vector>

namespace clipvane {

class FileSystem;
class VideoList;
class Workspace;

// list.log beside the program: one full video path per line, ANSI, CR LF after
// every line, in row order. It records the list only; markers come from the disk.

// list.log as it was read: its lines in file order. A line either gave a row, or is
// kept as it stood because it gave none now but may later: a video on a drive that
// is away (its folder is missing), or one that the video extensions or the row's
// size leave out. Lines of videos deleted from a folder that is there, repeated
// lines and empty lines are dropped.
struct StoredList {
  struct Line {
    std::string text;      // as it stood in the file
    std::string row_path;  // the path of the row it gave, or empty
  };
  std::vector<Line> lines;
};

// Adds, through AddVideo, every line that names an existing file, and returns what
// the file held. A missing list.log is an empty list.
StoredList LoadVideoList(VideoList& list, const FileSystem& files, const Workspace& workspace);

// Replaces list.log whole and atomically, so that a full disk or a crash during the
// save never loses the previous list. The rows are written in their order, the kept
// lines of `stored` at their places. Throws PlatformError when it cannot be written.
void SaveVideoList(const VideoList& list, const StoredList& stored, FileSystem& files, const Workspace& workspace);

// The file's text for these rows and kept lines, and the paths in such a text: lines
// end with CR, LF or CR LF, empty lines give nothing and a leading UTF-8 byte-order
// mark, which some editors write, is no part of the first path.
std::string VideoListText(const VideoList& list, const StoredList& stored = {});
std::vector<std::string> VideoListLines(const std::string& text);

}  // namespace clipvane
