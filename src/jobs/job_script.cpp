#include "jobs/job_script.h"

#include <vector>

#include "platform/file_system.h"
#include "platform/platform_error.h"

namespace clipvane {
namespace {

// Undoes a build that failed half-way, so that no stray files are left in temp.
class BuildCleanup {
 public:
  explicit BuildCleanup(FileSystem& files) : files_(files) {}
  ~BuildCleanup() {
    if (!done_)
      for (const std::string& path : made_) files_.RemoveFile(path);
  }
  void Made(const std::string& path) { made_.push_back(path); }
  void Done() { done_ = true; }

 private:
  FileSystem& files_;
  std::vector<std::string> made_;
  bool done_ = false;
};

}  // namespace

JobBuild BuildJobScript(const std::string& video_path, const JobTarget& target, const MediaFacts& facts,
                        JobContext& context, const BuiltHook& built) {
  const Workspace& workspace = context.setup.workspace;
  if (const auto refused = JobRefusal(video_path, target, facts, workspace)) return {refused, {}, {}};
  FileSystem& files = context.files;
  // Through a link, or as another name of the same file, the video may still be where
  // its job writes.
  if (IsOutput(video_path, FolderPart(target.output, workspace.Style()), files, workspace.Style()))
    return {RefusalReason::kInIncoming, {}, {}};
  const FileStamp video = files.Stamp(video_path), output = files.Stamp(target.output);
  if (video.exists && output.exists && video.volume == output.volume && video.identity == output.identity)
    return {RefusalReason::kSourceIsOutput, {}, {}};
  const PathStyle style = workspace.Style();
  const FoundSubtitle subtitle = FindSubtitle(
      video_path, style, [&files](const std::string& path) { return files.Exists(path); }, facts.subtitle_tracks);
  // Only a file is read: a folder, or a pipe that would never end, is said, not read.
  if (subtitle && !subtitle.source->Readable(files, subtitle.path)) return {RefusalReason::kSubtitleNotAFile, {}, {}};
  // No clearing of ended jobs' files mistakes this one's for theirs before its script is written.
  const std::unique_ptr<FileLock> lock = files.LockExclusive(workspace.TempLockFile());
  BuildCleanup cleanup(files);

  const std::string job_log = files.MakeUniqueTempFile(workspace.Temp(), "qv");
  cleanup.Made(job_log);
  const JobPlan plan = PlanJob(video_path, target, facts, subtitle, job_log, context.setup);

  // The folder of the user's choice, and its subfolders, may not be there yet.
  const std::string output_folder = FolderPart(target.output, style);
  if (!files.IsDirectory(output_folder) && !files.MakeFolders(output_folder.substr(0, output_folder.size() - 1)))
    throw PlatformError("Cannot make the folder " + output_folder);
  for (const std::string& stale : plan.stale) files.RemoveFile(stale);
  if (subtitle && !subtitle.DrawnFromVideo()) {
    const auto bytes = subtitle.source->Read(files, subtitle.path);
    if (!bytes) throw PlatformError("Cannot read " + subtitle.path);
    cleanup.Made(plan.files.subtitle_copy);
    files.ReplaceWholeFile(plan.files.subtitle_copy,
                           subtitle.source->PlainCopy(*bytes, context.setup.settings.subtitleclass));
  }
  if (plan.route == SubtitleRoute::kColoured) {
    context.write_avs(video_path, target.name, subtitle, plan.avs_source, plan.metrics);
    cleanup.Made(plan.files.avs.ssa);
    cleanup.Made(plan.files.avs.avs);
  }
  files.ReplaceWholeFile(plan.files.script,
                         RenderScript(context.setup.dialect, workspace.AppDir(), plan.steps, plan.on_failure));
  const JobBuild done{std::nullopt, plan.files, FileNamePart(WithoutExtension(job_log, style), style)};
  if (built) built(done);
  cleanup.Done();
  return done;
}

}  // namespace clipvane
