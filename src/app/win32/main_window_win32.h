#pragma once
#include <windows.h>
// windows.h first: shellapi.h depends on it.
#include <shellapi.h>
// commctrl.h after windows.h, for the tool tip notifications.
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win32/gui_services_win32.h"
#include "session/session.h"
#include "ui/main_window_model.h"
#include "ui/options_dialog_model.h"
#include "ui/run_follower.h"

namespace clipvane {

struct Program;
class OptionsDialog;
class FileInfoDialog;

// Command identifiers of the main window's controls and context menu.
enum MainWindowControl : int {
  kIdListView = 100,
  kIdOutputFolderButton,   // Button2
  kIdOptionsButton,        // Button1
  kIdStartButton,          // bnEncode
  kIdWebPageButton,        // Button4
  kIdStopButton,           // stops the selected jobs, or all of them
  kIdAddFilesButton,       // 파일 추가…
  kIdAddFolderButton,      // 폴더 추가…, and while an add goes on, its stop
  kIdFirstMenuItem = 200,  // + MenuCommand
};

// fmMain: the video list with the progress and result of the jobs it follows, the
// button panel, the status bar and the context menu, showing what its models say and
// passing every event to them. A timer looks at the jobs every second.
class MainWindow final : public MainWindowView {
 public:
  MainWindow(MainWindowModel& model, const RunFollower& follower, HINSTANCE instance);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The dialogs it opens, created after it.
  void AttachDialogs(OptionsDialog& options, FileInfoDialog& file_info);
  void ShowTitle();

  HWND Handle() const { return window_; }
  HWND ListView() const { return list_view_; }
  HWND StartButton() const { return start_button_; }
  HWND StopButton() const { return stop_button_; }
  HWND AddFilesButton() const { return add_files_button_; }
  HWND AddFolderButton() const { return add_folder_button_; }
  HWND StatusBar() const { return status_bar_; }
  HMENU PopupMenu() const { return popup_; }
  // The shortcuts of the list, and those that work anywhere in the window.
  HACCEL Accelerators() const { return accelerators_; }
  HACCEL WindowAccelerators() const { return window_accelerators_; }
  HWND ToolTips() const { return tooltips_; }

  void RowsChanged() override;
  void StateChanged() override;
  void StatusChanged() override;
  void Breathe() override;
  void ShowFileInformation(const std::string& report) override;
  void JobsChanged() override;

 private:
  template <typename Window>
  friend LRESULT CALLBACK RouteToOwner(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // The list control's own procedure, followed by the hint of the empty list.
  static LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                        DWORD_PTR window);
  void CreateControls();
  void BuildPopupMenu();
  void Layout();
  // The result column takes the list's width that the other columns leave.
  void FitResultColumn();
  void DrawEmptyListHint();
  void OnCommand(int id);
  void OnListNotify(const NMHDR& header);
  // The tip of the row under the mouse: the whole cause of its job's failure.
  void OnListTip(NMTTDISPINFOW& tip);
  void OnDropFiles(HDROP drop);
  // The progress and result columns of a row, as the follower says.
  void ShowJobColumns(std::size_t row);

  MainWindowModel& model_;
  const RunFollower& follower_;
  HINSTANCE instance_;
  OptionsDialog* options_ = nullptr;
  FileInfoDialog* file_info_ = nullptr;

  HWND window_ = nullptr;
  HWND list_view_ = nullptr;
  HWND panel_ = nullptr;
  HWND right_panel_ = nullptr;
  HWND start_button_ = nullptr;
  HWND stop_button_ = nullptr;
  HWND options_button_ = nullptr;
  HWND add_files_button_ = nullptr;
  HWND add_folder_button_ = nullptr;
  HWND status_bar_ = nullptr;
  HWND tooltips_ = nullptr;
  HMENU popup_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HACCEL window_accelerators_ = nullptr;
  HFONT window_font_ = nullptr;
  HFONT fixed_font_ = nullptr;
  HFONT bold_font_ = nullptr;
  bool rendering_ = false;
  int tip_row_ = -1;         // the row under the mouse, as the list last saw it
  std::wstring tip_text_;    // what its tip shows, kept while the tip shows it
  bool focus_lent_ = false;  // the list's focus, lent to the folder button while an add goes on
};

// All three windows of the program over one session, created in their order: fmMain,
// fmOptions, Form3; and the follower of the jobs whose columns fmMain shows.
class ProgramWindows {
 public:
  ProgramWindows(Program& program, GuiServices& services, HINSTANCE instance);
  ~ProgramWindows();
  MainWindowModel& MainModel() { return *main_model_; }
  MainWindow& Main() { return *main_; }
  OptionsDialog& Options() { return *options_; }
  FileInfoDialog& FileInfo() { return *file_info_; }

 private:
  std::unique_ptr<Session> session_;
  std::unique_ptr<RunFollower> follower_;
  std::unique_ptr<MainWindowModel> main_model_;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<OptionsDialogModel> options_model_;
  std::unique_ptr<OptionsDialog> options_;
  std::unique_ptr<FileInfoDialog> file_info_;
};

// Files handed to the window as the shell has them (wide names, from a drop or the
// command line): those the ANSI code page holds, and the others in UTF-8, which the
// list cannot keep.
struct HandedFiles {
  std::vector<std::string> paths;
  std::vector<std::string> unlistable;
  void Add(const std::wstring& name);
};

// The files and folders named on the command line (dropped on the program's icon),
// made absolute against the current folder.
HandedFiles FilesFromCommandLine(const std::vector<std::wstring>& arguments);

// Passes a key message meant for the list, or for another control of the window,
// through the shortcut table that holds there; true when it became a command.
bool TranslateWindowShortcut(MainWindow& main, MSG& message);

// Runs messages until the main window is gone.
int RunMessageLoop(MainWindow& main);

// Creates the windows of the program, adds `items` as if they were dropped, and runs
// the windows until the main one closes.
int RunMainWindow(Program& program, GuiServices& services, HINSTANCE instance, int show, const HandedFiles& items);

}  // namespace clipvane
