#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/power_action.h"
#include "common/progress.h"
#include "jobs/job_script.h"
#include "media/media_probe.h"
#include "media/video_list.h"
#include "media/video_list_file.h"
#include "platform/file_system.h"
#include "runs/encode_commands.h"
#include "runs/job_outcome.h"
#include "runs/job_record.h"
#include "runs/list_encode_rows.h"
#include "session/program.h"
#include "settings/settings_store.h"

namespace clipvane {

class AviSynthSystem;
class FileLock;
class MediaInfoLibrary;
class Shell;

// The services of the core, built once by a front end's main and handed in.
struct CoreServices {
  FileSystem& files;
  Shell& shell;  // starts scripts as the desktop does
  MediaInfoLibrary& mediainfo;
};

// The settings as the options dialog and the settings command edit them: the record,
// what its last load derived, and MP4.ini, which the subtitle lists read on first need.
struct SettingsInHand {
  EncodeSettings& settings;
  EncoderPreset& preset;
  IniProfile& ini;
};

// What an add of files and folders did.
struct AddReport {
  std::size_t added = 0;           // rows added
  std::size_t already_listed = 0;  // files the list held already
  std::vector<Refusal> skipped;    // the other files left out but subtitles, in the order met, with why
  bool stopped = false;            // stopped on request before the end
};

// What the main window, or the command line in its place, works with: the video list
// and its probe, and the jobs and commands over them, offered as operations on rows.
// It refers to the program's record and must not outlive it.
class Session {
 public:
  Session(Program& program, CoreServices& services);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // What the main window's creation does: make the workspace folders, clear what
  // ended jobs left in them, and load list.log.
  void OpenWorkspace();
  // Writes list.log, as closing the main window does, when rows were added or
  // removed since it was read or last written: a list that did not change leaves the
  // file alone. Only this list's own additions and removals are written into the
  // file as it is now, so rows other processes added meanwhile stay. Call it holding
  // LockList. Returns whether it wrote. Throws PlatformError.
  bool SaveList();
  // The lock that whatever reads, changes and writes list.log holds meanwhile.
  // Throws PlatformError.
  std::unique_ptr<FileLock> LockList();

  // The rows, their selection and focus.
  VideoList& List() { return list_; }
  const VideoList& List() const { return list_; }

  // A row's job: its script, the MP4 it makes, where its log stays, how that MP4
  // stands now, and its record, where the job says how it stands (runs/job_record.h).
  std::string JobScript(std::size_t row) const;
  std::string Output(std::size_t row) const;
  std::string JobLog(std::size_t row) const;
  FileStamp OutputStamp(std::size_t row) const;
  std::string StatusFile(std::size_t row) const;
  // Whether the row's job left its log where it stays (JobLog).
  bool JobLogExists(std::size_t row) const;
  // How the row's job stands now, as every window and the command line see it.
  JobStatus Status(std::size_t row) const;
  // Whether the row's job has been asked to stop (its request is there).
  bool StopAsked(std::size_t row) const;

  // The records of the jobs that run or wait now, in the workspace, listed or not.
  std::vector<std::string> LiveJobs() const;
  // Asks the jobs of these rows to stop (see JobRecord::RequestStop); returns the rows
  // whose job was live. Throws PlatformError when a request cannot be written.
  std::vector<std::size_t> StopRows(const std::vector<std::size_t>& rows);
  // Asks every live job of the workspace to stop, and holds back the power action of
  // the run (PowerRun::Hold), even after its last job, while it waits to be taken.
  struct StoppedAll {
    std::vector<std::string> asked;  // the records of the jobs asked to stop
    bool power_action_held = false;  // a run's power action was still to come
  };
  StoppedAll StopAll();
  // Tells Slurm to end the cluster tasks of these records that were asked to stop
  // kStopGraceSeconds ago and still run (OverdueClusterStops), each task once.
  void CancelOverdueStops(const std::vector<std::string>& records);
  // The listed row whose job reports in `status_file`, if any.
  std::optional<std::size_t> RowOfStatusFile(const std::string& status_file) const;

