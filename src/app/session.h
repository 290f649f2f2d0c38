#pragma once
#include <string>

#include "app/program.h"
#include "jobs/job_script.h"
#include "media/media_probe.h"
#include "media/video_list.h"
#include "runs/encode_commands.h"
#include "runs/list_encode_rows.h"

namespace clipvane {

class FileSystem;
class MediaInfoLibrary;
class Shell;

// The services of the core, built once by a front end's main and handed in.
struct CoreServices {
  FileSystem& files;
  Shell& shell;  // starts scripts as the desktop does
  MediaInfoLibrary& mediainfo;
};

// What the main window, or the command line in its place, works with: the video list
// and its probe, and the jobs and commands over them. It refers to the program's
// record and must not outlive it.
class Session {
 public:
  Session(Program& program, CoreServices& services);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // What the main window's creation does: make the workspace folders and load
  // list.log.
  void OpenWorkspace();
  // Writes list.log, as closing the main window does. Throws PlatformError.
  void SaveList();

  Program& GetProgram() { return program_; }
  FileSystem& Files() { return services_.files; }
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
  void WriteAvs(const std::string& video_path, const std::string& source, const SsaStyleMetrics& metrics);

  Program& program_;
  CoreServices& services_;
  VideoList list_;
  MediaProbe probe_;
  ListEncodeRows rows_;
  JobContext jobs_;
  std::string avisynth_plugin_dir_;
};

}  // namespace clipvane
