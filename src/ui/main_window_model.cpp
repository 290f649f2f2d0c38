#include "ui/main_window_model.h"

#include <exception>

#include "media/list_commands.h"
#include "platform/text_encoding.h"
#include "settings/devices.h"
#include "session/session.h"
#include "ui/file_information.h"
#include "ui/job_texts.h"
#include "ui/run_follower.h"

namespace clipvane {
namespace {

std::size_t Index(MenuCommand command) { return static_cast<std::size_t>(command); }

// What the menu's enabling depends on when it opens.
struct MenuFacts {
  std::size_t selected = 0;
  std::size_t rows = 0;
  bool selected_live = false;  // a selected row's job runs or waits
  bool any_live = false;       // a job of the workspace runs or waits
  bool log = false;            // the first selected row's job left its log
};

bool EnabledWhenMenuOpens(MenuCommand command, const MenuFacts& facts) {
  switch (command) {
    case MenuCommand::kOpenWithLinkedProgram:
    case MenuCommand::kDelete: return facts.selected >= 1;
    case MenuCommand::kMakeBatchFiles:
    case MenuCommand::kEncodeAllMenu: return facts.rows >= 1;
    case MenuCommand::kEncodeSelection: return StartsDirectly(facts.selected);
    case MenuCommand::kOpenLog: return facts.log;
    case MenuCommand::kStopSelected: return facts.selected_live;
    case MenuCommand::kStopAll: return facts.any_live;
    default: return true;
  }
}

// A file that could not be written is shown the way the default error handler shows
// it; the window carries on.
template <typename Action>
void Guarded(Dialogs& dialogs, Action action) {
  try {
    action();
  } catch (const std::exception& error) {
    dialogs.Tell(ErrorNotice(error.what()));
  }
}

}  // namespace

// While a whole-list run writes its scripts, the list and the make-scripts command are
// disabled; they come back however the writing ends.
class MainWindowModel::BusyList {
 public:
  BusyList(MainWindowModel& model, bool busy) : model_(model), busy_(busy) {
    if (!busy_) return;
    model_.busy_ = true;
    model_.Notify(&MainWindowView::StateChanged);
  }
  ~BusyList() {
    if (!busy_) return;
    model_.busy_ = false;
    model_.enabled_[Index(MenuCommand::kMakeBatchFiles)] = true;
    model_.Notify(&MainWindowView::StateChanged);
  }
  BusyList(const BusyList&) = delete;
  BusyList& operator=(const BusyList&) = delete;

 private:
  MainWindowModel& model_;
  bool busy_;
};

// While an add goes on, the window is busy with it: the list and what would change
// it wait, and the folder button stops it; they come back however the add ends.
class MainWindowModel::AddingItems {
 public:
  explicit AddingItems(MainWindowModel& model) : model_(model) {
    model_.adding_ = true;
    model_.stop_adding_ = false;
    model_.Notify(&MainWindowView::StateChanged);
  }
  ~AddingItems() {
    model_.adding_ = false;
    model_.Notify(&MainWindowView::StateChanged);
  }
  AddingItems(const AddingItems&) = delete;
  AddingItems& operator=(const AddingItems&) = delete;