  // Commands over the list.
  // Files and folders to add, dropped, picked in a dialog or named on a command line:
  // a folder gives the files in it and in every folder below it (WalkFolder); each
  // file goes through AddVideo, in that order. `progress` is told each folder as it
  // is read and every so many files (ProgressStep::kSearching, with the rows added so
  // far), and `stop_wanted` is asked then: true stops the add there, and the rows added
  // stay.
  AddReport AddItems(const std::vector<std::string>& paths, const Progress& progress = {},
                     const std::function<bool()>& stop_wanted = {});
  void Refresh(const Progress& progress = {});
  // A copy of the row's entry, probed first when it never was.
  VideoEntry Probe(std::size_t row, const Progress& progress = {});
  // Why every probe fails, when the library is not there.
  MediaInfoProblem LibraryProblem() const { return probe_.LibraryProblem(); }
  // The classes (languages) the subtitle of a row's video offers; none without one, or
  // of a kind that has none. The video is probed first when it never was: the
  // languages of its own tracks are the probe's.
  std::vector<std::string> SubtitleClasses(std::size_t row);
  // The languages of a row's sound tracks (AudioLanguages), probed first when it never was.
  std::vector<std::string> AudioLanguages(std::size_t row);
  // Why a probed entry gives no picture, or nothing when it does.
  std::optional<RefusalReason> PictureProblem(const VideoEntry& entry) const;

  // The encode commands, starting their scripts through the session's shell.
  EncodeResult EncodeSelection(const Progress& progress);
  EncodeResult EncodeWholeList(int queues, PowerAction after, const Progress& progress);
  EncodeResult MakeBatchFiles(PowerAction after, const Progress& progress);
  // The selected rows, or the whole list, as one job array on a Slurm cluster with at
  // most `at_once` tasks running (0: no limit), with the settings' sbatch options.
  EncodeResult EncodeOnCluster(bool whole_list, int at_once, const Progress& progress);
  // The run scripts a whole-list command of that many queues writes (0: all of them).
  std::vector<std::string> RunScripts(int queues) const;
  ScriptDialect Dialect() const { return jobs_.setup.dialect; }

  // The folders the windows open: the workspace's own, wherever the program was
  // started from.
  std::string OutputFolder() const;
  // Makes the output folder when it is not there; a failure shows when it is opened.
  void MakeOutputFolder();
  std::string ScriptFolder() const;
  char Separator() const;

  // The settings.
  const EncodeSettings& Settings() const { return program_.settings; }
  // The extensions (without the dot) the list takes for videos now.
  const std::vector<std::string>& VideoExtensions() const { return program_.startup.videoexts; }
  // Loads MP4.ini into the record and derives the presets; saves the record, loads it
  // again, and takes its video extensions for the next drop at once. Save throws
  // PlatformError.
  SettingsCheck LoadSettings();
  SettingsCheck SaveSettings();
  SettingsInHand EditSettings() { return {program_.settings, program_.preset, *program_.ini}; }
  // Readies the coloured route's drawing when it is switched on (finding, or asking to
  // install, what draws it); false when it cannot be had.
  bool MakeColourRouteReady(AviSynthSystem& avisynth, const std::function<bool()>& ask_to_install);
  // The plug-in folder of the drawing filter, with a trailing separator, or empty;
  // found when the colour route is switched on, or given by a front end that draws
  // with its own tools.
  void SetAviSynthPluginDir(std::string folder) { avisynth_plugin_dir_ = std::move(folder); }
  const std::string& AviSynthPluginDir() const { return avisynth_plugin_dir_; }

 private:
  EncodeCommandContext Commands(const Progress& progress);
  bool IsSubtitleBesideVideos(const std::string& path, RefusalReason reason) const;
  JobRecord Record(const std::string& record);
  void ClearCancelledTasks(const std::vector<std::string>& records);
  void WriteAvs(const std::string& video_path, const std::string& job_name, const FoundSubtitle& subtitle,
                const std::string& source, const SsaStyleMetrics& metrics);

  Program& program_;
  CoreServices& services_;
  VideoList list_;
  StoredList stored_list_;           // the rows list.log gave when it was read or last written
  std::size_t changes_at_load_ = 0;  // the list's count of changes then
  MediaProbe probe_;
  ListEncodeRows rows_;
  JobContext jobs_;
  std::string avisynth_plugin_dir_;
  std::set<std::string> cancelled_tasks_;  // the Slurm tasks CancelOverdueStops has cancelled
};

}  // namespace clipvane
