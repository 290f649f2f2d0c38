#include "jobs/job_files.h"

#include <cstdint>
#include <cstdio>

#include "platform/text_encoding.h"
#include "settings/encode_settings.h"

namespace clipvane {
namespace {

// Windows names a temporary file in upper-case digits, Wine in lower case; a tool's
// partial file ends in lower case.
bool IsHex(const std::string& text, bool any_case) {
  if (text.empty()) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (any_case && c >= 'A' && c <= 'F'))) return false;
  return true;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

JobFiles NameJobFiles(const std::string& video_path, const JobTarget& target, const FoundSubtitle& subtitle,
                      const std::string& job_log, const Workspace& workspace, ScriptDialect dialect,
                      const EncodeSettings& settings, const EncoderPreset& preset) {
  const PathStyle style = workspace.Style();
  JobFiles files;
  files.script = JobScriptPath(target.name, workspace, dialect);
  files.output = target.output;
  files.source_note = SourceRecordPath(files.output, style);
  files.job_log = job_log;
  const std::string temp_base = WithoutExtension(job_log, style);
  // Without a copy (no subtitle, or one drawn from the video), the name the first
  // kind's copy takes: a stale copy of that name from an earlier build of this log
  // name still goes.
  const bool copied = subtitle && !subtitle.DrawnFromVideo();
  files.subtitle_copy = temp_base + (copied ? subtitle.source : SubtitleSources().front())->CopyExtension();
  // The first pass of the subtitle-sync route takes the ".avi" name; its main encode
  // then writes beside it with "2" appended.
  files.first_pass_output = temp_base + ".avi";
  files.main_output = settings.subtitlesync ? files.first_pass_output + "2" : files.first_pass_output;
  files.raw_video = temp_base + preset.rawvideoext;
  files.raw_audio = temp_base + ".aac";
  // No video's MP4 can take this name: theirs all end in ".mp4".
  files.temp_output = BuiltMp4Path(FileNamePart(temp_base, style), files.output, style);
  files.kept_log = JobLogPath(target.name, workspace);
  files.record = JobRecordPath(video_path, workspace);
  files.stop_request = StopRequestPath(files.record);
  files.avs = AvsScriptPaths(workspace, target.name);
  return files;
}

std::string BuildFilePath(const std::string& build, const std::string& suffix, const Workspace& workspace) {
  return workspace.Temp() + Separator(workspace.Style()) + build + suffix;
}

std::string BuiltMp4Path(const std::string& build, const std::string& output, PathStyle style) {
  return FolderPart(output, style) + "." + build + kBuiltMp4Suffix;
}

std::optional<BuildFileName> BuildOfFile(const std::string& path, const Workspace& workspace) {
  const PathStyle style = workspace.Style();
  // Anywhere but in temp, only what a build makes beside its MP4.
  const bool beside_mp4 = !SamePath(FolderPart(path, style), workspace.Temp() + Separator(style), style);
  std::string name = FileNamePart(path, style);
  // The check's second name for a built MP4 is a partial file with ".mp4" after it.
  if (beside_mp4 && name.rfind("..", 0) == 0 && EndsWith(name, ".mp4")) name.resize(name.size() - 4);
  bool partial = false;
  const std::size_t last_dot = name.rfind('.');
  if (name.size() > 1 && name[0] == '.' && last_dot != std::string::npos && IsHex(name.substr(last_dot + 1), false)) {
    name = name.substr(1, last_dot - 1);  // a tool's partial file: the name it was to have
    partial = true;
  }
  if (beside_mp4) {
    if (name.empty() || name[0] != '.') return std::nullopt;
    name.erase(0, 1);
  }
  const std::size_t dot = name.find('.');
  if (dot == std::string::npos || name.rfind("qv", 0) != 0 || dot < 3 || dot > 6) return std::nullopt;
  const std::string build = name.substr(0, dot), suffix = name.substr(dot);
  if (!IsHex(build.substr(2), true)) return std::nullopt;
  if (beside_mp4) {
    if (suffix != kBuiltMp4Suffix) return std::nullopt;
    return BuildFileName{build, false};
  }
  for (std::size_t i = 0; i < std::size(kBuildTempSuffixes); ++i)
    if (suffix == kBuildTempSuffixes[i]) return BuildFileName{build, !partial && i == 0};
  for (const SubtitleSource* source : SubtitleSources())
    if (!source->CopyExtension().empty() && suffix == source->CopyExtension()) return BuildFileName{build, !partial};
  return std::nullopt;
}

std::string JobScriptPath(const std::string& job_name, const Workspace& workspace, ScriptDialect dialect) {
  return workspace.Batch() + Separator(workspace.Style()) + job_name + ScriptExtension(dialect);
}

std::string JobLogPath(const std::string& job_name, const Workspace& workspace) {
  return workspace.Batch() + Separator(workspace.Style()) + job_name + ".log";
}

std::string JobRecordPath(const std::string& video_path, const Workspace& workspace) {
  const PathStyle style = workspace.Style();
  const std::string base = VideoBaseName(video_path, style), key = PathKey(video_path, style);
  // 255 bytes a name at most: the base name, a dot, the key and ".job".
  const std::string name = base.size() + 13 <= kMaxFileNameBytes ? base + "." + key : key;
  return workspace.Temp() + Separator(style) + name + ".job";
}

std::string StopRequestPath(const std::string& record) {
  const std::size_t dot = record.rfind('.');
  return (dot == std::string::npos ? record : record.substr(0, dot)) + ".stp";
}

}  // namespace clipvane
