#pragma once
#include <string>
#include <vector>

#include "common/path_style.h"

namespace clipvane {

class FileSystem;

// The folder of the running executable, ending with the separator: the executable's
// path cut after its last separator.
std::string AppDirFromExecutable(const std::string& executable_path, PathStyle style);

// Where the program keeps its settings, its list and its work folders: its own folder
// `app_dir`, or, when that folder cannot be written (installed for the whole system)
// and the user has a data folder, "clipvane" in that folder. Both end with the
// separator of `style`; `user_data_folder` has none.
std::string ChooseDataDir(const std::string& app_dir, bool app_dir_writable, const std::string& user_data_folder,
                          PathStyle style);

// The program's folder and everything it keeps under it. All paths are built by plain
// concatenation on AppDir, or on DataDir for what the program writes; nothing is
// normalised.
class Workspace {
 public:
  // `app_dir` ends with the separator of `style`; the program keeps everything there.
  Workspace(std::string app_dir, PathStyle style);
  // The program and its tools in `app_dir`, its settings, list and work folders in
  // `data_dir`; both end with the separator.
  Workspace(std::string app_dir, std::string data_dir, PathStyle style);

  // The workspace of the running program, from the executable's own path; its data
  // folder, when apart from the program's, is made here.
  static Workspace OfRunningProgram();

  const std::string& AppDir() const { return app_dir_; }
  const std::string& DataDir() const { return data_dir_; }
  PathStyle Style() const { return style_; }

  std::string Incoming() const { return data_dir_ + "incoming"; }
  std::string Batch() const { return data_dir_ + "batch"; }
  std::string Temp() const { return data_dir_ + "temp"; }
  std::string Bin() const { return app_dir_ + "bin"; }
  std::string SettingsFile() const { return data_dir_ + "MP4.ini"; }
  std::string ListFile() const { return data_dir_ + "list.log"; }
  // Beside list.log: the folder each row came in with, when it came with one.
  std::string ListRootsFile() const { return data_dir_ + "list.roots"; }
  // Locked by whatever reads, changes and writes list.log, so that two commands at
  // once never lose each other's rows.
  std::string ListLockFile() const { return data_dir_ + "list.log.lock"; }
  // Locked by whatever makes a job's files in temp and by whatever clears those of
  // ended jobs, so that a job is never cleared while it is being written.
  std::string TempLockFile() const { return data_dir_ + "temp.lock"; }
  // Locked by every change of a job's record (runs/job_record.h) and of the run's power
  // action, so that no writer undoes another's change.
  std::string JobsLockFile() const { return data_dir_ + "jobs.lock"; }
  // The power action of the whole-list run going on (runs/power_run.h).
  std::string PowerRunFile() const { return data_dir_ + "power.run"; }

  // incoming, batch and temp, in the order they are created.
  std::vector<std::string> CreatedFolders() const;

  // Creates each missing folder of CreatedFolders with its parents. Failures are not
  // reported here: the writes that need a folder fail where they happen.
  void CreateFolders(FileSystem& files) const;

 private:
  std::string app_dir_;
  std::string data_dir_;
  PathStyle style_;
};

// Whether the video is one of the program's MP4s, which converting would read where
// it writes, or convert again: it lies in `output_folder` (ending with the separator),
// reached through a link or not, or a note beside it says what it was made from.
bool IsOutput(const std::string& video_path, const std::string& output_folder, const FileSystem& files,
              PathStyle style);

// The longest file name, in bytes, that the file systems of Linux take.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// Where the job that put `mp4` in place notes the video it was made from: a text file
// named after the MP4 in the hidden folder ".sources" beside it.
std::string SourceRecordPath(const std::string& mp4, PathStyle style);

// The file-name part of a video's path without its extension.
std::string VideoBaseName(const std::string& video_path, PathStyle style);

// True when the path's extension (without the dot, any letter case) is one of
// `video_exts`, the lower-case list read from the settings at start-up.
bool IsVideoFile(const std::string& path, const std::vector<std::string>& video_exts, PathStyle style);

}  // namespace clipvane
