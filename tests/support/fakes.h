#pragma once
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/workspace.h"
#include "media/mediainfo_library.h"
#include "platform/file_system.h"
#include "runs/job_record.h"
#include "platform/shell.h"
#include "platform/system_services.h"
#include "settings/avisynth_readiness.h"
#include "ui/main_window_model.h"
#include "ui/notices.h"
#include "ui/run_follower.h"
#include "ui/subtitle_font_lists.h"

namespace clipvane::testing {

class FakeProcessList : public ProcessList {
 public:
  std::vector<ProcessEntry> processes;
  std::uint32_t own_id = 1;

  std::vector<ProcessEntry> Snapshot() const override { return processes; }
  std::uint32_t OwnProcessId() const override { return own_id; }

  // Adds `count` processes named `name` with fresh ids, started by `parent`, with
  // that command line when it is given.
  FakeProcessList& Running(const std::string& name, int count = 1, std::uint32_t parent = 0,
                           std::optional<std::string> command_line = std::nullopt) {
    for (int i = 0; i < count; ++i)
      processes.push_back({static_cast<std::uint32_t>(100 + processes.size()), name, parent, command_line});
    return *this;
  }
};

// Records the sleeps and power actions in one log, in their order.
class FakeMachine : public Sleeper, public PowerControl {
 public:
  std::vector<std::string> events;
  void SleepMilliseconds(unsigned milliseconds) override { events.push_back("sleep " + std::to_string(milliseconds)); }
  void PowerOff() override { events.push_back("power off"); }
  void Suspend() override { events.push_back("suspend"); }
};

// A job's status as its tools write it.
inline JobStatus Job(JobState state, int percent = -1, double fps = -1, int left = -1, std::string cause = "") {
  JobStatus status;
  status.state = state;
  status.percent = percent;
  status.fps = fps;
  status.seconds_left = left;
  status.cause = std::move(cause);
  return status;
}

// Writes a job's record as its tools would, owned by this process, which lives.
inline void SayJob(FileSystem& files, const std::string& record, JobStatus status) {
  status.owner = OwnProcess();
  files.ReplaceWholeFile(record, FormatJobStatus(status));
}

// The jobs a RecordingShell started never run, and would wait for ever: they are
// forgotten, as if they had ended, so that a test can start their rows again.
inline void ForgetStartedJobs(FileSystem& files, const Workspace& workspace) {
  for (const std::string& job : JobRecordsIn(files, workspace.Temp())) files.RemoveFile(job);
}

// Records the scripts it is asked to start and gives them the ids 1001, 1002, ...; with
// `fails` set none starts, as when the command interpreter is missing.
class RecordingShell : public Shell {
 public:
  std::vector<std::string> opened;
  bool fails = false;
  Expected<Launched, LaunchFailure> OpenScript(const std::string& path) override {
    opened.push_back(path);
    if (fails) return MakeUnexpected(LaunchFailure{"cmd", "not found"});
    return Launched{static_cast<std::uint32_t>(1000 + opened.size()), ""};
  }
};

// Records what it is asked to open; with `fails` set the desktop has no program for it.
class RecordingOpener : public DocumentOpener {
 public:
  std::vector<std::string> opened;
  bool fails = false;
  std::optional<NotOpened> Open(const std::string& target) override {
    opened.push_back(target);
    return fails ? std::optional(NotOpened{}) : std::nullopt;
  }
};

// Hands out what the test put in `files` or `folder`, once, as if the user picked it;
// a second pick is a cancel.
class PreparedPicker : public ItemPicker {
 public:
  PickedItems files, folder;
  std::vector<std::string> asked;  // the titles of the dialogs shown
  PickedItems PickFiles(const FilesDialogTexts& texts) override {
    asked.push_back(texts.title);
    return std::exchange(files, {});
  }
  PickedItems PickFolder(const std::string& title) override {
    asked.push_back(title);
    return std::exchange(folder, {});
  }
};

// Shows nothing, remembers every box and answers each question No, each choice with
// `choice`.
class RecordingDialogs : public Dialogs {
 public:
  std::vector<Notice> shown;
  int choice = -1;
  // The last box, or an empty one when none showed: a test that expected a box then
  // fails its comparison instead of reading past the end.
  Notice Last() const { return shown.empty() ? Notice{} : shown.back(); }
  void Tell(const Notice& notice) override { shown.push_back(notice); }
  bool Ask(const Notice& notice) override { return shown.push_back(notice), false; }
  int Choose(const Notice& notice, const std::vector<std::string>&) override { return shown.push_back(notice), choice; }
};

// AviSynth as a registry value and the files and folders that exist; the installer
// registers `installs_to`.
class FakeAviSynth : public AviSynthSystem {
 public:
  std::string registered, installs_to;
  std::set<std::string> existing;
  std::vector<std::string> calls;
  void Install(const std::string& folder) {
    registered = folder;
    const std::string sep(1, Separator(kNativePathStyle));  // the program's own workspace
    existing = {folder + sep, folder + sep + "DirectShowSource.dll"};
  }
  std::string RegisteredPluginDir() override { return registered; }
  bool FileExists(const std::string& path) override { return existing.count(path) > 0; }
  bool FolderExists(const std::string& path) override { return existing.count(path) > 0; }
  void CopyFileIfAbsent(const std::string& from, const std::string& to) override { calls.push_back(from + " > " + to); }
  int RunAndWait(const std::string& path) override {
    calls.push_back(path);
    registered = installs_to;
    return 0;
  }
  bool draws_ssa = false;
  bool EncoderDrawsSsa(const std::string&) override { return draws_ssa; }
};

// Hands out prepared reports by path, and no track summary, and counts the calls.
class FakeMediaInfoLibrary : public MediaInfoLibrary {
 public:
  std::map<std::string, std::string> reports;
  std::vector<std::string> informed;
  MediaInfoProblem problem = MediaInfoProblem::kNone;

  MediaInfoProblem Problem() const override { return problem; }
  std::string Inform(const std::string& path) override {
    informed.push_back(path);
    return reports.count(path) ? reports.at(path) : std::string();
  }
  std::string InformTracks(const std::string&) override { return {}; }
};

// The installed fonts as the test lists them; none holds Hangul unless `hangul` says so.
class ListedFonts : public InstalledFonts {
 public:
  ListedFonts(std::vector<std::string> listed_families, std::vector<FontRegistryValue> listed_values)
      : families(std::move(listed_families)), values(std::move(listed_values)) {}
  std::vector<std::string> Families() override { return families; }
  std::vector<FontRegistryValue> RegistryValues() override { return values; }
  std::vector<std::string> HangulNames() override { return hangul; }
  std::vector<std::string> families, hangul;
  std::vector<FontRegistryValue> values;
};

class RecordingNotifier : public DesktopNotifier {
 public:
  std::vector<std::string> told;
  void Notify(const std::string& title, const std::string& body) override { told.push_back(title + ": " + body); }
};

}  // namespace clipvane::testing
