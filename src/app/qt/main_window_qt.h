#pragma once
#include <QMainWindow>
#include <QTimer>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/gui_services_qt.h"
#include "ui/main_window_model.h"
#include "ui/options_dialog_model.h"
#include "ui/run_follower.h"

class QLabel;
class QMenu;
class QPushButton;
class QTreeView;

namespace clipvane {

struct Program;
class FileInfoDialogQt;
class OptionsDialogQt;
class VideoRowsModel;

// fmMain on the Linux desktop: the video list with the progress and result of the
// jobs it follows, the button panel, the status bar and the context menu, showing what
// its models say and passing every event to them.
class MainWindowQt final : public QMainWindow, public MainWindowView {
 public:
  MainWindowQt(MainWindowModel& model, RunFollower& follower);
  ~MainWindowQt() override;

  // The dialogs it opens, created after it.
  void AttachDialogs(OptionsDialogQt& options, FileInfoDialogQt& file_info);
  void ShowTitle();
  // One look at the jobs, as the window's timer takes every second.
  void FollowRuns();
  // Closes the window without asking, as the end of the session does.
  void CloseWithoutAsking();

  QTreeView* List() const { return list_; }
  QPushButton* StartButton() const { return start_button_; }
  QPushButton* OutputFolderButton() const { return output_button_; }
  QPushButton* OptionsButton() const { return options_button_; }
  QPushButton* StopButton() const { return stop_button_; }
  QPushButton* AddFilesButton() const { return add_files_button_; }
  QPushButton* AddFolderButton() const { return add_folder_button_; }
  QMenu* PopupMenu() const { return popup_; }
  QAction* Action(MenuCommand command) const { return actions_.at(command); }
  QLabel* Status() const { return status_; }
  QLabel* RunTotals() const { return totals_; }

  void RowsChanged() override;
  void StateChanged() override;
  void StatusChanged() override;
  void Breathe() override;
  void ShowFileInformation(const std::string& report) override;
  void JobsChanged() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* MakeButtonPanel();
  void BuildPopupMenu();
  void SelectionChanged();

  MainWindowModel& model_;
  RunFollower& follower_;
  OptionsDialogQt* options_ = nullptr;
  FileInfoDialogQt* file_info_ = nullptr;
  std::unique_ptr<VideoRowsModel> rows_;
  QTreeView* list_ = nullptr;
  QPushButton* start_button_ = nullptr;
  QPushButton* output_button_ = nullptr;
  QPushButton* options_button_ = nullptr;
  QPushButton* stop_button_ = nullptr;
  QPushButton* add_files_button_ = nullptr;
  QPushButton* add_folder_button_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* totals_ = nullptr;
  QMenu* popup_ = nullptr;
  std::map<MenuCommand, QAction*> actions_;
  QTimer follow_timer_;
  bool rendering_ = false;
  bool asked_ = false;  // closing needs no question: the session ends
};

// All windows of the program over one session, created in their order: the main
// window, the options dialog, the file-information dialog; and the follower of the
// jobs whose columns the main window shows.
class QtProgramWindows {
 public:
  QtProgramWindows(Program& program, GuiServices& services);
  ~QtProgramWindows();
  MainWindowModel& MainModel() { return *main_model_; }
  MainWindowQt& Main() { return *main_; }
  OptionsDialogQt& Options() { return *options_; }
  FileInfoDialogQt& FileInfo() { return *file_info_; }

 private:
  std::unique_ptr<Session> session_;
  std::unique_ptr<RunFollower> follower_;
  std::unique_ptr<MainWindowModel> main_model_;
  std::unique_ptr<MainWindowQt> main_;
  std::unique_ptr<OptionsDialogModel> options_model_;
  std::unique_ptr<OptionsDialogQt> options_;
  std::unique_ptr<FileInfoDialogQt> file_info_;
  std::unique_ptr<CloseOnSessionEnd> session_end_;
};

// The desktop's own font, with Nanum for the Korean text it lacks.
void UseDesktopFontWithKorean();

// The paths named on the command line (the arguments after the program's name that Qt
// left), made absolute, with the bytes they have: a name need not be UTF-8.
std::vector<std::string> ItemsFromArguments(const std::vector<std::string>& arguments);

// Creates the windows of the program, adds `items` as if they were dropped, and runs
// the windows until the main one closes.
int RunQtWindows(Program& program, GuiServices& services, const std::vector<std::string>& items);

}  // namespace clipvane
