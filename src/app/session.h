#pragma once
#include <memory>
#include <string>

#include "app/program.h"
#include "common/power_action.h"
#include "jobs/job_script.h"
#include "media/media_probe.h"
#include "media/mediainfo_library.h"
#include "media/video_list.h"
#include "runs/encode_commands.h"
#include "runs/list_encode_rows.h"

namespace clipvane {

class FileSystem;
class Shell;
class StatusLine;
class UserNotifier;

// What the main window, or the command line in its place, works with: the video list
// and its probe, the chosen power action and the services the commands need. It
// refers to the program's record and must not outlive it.
class Session {
 public:
  Session(Program& program, FileSystem& files, Shell& shell, StatusLine& status, UserNotifier& notifier);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // What the main window's creation does: make the workspace folders and load
  // list.log.
  void OpenWorkspace();
  // Writes list.log, as closing the main window does.
  void SaveList();

  // The jobs of this session: the script dialect of the platform and the colour
  // route drawn through the SSA writer.
  JobContext& Jobs() { return jobs_; }
  EncodeCommandContext& Commands() { return commands_; }
  ListEncodeRows& Rows() { return rows_; }

  Program& program;
  FileSystem& files;
  std::unique_ptr<MediaInfoLibrary> mediainfo;
  VideoList list;
  MediaProbe probe;
  PowerAction power = PowerAction::kNone;
  // The plug-in folder of the drawing filter, with a trailing separator, or empty.
  std::string avisynth_plugin_dir;

 private:
  AvsFiles WriteAvs(const std::string& video_path, const std::string& source, const SsaStyleMetrics& metrics);

  JobContext jobs_;
  EncodeCommandContext commands_;
  ListEncodeRows rows_;
};

}  // namespace clipvane
