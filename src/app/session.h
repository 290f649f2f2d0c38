#pragma once
#include <memory>
#include <string>

#include "app/program.h"
#include "jobs/job_script.h"
#include "media/media_probe.h"
#include "media/video_list.h"
#include "media/video_list_file.h"
#include "runs/encode_commands.h"
#include "runs/list_encode_rows.h"

namespace clipvane {

class FileLock;
class FileSystem;
class MediaInfoLibrary;
class ProcessList;
class Shell;

// The services of the core, built once by a front end's main and handed in.
struct CoreServices {
  FileSystem& files;
  Shell& shell;  // starts scripts as the desktop does
  MediaInfoLibrary& mediainfo;
  // The running processes, which tell which jobs still run: with them, opening the
  // workspace clears what ended jobs left behind.
  const ProcessList* processes = nullptr;
};

// What the main window, or the command line in its place, works with: the video list
// and its probe, and the jobs and commands over them. It refers to the program's
// record and must not outlive it.
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

  Program& GetProgram() { return program_; }
  FileSystem& Files() { return services_.files; }
  MediaInfoLibrary& MediaInfo() { return services_.mediainfo; }
  VideoList& List() { return list_; }
  const VideoList& List() const { return list_; }
  MediaProbe& Probe() { return probe_; }
  EncodeRows& Rows() { return rows_; }
  JobContext& Jobs() { return jobs_; }

  // The context of an encode command that starts its scripts through `shell` and
  // passes its steps to `progress`.
  EncodeCommandContext Commands(Shell& shell, Progress progress) { return {jobs_, shell, std::move(progress)}; }
  EncodeCommandContext Commands(Progress progress) { return Commands(services_.shell, std::move(progress)); }

  // The plug-in folder of the drawing filter, with a trailing separator, or empty;
  // found when the colour route is switched on.
  const std::string& AviSynthPluginDir() const { return avisynth_plugin_dir_; }
  void SetAviSynthPluginDir(std::string folder) { avisynth_plugin_dir_ = std::move(folder); }

 private:
  void WriteAvs(const std::string& video_path, const std::string& subtitle_path, const std::string& source,
                const SsaStyleMetrics& metrics);

  Program& program_;
  CoreServices& services_;
  VideoList list_;
  StoredList stored_list_;           // the rows list.log gave when it was read or last written
  std::size_t changes_at_load_ = 0;  // the list's count of changes then
  MediaProbe probe_;
  ListEncodeRows rows_;
  JobContext jobs_;
  std::string avisynth_plugin_dir_;
};

}  // namespace clipvane
