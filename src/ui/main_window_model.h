#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/power_action.h"
#include "common/progress.h"
#include "runs/encode_commands.h"
#include "ui/notices.h"
#include "ui/window_texts.h"

namespace clipvane {

class RunFollower;
class Session;
class VideoList;

// Opens a folder, a video with its associated program or a web address, as the
// desktop does.
class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  virtual void Open(const std::string& target) = 0;
};

// What the start button bnEncode shows. The caption is ANSI.
struct StartButtonState {
  bool enabled = false;
  std::string caption;
  bool operator==(const StartButtonState& other) const { return enabled == other.enabled && caption == other.caption; }
};

// What the main window model asks of the window that shows it.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  // The rows changed (added, removed, retitled, marked): show them again, with the
  // selection and the focus.
  virtual void RowsChanged() = 0;
  // The start button, the menu's enabling and check marks or the list's enabling
  // changed.
  virtual void StateChanged() = 0;
  // The status text changed: show it at once, since blocking work follows.
  virtual void StatusChanged() = 0;
  // Between the jobs of a long run: let the window handle its waiting messages.
  virtual void Breathe() = 0;
  // Form3 with a video's report, modally.
  virtual void ShowFileInformation(const std::string& report) = 0;
  // What the jobs of the rows show changed (progress, result, encoded marker) or the
  // run's totals: show them again, leaving the rows and the selection as they are.
  virtual void JobsChanged() = 0;
};

// fmMain without its controls: what the list, the start button, the status bar and
// the context menu show and enable, and what each of its commands does. A view
// forwards every event here and shows what the model says.
class MainWindowModel {
 public:
  MainWindowModel(Session& session, DocumentOpener& opener, Dialogs& dialogs);
  void Attach(MainWindowView& view) { view_ = &view; }
  // The follower whose columns the window shows; the model looks through it after
  // every command and at every FollowJobs.
  void AttachFollower(RunFollower& follower) { follower_ = &follower; }

  // What the window shows.
  std::string Title() const;
  const VideoList& List() const;
  StartButtonState StartButton() const { return start_; }
  bool ListEnabled() const { return !busy_; }
  // A menu item's state as the menu last opened: the enabling rules hold from one
  // opening to the next, and a shortcut whose item was disabled then does nothing.
  bool IsEnabled(MenuCommand command) const;
  bool IsChecked(MenuCommand command) const;
  const std::string& StatusText() const { return status_; }
  // The output folder button's tool tip: what it does, and the folder's full path.
  std::string OutputFolderHint() const;
  // The run going on, for the status bar beside the status text: how many of its jobs
  // are done and its time left; empty when none runs.
  std::string RunTotals() const;
  // The stop button: enabled while a job of the workspace runs or waits, as last looked.
  StartButtonState StopButton() const;
  // Whether a job of the workspace runs or waits now, whoever started it.
  bool AnyJobRunning() const;

  // The window's events.
  void Created();  // makes the workspace folders, loads list.log, chooses no power action
  // The user closes the window: when jobs run, asks whether to keep them running, stop
  // them all or stay. False to stay.
  bool MayClose();
  void Closing();  // writes list.log when the list changed
  void RowStateChanged(std::size_t row, bool selected, bool focused);
  void FilesDropped(const std::vector<std::string>& paths);
  // Files dropped whose names the ANSI code page cannot hold (in UTF-8): the list
  // cannot keep them, and says which.
  void UnlistableFilesDropped(const std::vector<std::string>& utf8_names);
  // Files and folders from a file manager: a folder gives the files directly inside
  // it, in name order; then as FilesDropped.
  void ItemsDropped(const std::vector<std::string>& paths);
  void MenuOpening();
  void Run(MenuCommand command);  // an item of the context menu, or its shortcut
  void StartClicked();
  // Stops the jobs of the selected rows that run or wait, or every job when none of
  // them does; the rows say "중지됨" once their jobs have stopped.
  void StopClicked();
  // The window's timer: looks at the jobs again. The rows, the state or the status
  // changed as the view is told.
  void FollowJobs();
  void OutputFolderClicked();
  void WebPageClicked();
  void DoubleClicked();

 private:
  class BusyList;
  void ChoosePowerAction(PowerAction action);
  void SaveList();
  void EncodeSelection();
  void StopRows(bool selected_only);
  void OpenLog();
  // Looks at the jobs through the follower; true when a row shows something new.
  bool LookAtJobs();
  void EncodeWholeList(int queues, bool batch_files_only);
  void Step(const ProgressStep& step);
  void Tell(const std::vector<Notice>& notices);
  void SelectionChanged();
  // The list took dropped files, leaving out those named in `skipped`.
  void Added(const std::vector<std::string>& skipped);
  void ListChanged();
  void Notify(void (MainWindowView::*change)());

  Session& session_;
  DocumentOpener& opener_;
  Dialogs& dialogs_;
  MainWindowView* view_ = nullptr;
  RunFollower* follower_ = nullptr;
  bool any_live_ = false;  // a job of the workspace ran or waited at the last look
  Progress progress_;
  StartButtonState start_;
  std::array<bool, kMenuCommandCount> enabled_;
  PowerAction power_ = PowerAction::kNone;
  std::string status_;
  bool busy_ = false;
  bool mediainfo_told_ = false;
};

}  // namespace clipvane
