#include "media/output_names.h"

#include <cstdint>
#include <cstdio>

#include "common/workspace.h"
#include "platform/text_encoding.h"
#include "settings/encode_settings.h"

namespace clipvane {

OutputPlace OutputPlaceOf(const EncodeSettings& settings, const Workspace& workspace) {
  const PathStyle style = workspace.Style();
  std::string folder =
      settings.outputfolder.empty() ? workspace.Incoming() : NormalizeLexically(settings.outputfolder, style);
  // "D:\" and "/" keep their separator: without it they would name something else.
  while (folder.size() > 1 && folder.back() == Separator(style) && !(folder.size() == 3 && folder[1] == ':'))
    folder.pop_back();
  return {folder, settings.keepsubfolders};
}

bool IsFullFolderPath(const std::string& folder, PathStyle style) {
  if (folder.find_first_of("\r\n\"") != std::string::npos) return false;
  if (style == PathStyle::kPosix) return !folder.empty() && folder[0] == '/';
  const bool drive = folder.size() >= 3 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/') &&
                     ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
  return drive || (folder.size() > 2 && folder.compare(0, 2, "\\\\") == 0);
}

std::string OutputFolderFor(const std::string& video, const std::string& root, const OutputPlace& place,
                            PathStyle style) {
  if (!place.keep_subfolders || root.empty()) return place.folder;
  const std::string folder = FolderPart(video, style), top = root + Separator(style);
  // Only a video that lies under its added folder has a place below it there.
  if (folder.size() < top.size() || !SamePath(folder.substr(0, top.size()), top, style)) return place.folder;
  // A drive or "/" added whole has no name of its own to keep.
  const std::string name = FileNamePart(root, style), below = folder.substr(top.size());
  std::string result = place.folder;
  if (!name.empty()) result += Separator(style) + name;
  if (!below.empty()) result += Separator(style) + below.substr(0, below.size() - 1);
  return result;
}

std::string OutputCandidate(const std::string& folder, const std::string& base, std::size_t n, PathStyle style) {
  return folder + Separator(style) + base + (n <= 1 ? std::string() : " (" + std::to_string(n) + ")") + ".mp4";
}

std::vector<std::size_t> AssignOutputNames(const std::vector<std::string>& videos,
                                           const std::function<CandidateState(std::size_t n)>& look, PathStyle style) {
  std::vector<std::size_t> names(videos.size(), 0);
  // What stands at each name, looked at once, as far as a name can matter: up to one
  // for each video, and on while names are taken, so that a video whose MP4 lies
  // further on still finds it.
  std::vector<CandidateState> seen;
  for (std::size_t n = 1;; ++n) {
    CandidateState state = look(n);
    const bool nothing = !state.exists && !state.made_from;
    if (n > videos.size() && nothing) break;
    seen.push_back(std::move(state));
  }
  std::vector<bool> taken(seen.size() + videos.size() + 1, false);
  for (std::size_t v = 0; v < videos.size(); ++v)
    for (std::size_t n = 1; n <= seen.size() && names[v] == 0; ++n) {
      const auto& made_from = seen[n - 1].made_from;
      if (!taken[n] && made_from && SamePath(*made_from, videos[v], style)) names[v] = n, taken[n] = true;
    }
  const auto free = [&](std::size_t n) {
    if (taken[n]) return false;
    if (n > seen.size()) return true;
    const CandidateState& state = seen[n - 1];
    return state.made_from ? false : (!state.exists || n == 1);
  };
  std::size_t next = 1;
  for (std::size_t& name : names) {
    if (name != 0) continue;
    while (!free(next)) ++next;
    if (next >= taken.size()) taken.resize(next + 1, false);
    name = next;
    taken[next] = true;
  }
  return names;
}

std::string JobNameFor(const std::string& output, const OutputPlace& place, PathStyle style) {
  const std::string name = FileNamePart(WithoutExtension(output, style), style);
  if (SamePath(FolderPart(output, style), place.folder + Separator(style), style)) return name;
  return name + "." + PathKey(output, style);
}

std::string ShownOutputName(const std::string& output, const OutputPlace& place, PathStyle style) {
  const std::string top = place.folder + Separator(style);
  const bool below = output.size() > top.size() && SamePath(output.substr(0, top.size()), top, style);
  return below ? output.substr(top.size()) : output;
}

std::string PathKey(const std::string& path, PathStyle style) {
  const std::string folded = style == PathStyle::kWindows ? AsciiLower(path) : path;
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : folded) hash = (hash ^ c) * 16777619u;
  char key[9];
  std::snprintf(key, sizeof key, "%08x", static_cast<unsigned>(hash));
  return key;
}

JobTarget LoneJobTarget(const std::string& video, const OutputPlace& place, PathStyle style) {
  const std::string output = OutputCandidate(place.folder, VideoBaseName(video, style), 1, style);
  return {output, JobNameFor(output, place, style)};
}

}  // namespace clipvane
