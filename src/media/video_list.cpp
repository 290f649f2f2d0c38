#include "media/video_list.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

#include "media/made_from.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "subtitles/subtitle_source.h"

namespace clipvane {

VideoList::VideoList(const Workspace& workspace, const FileSystem& files, const std::vector<std::string>& video_exts)
    : workspace_(workspace),
      files_(files),
      video_exts_(video_exts),
      listed_(workspace.Style()),
      place_{workspace.Incoming(), false} {}

namespace {

bool HasParentStep(const std::string& path) {
  for (std::size_t at = path.find(".."); at != std::string::npos; at = path.find("..", at + 1))
    if ((at == 0 || path[at - 1] == '/') && (at + 2 == path.size() || path[at + 2] == '/')) return true;
  return false;
}

}  // namespace

bool VideoList::IsFile(const std::string& path) const { return files_.Exists(path) && !files_.IsDirectory(path); }

std::optional<std::string> VideoList::FileOf(const std::string& given_path) const {
  const PathStyle style = workspace_.Style();
  const std::string lexical = NormalizeLexically(given_path, style);
  if (style == PathStyle::kWindows || !HasParentStep(given_path)) return lexical;
  // On Linux "a/link/../b" is where the link leads, then up: only the file system can
  // tell. The folder is resolved, the file keeps the name it was given.
  const std::size_t name = FileNameStart(lexical, style);
  const std::optional<std::string> folder = files_.ResolvedPath(given_path.substr(0, FileNameStart(given_path, style)));
  if (!folder) return std::nullopt;
  return *folder + (folder->back() == '/' ? "" : "/") + lexical.substr(name);
}

AddOutcome VideoList::AddVideo(const std::string& given_path, const std::string& root) {
  const PathStyle style = workspace_.Style();
  // One file, one row: "a//b" and "a/./b" are "a/b"; so is "a/c/../b" where c is a folder.
  const std::optional<std::string> resolved = FileOf(given_path);
  if (!resolved) return RefusalReason::kFileMissing;
  const std::string& path = *resolved;
  if (FileNameStart(path, style) == 0) return RefusalReason::kNoFolder;
  // list.log keeps a path a line; a line break would cut it in two.
  if (path.find_first_of("\r\n") != std::string::npos) return RefusalReason::kLineBreakInName;
  if (listed_.Contains(path)) return RefusalReason::kAlreadyListed;
  if (!IsVideoFile(path, video_exts_, style)) return RefusalReason::kNotAVideo;
  if (path.size() > kMaxVideoPathLength) return RefusalReason::kPathTooLong;
  if (!files_.Exists(path)) return RefusalReason::kFileMissing;
  if (files_.IsDirectory(path)) return RefusalReason::kIsFolder;
  if (IsOutput(path, place_.folder + Separator(style), files_, style)) return RefusalReason::kInIncoming;

  VideoRow row;
  row.entry.path = path;
  row.root = root.empty() ? root : NormalizeLexically(root, style);
  while (row.root.size() > 1 && row.root.back() == Separator(style)) row.root.pop_back();
  row.title = VideoBaseName(path, style);
  row.subtitle = SubtitleColumn(path, {});
  OutputGroup& group = groups_[GroupOf(row)];
  rows_.push_back(std::move(row));
  listed_.Add(path);
  group.rows.push_back(rows_.size() - 1);
  // What the disk showed for the group's names stays good while rows come in one by
  // one: a folder of thousands of clips of one name is not looked at again for each.
  NameGroup(group, false);
  ++changes_;
  return std::nullopt;
}

void VideoList::RemoveVideo(std::size_t row) {
  const std::size_t target = row;
  if (target >= rows_.size()) throw std::out_of_range("no such row");
  std::size_t index = 0;
  RemoveRowsWhere([&](const VideoRow&) { return index++ == target; });
}

void VideoList::RemoveRowsWhere(const std::function<bool(const VideoRow&)>& remove) {
  std::size_t kept = 0;
  std::size_t removed = 0;
  std::set<std::string> left;  // the groups that lost a row
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (!remove(rows_[i])) {
      if (kept != i) rows_[kept] = std::move(rows_[i]);
      ++kept;
      continue;
    }
    // Where the row stands at this moment of a one-by-one walk.
    const std::size_t current = i - removed;
    const std::size_t count_after = rows_.size() - removed - 1;
    if (focused_) {
      if (*focused_ > current) --*focused_;
      else if (*focused_ == current && *focused_ >= count_after)
        focused_ = count_after == 0 ? std::nullopt : std::optional<std::size_t>(count_after - 1);
    }
    if (rows_[i].selected) --selected_count_;
    listed_.Remove(rows_[i].entry.path);
    left.insert(GroupOf(rows_[i]));
    ++removed;
  }
  rows_.resize(kept);
  if (removed == 0) return;
  ++changes_;
  IndexGroups();
  for (const std::string& group : left) {
    const auto members = groups_.find(group);
    if (members != groups_.end()) NameGroup(members->second, true);
  }
}

