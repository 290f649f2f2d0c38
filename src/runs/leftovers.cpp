#include "runs/leftovers.h"

#include <algorithm>
#include <map>
#include <set>

#include "jobs/job_files.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/system_services.h"
#include "runs/job_record.h"
#include "subtitles/avs_script.h"

namespace clipvane {
namespace {

enum class Keep { kNothing, kPrepared, kAll };

}  // namespace

std::vector<std::string> RemoveLeftovers(const Workspace& workspace, FileSystem& files) {
  const PathStyle style = workspace.Style();
  std::unique_ptr<FileLock> lock;
  try {
    lock = files.LockExclusive(workspace.TempLockFile());
  } catch (const PlatformError&) {
    return {};  // a folder that cannot be written has nothing of ours to clear
  }
  std::vector<std::string> removed;
  const auto remove = [&](const std::string& path) {
    if (files.RemoveFile(path)) removed.push_back(path);
  };
  // What each build the records name keeps, and the SSA files and AviSynth scripts,
  // named after a video, that a job keeps or left.
  std::map<std::string, Keep> builds;
  std::set<std::string> kept_avs, ended_avs;
  // Where builds make their MP4s: incoming, as earlier versions' records say nothing,
  // and the folder of each MP4 a record names.
  std::set<std::string> folders{workspace.Temp(), workspace.Incoming()};
  for (const std::string& record : JobRecordsIn(files, workspace.Temp())) {
    const JobStatus job = ReadJobStatus(files, record);
    // A written job's script still deletes its files and moves its log to batch after
    // the check wrote the record: they are its own until that script has ended.
    const bool finishing = job.state == JobState::kWritten && IsRunning(job.owner);
    Keep keep = HoldsItsRow(files, record, job) || finishing ? Keep::kAll : Keep::kNothing;
    if (keep == Keep::kNothing) {
      remove(StopRequestPath(record));
      // A script written and never run: its log is still as its build made it.
      const FileStamp log =
          job.build.empty() ? FileStamp{} : files.Stamp(BuildFilePath(job.build, kBuildTempSuffixes[0], workspace));
      // A stopped one is not to be run by hand: its next run builds it anew.
      if (log.exists && log.size == 0 && job.state != JobState::kStopped) keep = Keep::kPrepared;
    }
    if (!job.build.empty()) builds[job.build] = std::max(builds[job.build], keep);
    if (!job.output.empty()) {
      const std::string folder = FolderPart(job.output, style);
      folders.insert(folder.substr(0, folder.size() - 1));
    }
    // Named after the job: its MP4's name, with its key below a subfolder, or, for an
    // earlier version's record, the video's.
    std::vector<std::string> names;
    if (!job.video.empty()) names.push_back(VideoBaseName(job.video, style));
    if (!job.output.empty()) {
      const std::string name = VideoBaseName(job.output, style);
      names.insert(names.end(), {name, name + "." + PathKey(job.output, style)});
    }
    for (const std::string& name : names) {
      const AvsFiles avs = AvsScriptPaths(workspace, name);
      for (const std::string& path : {avs.ssa, avs.avs}) (keep == Keep::kNothing ? ended_avs : kept_avs).insert(path);
    }
  }
  for (const std::string& folder : folders)
    for (const std::string& path : files.FilesIn(folder)) {
      const std::optional<BuildFileName> file = BuildOfFile(path, workspace);
      if (!file) continue;
      const auto build = builds.find(file->build);
      const Keep keep = build == builds.end() ? Keep::kNothing : build->second;
      if (keep == Keep::kAll || (keep == Keep::kPrepared && file->prepared)) continue;
      remove(path);
    }
  for (const std::string& path : ended_avs)
    if (!kept_avs.count(path)) remove(path);
  return removed;
}

}  // namespace clipvane
