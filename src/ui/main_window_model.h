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

// Why the desktop did not open something: its own words (ANSI), or empty when it
// gives none, which is when no program is there to open it.
struct NotOpened {
  std::string reason;
};

// Opens a folder, a video with its associated program or a web address, as the
// desktop does.
class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  // Nothing when the desktop took it.
  [[nodiscard]] virtual std::optional<NotOpened> Open(const std::string& target) = 0;
};

// What the user picked in a dialog of the desktop: the paths (ANSI), and in UTF-8 the
// names the ANSI code page cannot hold, which the list cannot keep. Both empty when
// the dialog was cancelled.
struct PickedItems {
  std::vector<std::string> paths;
  std::vector<std::string> unlistable;
};

// The desktop's own dialogs that pick what to add, modal over the window in front.
class ItemPicker {
 public:
  virtual ~ItemPicker() = default;
  // Several files, offered through the two filters of `texts`.
  virtual PickedItems PickFiles(const FilesDialogTexts& texts) = 0;
  // One folder.
  virtual PickedItems PickFolder(const std::string& title) = 0;
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
  MainWindowModel(Session& session, DocumentOpener& opener, Dialogs& dialogs, ItemPicker& picker);
  void Attach(MainWindowView& view) { view_ = &view; }
  // The follower whose columns the window shows; the model looks through it after
  // every command and at every FollowJobs.
  void AttachFollower(RunFollower& follower) { follower_ = &follower; }

  // What the window shows.
  std::string Title() const;
  const VideoList& List() const;
  StartButtonState StartButton() const { return {start_.enabled && !adding_, start_.caption}; }
  bool ListEnabled() const { return !busy_ && !adding_; }
  // While an add goes on: the list, the start button, the settings and the files
  // button wait, and the folder button stops the add.
  bool Adding() const { return adding_; }
  StartButtonState AddFilesButton() const;
  StartButtonState AddFolderButton() const;
  // What the list shows while it has no rows; nothing once it has, or while an add
  // fills it.
  std::vector<std::string> EmptyListHint() const;
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
  // Files dropped whose names the ANSI code page cannot hold (in UTF-8): the list
  // cannot keep them, and says which.
  void UnlistableFilesDropped(const std::vector<std::string>& utf8_names);
  // Files and folders dropped, or named on the command line: a folder gives the videos
  // in it and in every folder below it (Session::AddItems), with the status bar telling
  // the search as it goes and then what was added and left out. Nothing while an add
  // goes on.
  void ItemsDropped(const std::vector<std::string>& paths);
  // "파일 추가…" and "폴더 추가…" (the buttons, the menu items, their shortcuts): the
  // desktop's dialog, then as ItemsDropped. While an add goes on, the folder button
  // stops it, as Esc does.
  void AddFilesClicked();
  void AddFolderClicked();
  void StopAdding();
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
  class AddingItems;
  void ChoosePowerAction(PowerAction action);
  void SaveList();
  void EncodeSelection();
  void StopRows(bool selected_only);
  void OpenLog();
  // Opens the target through the desktop, and says so when it cannot.
  void Open(const std::string& target);
  void Picked(const PickedItems& picked);
  // Looks at the jobs through the follower; true when a row shows something new.
  bool LookAtJobs();
  void EncodeWholeList(int queues, bool batch_files_only);
  void Step(const ProgressStep& step);
  void Tell(const std::vector<Notice>& notices);
  void SelectionChanged();
  void ListChanged();
  void Notify(void (MainWindowView::*change)());

  Session& session_;
  DocumentOpener& opener_;
  Dialogs& dialogs_;
  ItemPicker& picker_;
  MainWindowView* view_ = nullptr;
  RunFollower* follower_ = nullptr;
  bool any_live_ = false;  // a job of the workspace ran or waited at the last look
  Progress progress_;
  StartButtonState start_;
  std::array<bool, kMenuCommandCount> enabled_;
  PowerAction power_ = PowerAction::kNone;
  std::string status_;
  bool busy_ = false;
  bool adding_ = false;
  bool stop_adding_ = false;  // asked while adding_
  bool mediainfo_told_ = false;
};

}  // namespace clipvane