void VideoList::SetSelected(std::size_t row, bool selected) {
  VideoRow& target = rows_.at(row);
  if (target.selected == selected) return;
  target.selected = selected;
  if (selected) ++selected_count_;
  else --selected_count_;
}

void VideoList::SelectAll() {
  for (VideoRow& row : rows_) row.selected = true;
  selected_count_ = rows_.size();
}

void VideoList::SelectOnly(const std::vector<std::size_t>& rows) {
  for (std::size_t row = 0; row < rows_.size(); ++row) SetSelected(row, false);
  for (std::size_t row : rows) SetSelected(row, true);
}

std::vector<std::size_t> VideoList::SelectedRows() const {
  std::vector<std::size_t> selected;
  selected.reserve(selected_count_);
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].selected) selected.push_back(i);
  return selected;
}

std::optional<std::size_t> VideoList::FirstSelected() const {
  if (selected_count_ == 0) return std::nullopt;
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].selected) return i;
  return std::nullopt;
}

void VideoList::SetFocusedRow(std::optional<std::size_t> row) {
  if (row && *row >= rows_.size()) throw std::out_of_range("no such row");
  focused_ = row;
}

void VideoList::MarkProbed(std::size_t row) { rows_.at(row).entry.probed = true; }

void VideoList::StoreFacts(std::size_t row, MediaFacts facts) {
  VideoRow& target = rows_.at(row);
  target.entry.facts = std::move(facts);
  // Only the probe knows the tracks inside the video.
  target.subtitle = SubtitleColumn(target.entry.path, target.entry.facts.subtitle_tracks);
}

std::string VideoList::SubtitleColumn(const std::string& path, const std::vector<MediaTrack>& tracks) const {
  const FoundSubtitle found = FindSubtitle(
      path, workspace_.Style(), [this](const std::string& file) { return IsFile(file); }, tracks);
  if (!found) return "-";
  return found.DrawnFromVideo() ? Utf8ToAnsi(u8"내장") : "OK";
}

void VideoList::AppendToTitle(std::size_t row, const std::string& text) { rows_.at(row).title += text; }

std::string VideoList::GroupOf(const VideoRow& row) const {
  const PathStyle style = workspace_.Style();
  const std::string group = OutputFolderFor(row.entry.path, row.root, place_, style) + Separator(style) +
                            VideoBaseName(row.entry.path, style);
  return style == PathStyle::kWindows ? AsciiLower(group) : group;
}

void VideoList::IndexGroups() {
  groups_.clear();
  for (std::size_t i = 0; i < rows_.size(); ++i) groups_[GroupOf(rows_[i])].rows.push_back(i);
}

void VideoList::SetOutputPlace(OutputPlace place) {
  if (place == place_) return;
  place_ = std::move(place);
  IndexGroups();
  for (auto& [key, group] : groups_) NameGroup(group, true);
}

void VideoList::NameGroup(OutputGroup& group, bool look_again) {
  const std::vector<std::size_t>& members = group.rows;
  const PathStyle style = workspace_.Style();
  const VideoRow& first = rows_.at(members.front());
  const std::string folder = OutputFolderFor(first.entry.path, first.root, place_, style);
  const std::string base = VideoBaseName(first.entry.path, style);
  std::vector<std::string> videos;
  for (std::size_t row : members) videos.push_back(rows_[row].entry.path);
  std::vector<CandidateState>& seen = group.seen;
  if (look_again) {
    seen.clear();
    group.looked = look_;
  }
  const auto look = [&](std::size_t n) {
    if (n <= seen.size()) return seen[n - 1];
    const std::string candidate = OutputCandidate(folder, base, n, style);
    seen.push_back({IsFile(candidate), RecordedSource(candidate, files_, style)});
    return seen.back();
  };
  const std::vector<std::size_t> names = AssignOutputNames(videos, look, style);
  for (std::size_t i = 0; i < members.size(); ++i) {
    VideoRow& row = rows_[members[i]];
    row.target.output = OutputCandidate(folder, base, names[i], style);
    row.target.name = JobNameFor(row.target.output, place_, style);
    const CandidateState state = names[i] <= seen.size() ? seen[names[i] - 1] : CandidateState{};
    row.encoded_marker = ConvertedHere(row.entry.path, state.exists, state.made_from, members.size(), style) ? "*" : "";
  }
}

void VideoList::NameFromDisk(std::size_t row) {
  OutputGroup& group = groups_.at(GroupOf(rows_.at(row)));
  if (group.looked != look_) NameGroup(group, true);
}

std::vector<AddOutcome> AddDroppedFiles(VideoList& list, const std::vector<std::string>& paths) {
  std::vector<AddOutcome> outcomes;
  outcomes.reserve(paths.size());
  for (const std::string& path : paths) outcomes.push_back(list.AddVideo(path));
  return outcomes;
}

}  // namespace clipvane
