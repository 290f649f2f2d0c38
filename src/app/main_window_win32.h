#pragma once
#include <windows.h>
// windows.h first: shellapi.h depends on it.
#include <shellapi.h>

#include <memory>
#include <string>

#include "app/gui_services_win32.h"
#include "app/main_window_commands.h"
#include "app/session.h"
#include "platform/status_line.h"

namespace clipvane {

struct Program;
class OptionsDialog;
class FileInfoDialog;

// The status bar StatusBar1 as the probe and the scripts see it; the window comes
// after the session that writes into it.
class StatusBarLine final : public StatusLine {
 public:
  void Attach(HWND status_bar) { status_bar_ = status_bar; }
  void SetStatusText(const std::string& text) override;

 private:
  HWND status_bar_ = nullptr;
};

// Command identifiers of the main window's controls and context menu.
enum MainWindowControl : int {
  kIdListView = 100,
  kIdOutputFolderButton,  // Button2
  kIdOptionsButton,       // Button1
  kIdStartButton,         // bnEncode
  kIdWebPageButton,       // Button4
  kIdFirstMenuItem = 200,  // + PopupMenuItem
};

// fmMain: the video list, the button panel, the status bar and the context menu.
class MainWindow {
 public:
  MainWindow(Session& session, GuiServices& services, StatusBarLine& status, HINSTANCE instance);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The dialogs it opens, created after it.
  void AttachDialogs(OptionsDialog& options, FileInfoDialog& file_info);
  // Sets the title from the settings.
  void ShowTitle();

  HWND Handle() const { return window_; }
  HWND ListView() const { return list_view_; }
  HWND StartButton() const { return start_button_; }
  HWND StatusBar() const { return status_bar_; }
  HMENU PopupMenu() const { return popup_; }
  HACCEL Accelerators() const { return accelerators_; }
  // The menu handle of an item's submenu, or of the menu that holds a plain item.
  HMENU MenuHolding(PopupMenuItem item) const;

 private:
  template <typename Window>
  friend LRESULT CALLBACK RouteToOwner(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void BuildPopupMenu();
  void Layout();
  void OnCommand(int id);
  void OnListNotify(const NMHDR& header);
  void OnDropFiles(HDROP drop);
  void ApplyMenuStates();
  void RenderRows();
  void ShowStartButton(const StartButtonState& state);
  void ListChanged();
  void ShowFileInformation();

  Session& session_;
  GuiServices& services_;
  StatusBarLine& status_;
  HINSTANCE instance_;
  MainWindowCommands commands_;
  OptionsDialog* options_ = nullptr;
  FileInfoDialog* file_info_ = nullptr;

  HWND window_ = nullptr;
  HWND list_view_ = nullptr;
  HWND panel_ = nullptr;
  HWND right_panel_ = nullptr;
  HWND start_button_ = nullptr;
  HWND status_bar_ = nullptr;
  HWND tooltips_ = nullptr;
  HMENU popup_ = nullptr;
  HMENU encode_all_menu_ = nullptr;
  HMENU power_menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HFONT window_font_ = nullptr;
  HFONT fixed_font_ = nullptr;
  HFONT bold_font_ = nullptr;
  bool rendering_ = false;
  bool saved_ = false;
};

// All three windows of the program, created in their order: fmMain, fmOptions, Form3.
class ProgramWindows {
 public:
  ProgramWindows(Program& program, GuiServices& services, HINSTANCE instance);
  ~ProgramWindows();
  Session& GetSession() { return *session_; }
  MainWindow& Main() { return *main_; }
  OptionsDialog& Options() { return *options_; }
  FileInfoDialog& FileInfo() { return *file_info_; }

 private:
  StatusBarLine status_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<OptionsDialog> options_;
  std::unique_ptr<FileInfoDialog> file_info_;
};

// Passes a key message meant for the list through the shortcut table; true when it
// became a command.
bool TranslateListShortcut(MainWindow& main, MSG& message);

// Runs messages until the main window is gone.
int RunMessageLoop(MainWindow& main);

// Shows a platform error the way the program's default error handler does.
void ReportError(UserNotifier& notifier, const std::exception& error);

// Creates the windows of the program with the native services and runs them.
int RunMainWindow(Program& program, HINSTANCE instance, int show);

}  // namespace clipvane
