#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ini_profile.h"
#include "session/program.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace clipvane::testing {

// A program folder in a temporary folder with videos/ beside it, whose videos the
// fake library reports as 640 by 352, and the recording services of a desktop.
struct ProgramFolder {
  ProgramFolder() { files.MakeFolders(temp / "videos"); }
  // Writes videos/<name>; the library knows its picture.
  std::string Video(const std::string& name) {
    const std::string path = temp.WriteFile("videos" + std::string(1, Separator(kNativePathStyle)) + name, "video");
    library.reports[path] = "Video\nWidth : 640 pixels\nHeight : 352 pixels\nFrame rate : 25 FPS\n";
    return path;
  }
  // The program's start over list.log holding these paths, once the folder is set up.
  void StartOver(const std::vector<std::string>& paths, const std::string& fonts_folder) {
    std::string list_log;
    for (const std::string& path : paths) list_log += path + "\r\n";
    temp.WriteFile("list.log", list_log);
    program =
        std::make_unique<Program>(StartProgram(workspace, OpenIniProfile(workspace.SettingsFile()), fonts_folder));
  }

  TempFolder temp;
  FileSystem& files = NativeFileSystem();
  Workspace workspace{temp.Path(), kNativePathStyle};
  FakeMediaInfoLibrary library;
  RecordingShell shell;
  RecordingDialogs dialogs;
  RecordingOpener opener;
  PreparedPicker picker;
  RecordingNotifier notifier;
  std::unique_ptr<Program> program;
};

}  // namespace clipvane::testing