 private:
  MainWindowModel& model_;
};

MainWindowModel::MainWindowModel(Session& session, DocumentOpener& opener, Dialogs& dialogs, ItemPicker& picker)
    : session_(session), opener_(opener), dialogs_(dialogs), picker_(picker) {
  enabled_.fill(true);  // until the menu first opens
  progress_ = [this](const ProgressStep& step) { Step(step); };
}

std::string MainWindowModel::Title() const { return WindowTitle(session_.Settings()); }

const VideoList& MainWindowModel::List() const { return session_.List(); }

bool MainWindowModel::IsEnabled(MenuCommand command) const {
  if (adding_) return command == MenuCommand::kAddFolder;
  return enabled_[Index(command)] && !(busy_ && command == MenuCommand::kMakeBatchFiles);
}

StartButtonState MainWindowModel::AddFilesButton() const { return {!adding_, AddFilesButtonTexts().caption}; }

StartButtonState MainWindowModel::AddFolderButton() const {
  return {true, (adding_ ? StopAddingButtonTexts() : AddFolderButtonTexts()).caption};
}

std::vector<std::string> MainWindowModel::EmptyListHint() const {
  if (adding_ || List().RowCount() > 0) return {};
  return clipvane::EmptyListHint(Utf8ToAnsi(DescriptorOf(session_.Settings().platform).item));
}

bool MainWindowModel::IsChecked(MenuCommand command) const {
  switch (command) {
    case MenuCommand::kSuspendAfterwards: return power_ == PowerAction::kSuspend;
    case MenuCommand::kShutdownAfterwards: return power_ == PowerAction::kShutdown;
    case MenuCommand::kNothingAfterwards: return power_ == PowerAction::kNone;
    default: return false;
  }
}

void MainWindowModel::Created() {
  Guarded(dialogs_, [&] { session_.OpenWorkspace(); });
  // Right after the load the caption is the designed one, without a count.
  start_ = {StartsDirectly(List().SelectedCount()), StartButtonTexts().caption};
  power_ = PowerAction::kNone;
  Notify(&MainWindowView::RowsChanged);
  Notify(&MainWindowView::StateChanged);
}

std::string MainWindowModel::RunTotals() const { return follower_ ? follower_->RunTotals() : std::string(); }

StartButtonState MainWindowModel::StopButton() const { return {any_live_, StopButtonTexts().caption}; }

bool MainWindowModel::AnyJobRunning() const { return !session_.LiveJobs().empty(); }

bool MainWindowModel::MayClose() {
  // An add holds the window's list in hand: it stops first, and the window stays.
  if (adding_) {
    StopAdding();
    return false;
  }
  if (!AnyJobRunning()) return true;
  switch (static_cast<CloseAnswer>(dialogs_.Choose(CloseWhileRunningQuestion(), CloseWhileRunningAnswers()))) {
    case CloseAnswer::kKeepRunning: return true;
    case CloseAnswer::kStopAll: Guarded(dialogs_, [&] { session_.StopAll(); }); return true;
    default: return false;
  }
}

void MainWindowModel::Closing() {
  stop_adding_ = true;  // nothing is added after the list is written
  Guarded(dialogs_, [&] { SaveList(); });
}

// The list as the other writers left it, with this window's own adds and removes.
void MainWindowModel::SaveList() {
  const auto lock = session_.LockList();
  session_.SaveList();
}

void MainWindowModel::RowStateChanged(std::size_t row, bool selected, bool focused) {
  VideoList& list = session_.List();
  if (row >= list.RowCount()) return;
  list.SetSelected(row, selected);
  if (focused) list.SetFocusedRow(row);
  else if (list.FocusedRow() == row) list.SetFocusedRow(std::nullopt);
  SelectionChanged();
}

void MainWindowModel::UnlistableFilesDropped(const std::vector<std::string>& utf8_names) {
  if (!utf8_names.empty()) dialogs_.Tell(NamesOutsideCodePageNotice(utf8_names));
}

void MainWindowModel::ItemsDropped(const std::vector<std::string>& paths) {
  if (adding_ || busy_ || paths.empty()) return;
  AddReport report;
  {
    AddingItems adding(*this);
    report = session_.AddItems(paths, progress_, [this] { return stop_adding_; });
  }
  ListChanged();
  status_ = AddedText(report);
  Notify(&MainWindowView::StatusChanged);
}

void MainWindowModel::AddFilesClicked() {
  if (!adding_ && !busy_) Picked(picker_.PickFiles(AddFilesDialogTexts(session_.VideoExtensions())));
}

void MainWindowModel::AddFolderClicked() {
  if (adding_) StopAdding();
  else if (!busy_) Picked(picker_.PickFolder(AddFolderDialogTitle()));
}

void MainWindowModel::Picked(const PickedItems& picked) {
  UnlistableFilesDropped(picked.unlistable);
  ItemsDropped(picked.paths);
}

void MainWindowModel::StopAdding() {
  if (adding_) stop_adding_ = true;
}

void MainWindowModel::MenuOpening() {
  const VideoList& list = List();
  MenuFacts facts;
  facts.selected = list.SelectedCount();
  facts.rows = list.RowCount();
  for (std::size_t row = 0; row < list.RowCount(); ++row)
    if (list.Row(row).selected && IsLive(session_.Status(row).state)) facts.selected_live = true;
  facts.any_live = AnyJobRunning();
  if (const auto first = list.FirstSelected()) facts.log = session_.JobLogExists(*first);
  for (std::size_t i = 0; i < kMenuCommandCount; ++i)
    enabled_[i] = EnabledWhenMenuOpens(static_cast<MenuCommand>(i), facts);
  Notify(&MainWindowView::StateChanged);
}

void MainWindowModel::Run(MenuCommand command) {
  if (!IsEnabled(command)) return;
  using M = MenuCommand;
  switch (command) {
    case M::kAddFiles: return AddFilesClicked();
    case M::kAddFolder: return AddFolderClicked();
    case M::kSuspendAfterwards: return ChoosePowerAction(PowerAction::kSuspend);
    case M::kShutdownAfterwards: return ChoosePowerAction(PowerAction::kShutdown);
    case M::kNothingAfterwards: return ChoosePowerAction(PowerAction::kNone);
    case M::kOpenBatchFolder: return Open(session_.ScriptFolder());
    case M::kOpenLog: return OpenLog();
    case M::kEncodeAllMenu:
    case M::kAfterEncodingMenu: return;  // submenus only
    default: break;
  }
  VideoList& list = session_.List();
  Guarded(dialogs_, [&] {
    switch (command) {
      case M::kRefresh: session_.Refresh(progress_); break;
      case M::kOpenWithLinkedProgram:
        if (const auto row = list.FirstSelected()) Open(session_.Probe(*row, progress_).path);
        break;
      case M::kClearEncoded: ClearEncoded(list); break;
      case M::kSelectAll: list.SelectAll(); break;
      case M::kDelete: DeleteSelected(list); break;
      case M::kMakeBatchFiles: EncodeWholeList(0, true); break;
      case M::kEncodeSelection: EncodeSelection(); break;
      case M::kEncodeAllSingle: EncodeWholeList(1, false); break;
      case M::kEncodeAllTwoQueues: EncodeWholeList(2, false); break;
      case M::kEncodeAllFourQueues: EncodeWholeList(4, false); break;
      case M::kStopSelected: StopRows(true); break;
      case M::kStopAll: StopRows(false); break;
      default: break;
    }
  });
  LookAtJobs();
  ListChanged();
}

void MainWindowModel::StartClicked() {
  if (adding_) return;
  const std::size_t selected = List().SelectedCount();
  Guarded(dialogs_, [&] {
    // Up to four selected videos start directly, even when they are the whole list;
    // a whole-list selection of more runs the single queue; anything else, nothing.
    if (StartsDirectly(selected)) EncodeSelection();
    else if (selected == List().RowCount()) EncodeWholeList(1, false);
  });
  LookAtJobs();
  ListChanged();
}

void MainWindowModel::StopClicked() {
  const VideoList& list = List();
  bool selected_live = false;
  for (std::size_t row = 0; row < list.RowCount(); ++row)
    selected_live |= list.Row(row).selected && IsLive(session_.Status(row).state);
  Guarded(dialogs_, [&] { StopRows(selected_live); });
  FollowJobs();
}

void MainWindowModel::FollowJobs() {
  if (adding_) return;  // the rows are being added; the next look sees them all
  if (LookAtJobs()) Notify(&MainWindowView::JobsChanged);
  Notify(&MainWindowView::StateChanged);
}

bool MainWindowModel::LookAtJobs() {
  any_live_ = AnyJobRunning();
  return follower_ && follower_->Follow();
}

void MainWindowModel::StopRows(bool selected_only) {
  if (!selected_only) {
    session_.StopAll();
    return;
  }
  std::vector<std::size_t> rows;
  for (std::size_t row = 0; row < List().RowCount(); ++row)
    if (List().Row(row).selected) rows.push_back(row);
  session_.StopRows(rows);
}

void MainWindowModel::OpenLog() {
  const auto row = List().FirstSelected();
  if (row && session_.JobLogExists(*row)) Open(session_.JobLog(*row));
}

void MainWindowModel::Open(const std::string& target) {
  if (const std::optional<NotOpened> failure = opener_.Open(target))
    dialogs_.Tell(NotOpenedNotice(target, failure->reason));
}

std::string MainWindowModel::OutputFolderHint() const {
  return OutputFolderButton().hint + "\n" + session_.OutputFolder();
}

// The workspace's own folders, wherever the program was started from: a relative path
// would lead nowhere when the current folder is another.
void MainWindowModel::OutputFolderClicked() {
  // A folder of the user's choice is made by the first job; until then it opens empty.
  session_.MakeOutputFolder();
  Open(session_.OutputFolder());
}

void MainWindowModel::WebPageClicked() { Open(kMakerWebPage); }

void MainWindowModel::DoubleClicked() {
  const auto row = List().FirstSelected();
  if (!row) return;
  const std::string report = FileInformationText(session_.Probe(*row, progress_).facts);
  Notify(&MainWindowView::RowsChanged);  // the probe may have noted a failure in the title
  if (view_) view_->ShowFileInformation(report);
}

void MainWindowModel::ChoosePowerAction(PowerAction action) {
  power_ = action;
  Notify(&MainWindowView::StateChanged);
}

void MainWindowModel::EncodeSelection() {
  const EncodeResult result = session_.EncodeSelection(progress_);
  // Rows with jobs are in list.log at once, where the command line numbers them.
  if (!result.started.empty()) SaveList();
  Tell(SelectionNotices(result));
}

void MainWindowModel::EncodeWholeList(int queues, bool batch_files_only) {
  EncodeResult result;
  {
    BusyList busy(*this, List().RowCount() > 0);
    result = batch_files_only ? session_.MakeBatchFiles(power_, progress_)
                              : session_.EncodeWholeList(queues, power_, progress_);
  }
  if (result.written) SaveList();
  Tell(WholeListNotices(result, batch_files_only, session_.Dialect()));
}

void MainWindowModel::Step(const ProgressStep& step) {
  if (step.kind == ProgressStep::Kind::kSearching) {
    status_ = SearchingText(step);
    Notify(&MainWindowView::StatusChanged);
    Notify(&MainWindowView::Breathe);  // where a stop is clicked
    return;
  }
  status_ = clipvane::StatusText(step);
  Notify(&MainWindowView::StatusChanged);
  const MediaInfoProblem problem = session_.LibraryProblem();
  if (step.kind == ProgressStep::Kind::kChecking && problem != MediaInfoProblem::kNone && !mediainfo_told_) {
    mediainfo_told_ = true;  // once: every later probe fails the same way
    dialogs_.Tell(MediaInfoNotice(problem));
  }
  if (step.kind == ProgressStep::Kind::kCreated) Notify(&MainWindowView::Breathe);
}

void MainWindowModel::Tell(const std::vector<Notice>& notices) {
  for (const Notice& notice : notices) dialogs_.Tell(notice);
}

void MainWindowModel::SelectionChanged() {
  const std::size_t selected = List().SelectedCount();
  // Also enabled when every row is selected, whatever their number.
  start_ = {StartsDirectly(selected) || selected == List().RowCount(),
            StartButtonTexts().caption + " (" + std::to_string(selected) + ")"};
  Notify(&MainWindowView::StateChanged);
}

void MainWindowModel::ListChanged() {
  Notify(&MainWindowView::RowsChanged);
  SelectionChanged();
}

void MainWindowModel::Notify(void (MainWindowView::*change)()) {
  if (view_) (view_->*change)();
}

}  // namespace clipvane
