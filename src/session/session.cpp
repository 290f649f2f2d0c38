#include "session/session.h"

#include <algorithm>

#include "jobs/job_plan.h"
#include "media/audio_tracks.h"
#include "media/list_commands.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "runs/leftovers.h"
#include "runs/power_run.h"
#include "runs/run_scripts.h"
#include "runs/slurm_cluster.h"
#include "settings/avisynth_readiness.h"
#include "subtitles/avs_script.h"
#include "subtitles/ssa_style.h"
#include "subtitles/subtitle_source.h"

namespace clipvane {

Session::Session(Program& program, CoreServices& services)
    : program_(program),
      services_(services),
      list_(program.workspace, services.files, program.startup.videoexts),
      probe_(services.mediainfo, services.files, program.workspace.Style(), EncoderIdentifies(program.workspace)),
      rows_(list_, probe_),
      jobs_{{program.workspace, kNativeScriptDialect, program.settings, program.preset, program.startup.fontsdir},
            services.files,
            [this](const std::string& video, const std::string& job_name, const FoundSubtitle& subtitle,
                   const std::string& source,
                   const SsaStyleMetrics& metrics) { WriteAvs(video, job_name, subtitle, source, metrics); }} {
  list_.SetOutputPlace(OutputPlaceOf(program.settings, program.workspace));
}

void Session::OpenWorkspace() {
  program_.workspace.CreateFolders(services_.files);
  RemoveLeftovers(program_.workspace, services_.files);
  stored_list_ = LoadVideoList(list_, services_.files, program_.workspace);
  changes_at_load_ = list_.Changes();
}

bool Session::SaveList() {
  if (list_.Changes() == changes_at_load_) return false;
  stored_list_ = SaveVideoList(list_, stored_list_, services_.files, program_.workspace);
  changes_at_load_ = list_.Changes();  // a second save has nothing more to write
  return true;
}

std::unique_ptr<FileLock> Session::LockList() {
  return services_.files.LockExclusive(program_.workspace.ListLockFile());
}

std::string Session::JobScript(std::size_t row) const {
  return JobScriptPath(list_.Row(row).target.name, program_.workspace, jobs_.setup.dialect);
}

std::string Session::Output(std::size_t row) const { return list_.Row(row).target.output; }

std::string Session::JobLog(std::size_t row) const {
  return JobLogPath(list_.Row(row).target.name, program_.workspace);
}

FileStamp Session::OutputStamp(std::size_t row) const { return services_.files.Stamp(Output(row)); }

std::string Session::StatusFile(std::size_t row) const {
  return JobRecordPath(list_.EntryPath(row), program_.workspace);
}

bool Session::JobLogExists(std::size_t row) const { return services_.files.Exists(JobLog(row)); }

JobStatus Session::Status(std::size_t row) const { return ReadJobStatus(services_.files, StatusFile(row)); }

bool Session::StopAsked(std::size_t row) const { return StopRequested(services_.files, StatusFile(row)); }

std::vector<std::string> Session::LiveJobs() const {
  std::vector<std::string> live;
  for (const std::string& file : JobRecordsIn(services_.files, program_.workspace.Temp()))
    if (IsLive(ReadJobStatus(services_.files, file).state)) live.push_back(file);
  return live;
}

std::vector<std::size_t> Session::StopRows(const std::vector<std::size_t>& rows) {
  std::vector<std::size_t> asked;
  for (std::size_t row : rows)
    if (row < list_.RowCount() && Record(StatusFile(row)).RequestStop()) asked.push_back(row);
  std::vector<std::string> records;
  for (std::size_t row : asked) records.push_back(StatusFile(row));
  ClearCancelledTasks(records);
  return asked;
}

Session::StoppedAll Session::StopAll() {
  StoppedAll stopped;
  // First, so that no queue ending meanwhile takes the power action.
  stopped.power_action_held = PowerRun(services_.files, program_.workspace).Hold();
  for (const std::string& file : LiveJobs())
    if (Record(file).RequestStop()) stopped.asked.push_back(file);
  ClearCancelledTasks(stopped.asked);
  return stopped;
}

// A cluster task taken out of Slurm's queue never runs its script to clear up after it.
void Session::ClearCancelledTasks(const std::vector<std::string>& records) {
  for (const std::string& record : records) {
    const JobStatus now = StoredJobStatus(services_.files, record);
    if (now.state == JobState::kStopped && !now.slurm.empty()) {
      RemoveLeftovers(program_.workspace, services_.files);
      return;
    }
  }
}

void Session::CancelOverdueStops(const std::vector<std::string>& records) {
  std::vector<std::string> tasks;
  for (const std::string& task : OverdueClusterStops(services_.files, records))
    if (cancelled_tasks_.insert(task).second) tasks.push_back(task);
  // A cancel that fails is tried no more: the window keeps saying the job is stopping.
  static_cast<void>(CancelSlurmTasks(tasks));
}

JobRecord Session::Record(const std::string& record) {
  return JobRecord(services_.files, record, program_.workspace.Style());
}

std::optional<std::size_t> Session::RowOfStatusFile(const std::string& status_file) const {
  for (std::size_t row = 0; row < list_.RowCount(); ++row)
    if (SamePath(StatusFile(row), status_file, program_.workspace.Style())) return row;
  return std::nullopt;
}

// A subtitle found with the videos goes with its video, whose row shows it: it is
// not one of the files an add left out.
bool Session::IsSubtitleBesideVideos(const std::string& path, RefusalReason reason) const {
  return reason == RefusalReason::kNotAVideo && IsSubtitleFile(path, program_.workspace.Style());
}

AddReport Session::AddItems(const std::vector<std::string>& paths, const Progress& progress,
                            const std::function<bool()>& stop_wanted) {
  // A window breathes at each step: often enough to answer a stop at once, seldom
  // enough that a folder of tens of thousands of files is not slowed by its painting.
  constexpr std::size_t kFilesPerStep = 256;
  AddReport report;
  const auto step = [&](const std::string& folder) {
    if (progress) progress({ProgressStep::Kind::kSearching, folder, report.added});
    report.stopped = stop_wanted && stop_wanted();
    return !report.stopped;
  };
  // The root stays with each file, for keeping a subfolder's place under the folder's name.
  const auto add = [&](const FoundFile& file) {
    const AddOutcome outcome = list_.AddVideo(file.path, file.root);
    if (!outcome) ++report.added;
    else if (*outcome == RefusalReason::kAlreadyListed) ++report.already_listed;
    else if (!IsSubtitleBesideVideos(file.path, *outcome)) report.skipped.emplace_back(file.path, *outcome);
  };
  for (const std::string& path : paths) {
    if (!services_.files.IsDirectory(path)) {
      add({path, {}});
      continue;
    }
    const bool whole = WalkFolder(services_.files, path, [&](const std::string& folder, const auto& found) {
      if (!step(folder)) return false;
      for (std::size_t i = 0; i < found.size(); ++i) {
        if (i > 0 && i % kFilesPerStep == 0 && !step(folder)) return false;
        add(found[i]);
      }
      return true;
    });
    if (!whole) break;
  }
  return report;
}

void Session::Refresh(const Progress& progress) { RefreshList(list_, probe_, progress); }

VideoEntry Session::Probe(std::size_t row, const Progress& progress) { return probe_.ProbeVideo(list_, row, progress); }

std::vector<std::string> Session::SubtitleClasses(std::size_t row) {
  const FileSystem& files = services_.files;
  const VideoEntry entry = Probe(row);
  const FoundSubtitle subtitle = FindSubtitle(
      entry.path, program_.workspace.Style(), [&files](const std::string& path) { return files.Exists(path); },
      entry.facts.subtitle_tracks);
  const auto bytes = subtitle ? subtitle.source->Read(files, subtitle.path) : std::nullopt;
  return bytes ? subtitle.source->Classes(subtitle, *bytes) : std::vector<std::string>{};
}

std::vector<std::string> Session::AudioLanguages(std::size_t row) {
  return clipvane::AudioLanguages(Probe(row).facts.audio_tracks);
}

std::optional<RefusalReason> Session::PictureProblem(const VideoEntry& entry) const {
  if (entry.facts.height == 0 && !services_.files.Exists(entry.path)) return RefusalReason::kFileMissing;
  return clipvane::PictureRefusal(entry.facts);
}

EncodeCommandContext Session::Commands(const Progress& progress) {
  list_.LookAgain();  // each row's MP4 is named from the disk as it is now
  return {jobs_, services_.shell, progress};
}

EncodeResult Session::EncodeSelection(const Progress& progress) {
  EncodeCommandContext context = Commands(progress);
  return clipvane::EncodeSelection(rows_, context);
}

EncodeResult Session::EncodeWholeList(int queues, PowerAction after, const Progress& progress) {
  EncodeCommandContext context = Commands(progress);
  return clipvane::EncodeWholeList(queues, rows_, after, context);
}

EncodeResult Session::EncodeOnCluster(bool whole_list, int at_once, const Progress& progress) {
  EncodeCommandContext context = Commands(progress);
  return clipvane::EncodeOnCluster(whole_list, {at_once, SlurmOptionWords(program_.settings.slurmoptions)}, rows_,
                                   context);
}

EncodeResult Session::MakeBatchFiles(PowerAction after, const Progress& progress) {
  EncodeCommandContext context = Commands(progress);
  return clipvane::MakeBatchFiles(rows_, after, context);
}

std::vector<std::string> Session::RunScripts(int queues) const {
  return RunScriptPaths(queues, program_.workspace, jobs_.setup.dialect);
}

std::string Session::OutputFolder() const { return list_.Place().folder; }

void Session::MakeOutputFolder() {
  if (!services_.files.IsDirectory(OutputFolder())) services_.files.MakeFolders(OutputFolder());
}

std::string Session::ScriptFolder() const { return program_.workspace.Batch(); }

char Session::Separator() const { return clipvane::Separator(program_.workspace.Style()); }

SettingsCheck Session::LoadSettings() {
  const SettingsCheck check = clipvane::LoadSettings(program_.settings, program_.preset, *program_.ini);
  list_.SetOutputPlace(OutputPlaceOf(program_.settings, program_.workspace));
  return check;
}

SettingsCheck Session::SaveSettings() {
  const SettingsCheck check = clipvane::SaveSettings(program_.settings, program_.preset, *program_.ini);
  // The list takes the next drop's files at once, not only after a restart.
  program_.startup.videoexts = VideoExtensionList(program_.settings.videofileext);
  list_.SetOutputPlace(OutputPlaceOf(program_.settings, program_.workspace));
  return check;
}

bool Session::MakeColourRouteReady(AviSynthSystem& avisynth, const std::function<bool()>& ask_to_install) {
  std::string plugin_dir;
  const bool ready = MakeAviSynthReady(avisynth, program_.workspace, plugin_dir, ask_to_install);
  avisynth_plugin_dir_ = plugin_dir;
  return ready;
}

void Session::WriteAvs(const std::string& video_path, const std::string& job_name, const FoundSubtitle& subtitle,
                       const std::string& source, const SsaStyleMetrics& metrics) {
  const SsaStyle style =
      SsaStyleFor(program_.settings, program_.preset, metrics.font_size, metrics.margin_v, metrics.play_res_y);
  WriteAvsScript(services_.files, program_.workspace, avisynth_plugin_dir_, video_path,
                 {subtitle, program_.settings.subtitleclass}, style, program_.colours, source, job_name);
}

}  // namespace clipvane
