#pragma once
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/refusal.h"
#include "common/workspace.h"
#include "media/listed_paths.h"
#include "media/output_names.h"
#include "media/video_entry.h"

namespace clipvane {

class FileSystem;

// What the list control shows for one video, and whether the row is selected.
// Column texts are ANSI.
struct VideoRow {
  VideoEntry entry;
  std::string root;            // the folder added that brought the video in; empty when it came alone
  JobTarget target;            // its MP4 and job name, unique in the list (media/output_names.h)
  std::string encoded_marker;  // column 1: "*" when the video's own MP4 stands
  std::string title;           // column 2: the base name, perhaps with the probe's note
  std::string subtitle;        // column 3: "OK" for a subtitle file beside the video, "내장" once the probe found
                               // the subtitle inside it, "-" for none
  bool selected = false;
};

// What AddVideo did with a path: nothing refused it, or why it was left out (the
// window ignores refusals silently, a command line says them).
using AddOutcome = std::optional<RefusalReason>;

// The user's working set of videos: the rows of the main window's list, without the
// list control. The program owns one; the window renders it and forwards the
// user's selection and focus to it.
class VideoList {
 public:
  // `video_exts` is the start-up list of video extensions; it must outlive the list.
  VideoList(const Workspace& workspace, const FileSystem& files, const std::vector<std::string>& video_exts);

  // Appends a row for `path`, which came with the folder `root` (empty when it came
  // alone), unless it has no folder part, holds a line break, is
  // listed already, is not a video by its extension, is longer than a row holds, is
  // no file (missing, or a folder), or is one of the MP4s (IsOutput). The
  // path is normalised by its text, but a ".." on Linux is resolved through the file
  // system (it may follow a link). Windows paths are listed once in any letter case,
  // Linux paths are bytes. Never probes.
  AddOutcome AddVideo(const std::string& path, const std::string& root = {});

  // Removes the row and its entry. The focus stays on the row it was on; when that
  // row goes, it passes to the row that moves into its place, or to the new last row.
  void RemoveVideo(std::size_t row);

  // Removes every row for which `remove(row)` is true, as repeated RemoveVideo calls
  // walking from the first row would, in one pass.
  void RemoveRowsWhere(const std::function<bool(const VideoRow&)>& remove);

  std::size_t RowCount() const { return rows_.size(); }
  const VideoRow& Row(std::size_t row) const { return rows_.at(row); }
  const std::string& EntryPath(std::size_t row) const { return rows_.at(row).entry.path; }
  // The path a row for `path` has, as AddVideo makes it (normalised, ".." resolved on
  // Linux); the path itself when its folder cannot be resolved.
  std::string RowPathOf(const std::string& path) const { return FileOf(path).value_or(path); }
  const ListedPaths& Listed() const { return listed_; }

  // Where the MP4s go; incoming until set. Setting another place names every row's
  // MP4 afresh.
  void SetOutputPlace(OutputPlace place);
  const OutputPlace& Place() const { return place_; }
  // The row's MP4 as the list shows it (ShownOutputName).
  std::string ShownOutput(std::size_t row) const {
    return ShownOutputName(rows_.at(row).target.output, place_, workspace_.Style());
  }
  PathStyle Style() const { return workspace_.Style(); }
  // Counts the additions and removals of rows, so that a caller can tell whether
  // the list changed between two moments.
  std::size_t Changes() const { return changes_; }

  // Selection, as the user makes it in the list control.
  void SetSelected(std::size_t row, bool selected);
  void SelectAll();
  // Exactly these rows selected, the others not.
  void SelectOnly(const std::vector<std::size_t>& rows);
  std::size_t SelectedCount() const { return selected_count_; }
  std::vector<std::size_t> SelectedRows() const;
  std::optional<std::size_t> FirstSelected() const;

  // The row with the keyboard focus, if any.
  void SetFocusedRow(std::optional<std::size_t> row);
  std::optional<std::size_t> FocusedRow() const { return focused_; }

  // For the probe: it is run once, and a failure shows in the title.
  void MarkProbed(std::size_t row);
  void StoreFacts(std::size_t row, MediaFacts facts);
  void AppendToTitle(std::size_t row, const std::string& text);

  // Looks at the disk again for the MP4s of the row's base name in its folder, names
  // the MP4 of each row that makes one there (AssignOutputNames), and sets column 1
  // from it: "*" when the MP4 stands and is the video's own (ConvertedHere).
  void UpdateEncodedMarker(std::size_t row) {
    LookAgain();
    NameFromDisk(row);
  }
  // The same for many rows: after LookAgain, NameFromDisk reads the disk once for each
  // base name and folder, however many rows share them.
  void LookAgain() { ++look_; }
  void NameFromDisk(std::size_t row);

 private:
  bool IsFile(const std::string& path) const;
  // Column 3 for the video at `path` whose own subtitle tracks are `tracks`.
  std::string SubtitleColumn(const std::string& path, const std::vector<MediaTrack>& tracks) const;
  // The path a row would get, or nothing when its folder cannot be resolved.
  std::optional<std::string> FileOf(const std::string& given_path) const;
  // Of rows whose MP4s share one folder and base name: "<folder>/<base>", folded as
  // the system compares paths.
  std::string GroupOf(const VideoRow& row) const;
  // The rows of one GroupOf, in list order, and what stands at their names (from the
  // first name on, as far as it was looked at).
  struct OutputGroup {
    std::vector<std::size_t> rows;
    std::vector<CandidateState> seen;
    std::size_t looked = 0;  // the LookAgain the disk was last read after
  };
  void IndexGroups();
  // Names the MP4s of the group's rows and sets their markers, from the disk as last
  // looked at, or as it is now.
  void NameGroup(OutputGroup& group, bool look_again);

  const Workspace& workspace_;
  const FileSystem& files_;
  const std::vector<std::string>& video_exts_;
  std::vector<VideoRow> rows_;
  ListedPaths listed_;
  OutputPlace place_;
  std::unordered_map<std::string, OutputGroup> groups_;
  std::size_t look_ = 1;  // counts LookAgain
  std::size_t selected_count_ = 0;
  std::optional<std::size_t> focused_;
  std::size_t changes_ = 0;
};

// Files dropped from the shell, in the order the shell gives them: each goes
// through AddVideo. Folders are refused as files without a video extension are.
std::vector<AddOutcome> AddDroppedFiles(VideoList& list, const std::vector<std::string>& paths);

}  // namespace clipvane
