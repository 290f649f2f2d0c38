#pragma once
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/main_window_win32.h"
#include "app/program.h"
#include "platform/win32/wide_text.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace clipvane::testing {

class RecordingOpener : public DocumentOpener {
 public:
  std::vector<std::string> opened;
  void Open(const std::string& target) override { opened.push_back(target); }
};

// AviSynth as a test sets it up; files are looked for on the disk.
class FakeAviSynth : public AviSynthSystem {
 public:
  std::string registered;
  std::vector<std::string> runs;
  std::string RegisteredPluginDir() override { return registered; }
  bool FileExists(const std::string& path) override { return NativeAviSynthSystem().FileExists(path); }
  bool FolderExists(const std::string& path) override { return NativeAviSynthSystem().FolderExists(path); }
  void CopyFileIfAbsent(const std::string& from, const std::string& to) override {
    NativeAviSynthSystem().CopyFileIfAbsent(from, to);
  }
  int RunAndWait(const std::string& command_line) override {
    runs.push_back(command_line);
    return 0;
  }
};

// A program folder in a temporary folder with the stand-in MediaInfo.dll, videos
// beside it, and the three windows created over it in-process.
class GuiFixture {
 public:
  GuiFixture();
  ~GuiFixture();

  // Writes videos/<name> and returns its full path.
  std::string Video(const std::string& name);
  // Writes list.log naming these paths, before the windows are made.
  void WriteListLog(const std::vector<std::string>& paths);
  void WriteSettings(const std::string& lines);
  // Creates fmMain, fmOptions and Form3, as the program's start does.
  void CreateWindows();

  MainWindow& Main() { return windows->Main(); }
  OptionsDialog& Options() { return windows->Options(); }
  Session& GetSession() { return windows->GetSession(); }

  // What the list control shows.
  std::size_t RowCount() const;
  std::string ItemText(int row, int column) const;
  // Selects exactly these rows through the list control.
  void Select(const std::set<int>& rows);
  // Opens the context menu's enabling through the message the system sends.
  void InitPopup();
  bool MenuEnabled(PopupMenuItem item);
  bool MenuChecked(PopupMenuItem item);
  void Command(int id);
  void MenuCommand(PopupMenuItem item);
  // Presses a key on the list, with Ctrl held when asked, through the shortcut path.
  void PressOnList(WORD key, bool control);
  // Drops these files on the main window as the shell does.
  void Drop(const std::vector<std::string>& paths);
  // Runs the messages waiting in the queue.
  void Pump();

  TempFolder temp;
  RecordingShell shell;
  RecordingNotifier notifier;
  RecordingOpener opener;
  FakeAviSynth avisynth;
  std::unique_ptr<Program> program;
  std::unique_ptr<GuiServices> services;
  std::unique_ptr<ProgramWindows> windows;
  AviSynthSystem* avisynth_system = &avisynth;
};

std::string WindowText(HWND window);
std::string Utf8(const char* utf8);

}  // namespace clipvane::testing
