#pragma once
#include <map>
#include <string>
#include <vector>

namespace clipvane {

class FileSystem;
class VideoList;
class Workspace;

// list.log beside the program: one full video path per line, ANSI, CR LF after
// every line, in row order. It records the list only; markers come from the disk.
// Several processes keep it at once (windows and command lines): each reads it, and
// writes back only its own changes, under the lock on list.log.lock.

// list.roots beside it: for a row that came in with a folder, the length of that
// folder's path in bytes, a blank and the row's path, so that its MP4 can keep its
// place under the folder's name; rows that came alone have no line. Written with
// list.log, from the lines list.log keeps.

// The rows list.log gave when this list read it, or last wrote it: what a save
// compares the list with to know which rows it added and removed.
struct StoredList {
  std::vector<std::string> rows;
};

// Adds, through AddVideo, every line that names an existing file, with its folder
// from list.roots. A missing list.log is an empty list.
StoredList LoadVideoList(VideoList& list, const FileSystem& files, const Workspace& workspace);

// Merges the list's own changes since `stored` into list.log as it is now, and
// replaces the file whole and atomically, so that a full disk or a crash never loses
// the previous list. Every line stays as it stands, in its place, but the lines of
// rows this list removed, of videos deleted from a folder that is there (a drive
// that is away keeps its lines) and repeated ones; the rows this list added follow.
// So rows another process added meanwhile are kept. Returns what the file now holds,
// for the next save. Call it holding the list's lock. Throws PlatformError when the
// file cannot be written.
StoredList SaveVideoList(const VideoList& list, const StoredList& stored, FileSystem& files,
                         const Workspace& workspace);

// The file's text as the merge makes it from `text` (list.log as it is now), and
// the paths in such a text: lines end with CR, LF or CR LF, empty lines give nothing
// and a leading UTF-8 byte-order mark, which some editors write, is no part of the
// first path.
std::string MergedListText(const std::string& text, const VideoList& list, const StoredList& stored,
                           const FileSystem& files, const Workspace& workspace);
std::vector<std::string> VideoListLines(const std::string& text);
// list.roots's text for `paths`, the lines list.log holds: each path's folder from the
// list's rows, or else as `before` (list.roots as it is now) gave it; and the folders
// a list.roots text gives, by path.
std::string RootsText(const std::vector<std::string>& paths, const VideoList& list, const std::string& before);
std::map<std::string, std::string> ParseRoots(const std::string& text);

}  // namespace clipvane
