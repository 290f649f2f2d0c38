#include "app/qt/main_window_qt.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/qt/file_info_dialog_qt.h"
#include "app/qt/options_dialog_qt.h"
#include "session/program.h"

namespace clipvane {

// The rows of the list as the models give them: the list's three columns, then the
// progress and result of the job the follower sees.
class VideoRowsModel final : public QAbstractTableModel {
 public:
  VideoRowsModel(const MainWindowModel& model, const RunFollower& follower) : model_(model), follower_(follower) {
    columns_ = ListColumns();
    for (const ListColumn& column : FollowColumns()) columns_.push_back(column);
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(model_.List().RowCount());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole) return Alignment(index.column());
    const auto row = static_cast<std::size_t>(index.row());
    // A rich text tip wraps its lines: a long cause shows whole, not cut at the screen's edge.
    if (role == Qt::ToolTipRole && index.column() == 5) {
      const QString detail = ToQt(follower_.ResultDetail(row));
      return detail.isEmpty() ? QVariant() : Qt::convertFromPlainText(detail, Qt::WhiteSpaceNormal);
    }
    if (role != Qt::DisplayRole) return {};
    const VideoRow& video = model_.List().Row(row);
    switch (index.column()) {
      case 0: return ToQt(video.encoded_marker);
      case 1: return ToQt(video.title);
      case 2: return ToQt(video.subtitle);
      case 3: return ToQt(model_.List().ShownOutput(row));
      case 4: return ToQt(follower_.ProgressText(row));
      default: return ToQt(follower_.ResultText(row));
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return ToQt(columns_[static_cast<std::size_t>(section)].header);
    if (role == Qt::TextAlignmentRole) return Alignment(section);
    return {};
  }

  int DesignedWidth(int section) const { return columns_[static_cast<std::size_t>(section)].width; }
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  // The texts changed, not the rows: the selection stays as it is.
  void Refresh() {
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  }

 private:
  QVariant Alignment(int column) const {
    const bool centred = columns_[static_cast<std::size_t>(column)].centred;
    return static_cast<int>((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
  }

  const MainWindowModel& model_;
  const RunFollower& follower_;
  std::vector<ListColumn> columns_;
};

// The list control. Qt makes the first row current when the list takes the focus
// with none; that is not the user's doing, and the row is not passed on as focused.
// Empty, it shows the model's hint in the middle.
class VideoListView final : public QTreeView {
 public:
  explicit VideoListView(const MainWindowModel& model) : model_(model) {}
  bool TakingFocus() const { return taking_focus_; }

 protected:
  void focusInEvent(QFocusEvent* event) override {
    taking_focus_ = true;
    QTreeView::focusInEvent(event);
    taking_focus_ = false;
  }
  void paintEvent(QPaintEvent* event) override {
    QTreeView::paintEvent(event);
    QStringList lines;
    for (const std::string& line : model_.EmptyListHint()) lines << ToQt(line);
    if (lines.isEmpty()) return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(viewport()->rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap,
                     lines.join("\n\n"));
  }

 private:
  const MainWindowModel& model_;
  bool taking_focus_ = false;
};

MainWindowQt::MainWindowQt(MainWindowModel& model, RunFollower& follower)
    : model_(model), follower_(follower), rows_(std::make_unique<VideoRowsModel>(model, follower)) {
  setAcceptDrops(true);
  list_ = new VideoListView(model);
  list_->setModel(rows_.get());
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->header()->setSectionsClickable(false);
  list_->header()->setStretchLastSection(true);
  // The designed sizes are for a 13-pixel font; a larger desktop font widens them.
  const double scale = std::max(1.0, list_->fontMetrics().height() / 15.0);
  for (int section = 0; section < rows_->columnCount(); ++section)
    if (rows_->DesignedWidth(section) > 0)
      list_->header()->resizeSection(section, static_cast<int>(rows_->DesignedWidth(section) * scale));
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_->popup(list_->viewport()->mapToGlobal(at)); });
  // The keyboard's way to the menu, as on Windows: Shift+F10 or the menu key, at the
  // current row.
  auto* menu_key = new QAction(list_);
  menu_key->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
  menu_key->setShortcutContext(Qt::WidgetShortcut);
  connect(menu_key, &QAction::triggered, this, [this] {
    const QModelIndex current = list_->currentIndex();
    if (current.isValid()) list_->scrollTo(current);
    const QPoint at = current.isValid() ? list_->visualRect(current).bottomLeft() : QPoint(8, 8);
    popup_->popup(list_->viewport()->mapToGlobal(at));
  });
  list_->addAction(menu_key);
  connect(list_, &QAbstractItemView::doubleClicked, this, [this] { model_.DoubleClicked(); });
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectionChanged(); });
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { SelectionChanged(); });

  auto* central = new QWidget;
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(list_, 1);
  column->addWidget(MakeButtonPanel());
  setCentralWidget(central);
  status_ = new QLabel;
  status_->setMinimumWidth(static_cast<int>(200 * scale));
  statusBar()->addWidget(status_);
  totals_ = new QLabel;
  statusBar()->addPermanentWidget(totals_);
  BuildPopupMenu();
  // Esc stops an add wherever the keyboard is, even before the window is active again
  // after the dialog that picked what is added.
  qApp->installEventFilter(this);
  resize(static_cast<int>(900 * scale), static_cast<int>(493 * scale));

  model_.Attach(*this);
  model_.Created();
  connect(&follow_timer_, &QTimer::timeout, this, [this] { FollowRuns(); });
  follow_timer_.start(1000);
  FollowRuns();  // a run going on when the window opens shows at once
}

MainWindowQt::~MainWindowQt() = default;

void MainWindowQt::AttachDialogs(OptionsDialogQt& options, FileInfoDialogQt& file_info) {
  options_ = &options;
  file_info_ = &file_info;
}

void MainWindowQt::ShowTitle() {
  setWindowTitle(ToQt(model_.Title()));
  list_->viewport()->update();  // the empty list's hint names the device of the settings
}

void MainWindowQt::FollowRuns() { model_.FollowJobs(); }

void MainWindowQt::CloseWithoutAsking() {
  asked_ = true;
  close();
}

void MainWindowQt::JobsChanged() {
  rows_->Refresh();
  totals_->setText(ToQt(model_.RunTotals()));
}

QWidget* MainWindowQt::MakeButtonPanel() {
  auto* panel = new QFrame;
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* row = new QHBoxLayout(panel);
  const auto add_button = [&](const PanelButton& texts, int width, std::function<void()> on_click) {
    auto* button = new QPushButton(ToQt(texts.caption));
    button->setToolTip(ToQt(texts.hint));
    button->setMinimumWidth(width);
    connect(button, &QPushButton::clicked, this, std::move(on_click));
    row->addWidget(button);
    return button;
  };
  add_files_button_ = add_button(AddFilesButtonTexts(), 90, [this] { model_.AddFilesClicked(); });
  add_folder_button_ = add_button(AddFolderButtonTexts(), 90, [this] { model_.AddFolderClicked(); });
  output_button_ = add_button(clipvane::OutputFolderButton(), 127, [this] { model_.OutputFolderClicked(); });
  output_button_->setToolTip(ToQt(model_.OutputFolderHint()));
  auto* line = new QFrame;  // Bevel1
  line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
  row->addWidget(line);
  auto* label = new QLabel(ToQt(EncodingLabel()));
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  row->addWidget(label);
  options_button_ = add_button(clipvane::OptionsButton(), 98, [this] {
    if (options_) options_->ShowModal();
  });
  start_button_ = add_button(StartButtonTexts(), 98, [this] { model_.StartClicked(); });
  stop_button_ = add_button(StopButtonTexts(), 98, [this] { model_.StopClicked(); });
  row->addStretch(1);
  add_button(WebPageButton(), 97, [this] { model_.WebPageClicked(); });
  return panel;
}

void MainWindowQt::BuildPopupMenu() {
  popup_ = new QMenu(this);
  std::vector<QMenu*> open_menus{popup_};
  for (const MenuEntry& entry : MenuEntries()) {
    QMenu* holder = open_menus.back();
    const MenuCommand command = entry.command;
    switch (entry.kind) {
      case MenuEntry::Kind::kSubmenuEnd: open_menus.pop_back(); break;
      case MenuEntry::Kind::kSeparator: holder->addSeparator(); break;
      case MenuEntry::Kind::kSubmenuStart: {
        QMenu* submenu = holder->addMenu(ToQt(entry.caption));
        actions_[command] = submenu->menuAction();
        open_menus.push_back(submenu);
        break;
      }
      case MenuEntry::Kind::kItem: {
        QAction* action = holder->addAction(ToQt(entry.caption));
        connect(action, &QAction::triggered, this, [this, command] { model_.Run(command); });
        actions_[command] = action;
        break;
      }
    }
  }
  for (const MenuCommand command :
       {MenuCommand::kSuspendAfterwards, MenuCommand::kShutdownAfterwards, MenuCommand::kNothingAfterwards})
    actions_.at(command)->setCheckable(true);
  // The shortcuts work while the list has the keyboard focus, or anywhere in the
  // window; a disabled item's does nothing.
  for (const MenuShortcut& shortcut : MenuShortcuts()) {
    QAction* action = actions_.at(shortcut.command);
    const Qt::KeyboardModifiers modifiers = Qt::ControlModifier | (shortcut.shift ? Qt::ShiftModifier : Qt::NoModifier);
    action->setShortcut(shortcut.letter ? QKeySequence(QKeyCombination(
                                              modifiers, static_cast<Qt::Key>(Qt::Key_A + shortcut.letter - 'A')))
                                        : QKeySequence(Qt::Key_Delete));
    action->setShortcutContext(shortcut.whole_window ? Qt::WindowShortcut : Qt::WidgetShortcut);
    if (shortcut.whole_window) addAction(action);
    else list_->addAction(action);
  }
  connect(popup_, &QMenu::aboutToShow, this, [this] { model_.MenuOpening(); });
}

void MainWindowQt::SelectionChanged() {
  if (rendering_ || static_cast<VideoListView*>(list_)->TakingFocus()) return;
  const QItemSelectionModel* selection = list_->selectionModel();
  const int current = selection->currentIndex().isValid() ? selection->currentIndex().row() : -1;
  const VideoList& list = model_.List();
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const bool selected = selection->isRowSelected(static_cast<int>(row), QModelIndex());
    const bool focused = static_cast<int>(row) == current;
    if (selected != list.Row(row).selected || focused != (list.FocusedRow() == row))
      model_.RowStateChanged(row, selected, focused);
  }
}

void MainWindowQt::RowsChanged() {
  rendering_ = true;
  rows_->Reset();
  const VideoList& list = model_.List();
  QItemSelection selection;
  const int last_column = rows_->columnCount() - 1;
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    if (!list.Row(row).selected) continue;
    std::size_t end = row;  // one range for each run of selected rows
    while (end + 1 < list.RowCount() && list.Row(end + 1).selected) ++end;
    selection.select(rows_->index(static_cast<int>(row), 0), rows_->index(static_cast<int>(end), last_column));
    row = end;
  }
  list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  totals_->setText(ToQt(model_.RunTotals()));
  if (const auto focused = list.FocusedRow()) {
    const QModelIndex index = rows_->index(static_cast<int>(*focused), 0);
    list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    list_->scrollTo(index);
  }
  rendering_ = false;
}

void MainWindowQt::StateChanged() {
  list_->setEnabled(model_.ListEnabled());
  const StartButtonState start = model_.StartButton();
  start_button_->setEnabled(start.enabled);
  start_button_->setText(ToQt(start.caption));
  stop_button_->setEnabled(model_.StopButton().enabled);
  options_button_->setEnabled(!model_.Adding());
  for (const auto& [button, state] : {std::pair{add_files_button_, model_.AddFilesButton()},
                                      std::pair{add_folder_button_, model_.AddFolderButton()}}) {
    button->setEnabled(state.enabled);
    button->setText(ToQt(state.caption));
  }
  for (const auto& [command, action] : actions_) {
    action->setEnabled(model_.IsEnabled(command));
    if (action->isCheckable()) action->setChecked(model_.IsChecked(command));
  }
}

void MainWindowQt::StatusChanged() {
  status_->setText(ToQt(model_.StatusText()));
  // The work that follows blocks the window; the text must show before it.
  status_->repaint();
}

void MainWindowQt::Breathe() { QCoreApplication::processEvents(); }

void MainWindowQt::ShowFileInformation(const std::string& report) {
  if (file_info_) file_info_->ShowModal(report);
}

bool MainWindowQt::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !model_.Adding() || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
    return QMainWindow::eventFilter(watched, event);
  model_.StopAdding();
  return true;
}

void MainWindowQt::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindowQt::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths = PathsFromUriList(event->mimeData()->data("text/uri-list"));
  if (paths.empty())
    for (const QUrl& url : event->mimeData()->urls())
      if (url.isLocalFile()) paths.push_back(PathFromQt(url.toLocalFile()));
  event->acceptProposedAction();
  model_.ItemsDropped(paths);
}

void MainWindowQt::closeEvent(QCloseEvent* event) {
  if (!asked_ && !model_.MayClose()) {
    event->ignore();
    return;
  }
  follow_timer_.stop();
  model_.Closing();
  event->accept();
}

QtProgramWindows::QtProgramWindows(Program& program, GuiServices& services) {
  session_ = std::make_unique<Session>(program, services.core);
  follower_ = std::make_unique<RunFollower>(*session_, services.notifier);
  main_model_ = std::make_unique<MainWindowModel>(*session_, services.opener, services.dialogs, services.picker);
  main_model_->AttachFollower(*follower_);
  main_ = std::make_unique<MainWindowQt>(*main_model_, *follower_);
  options_model_ = std::make_unique<OptionsDialogModel>(
      *session_, OptionsServices{services.avisynth, services.fonts, services.dialogs}, [this] { main_->ShowTitle(); });
  options_ = std::make_unique<OptionsDialogQt>(*options_model_, main_.get());
  file_info_ = std::make_unique<FileInfoDialogQt>(main_.get());
  main_->AttachDialogs(*options_, *file_info_);
  // A logout or a stop closes the window as the user would: its list is saved.
  session_end_ = std::make_unique<CloseOnSessionEnd>([this] { main_->CloseWithoutAsking(); });
}

// The dialogs go before the window they belong to.
QtProgramWindows::~QtProgramWindows() = default;

std::vector<std::string> ItemsFromArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> items;
  for (const std::string& argument : arguments) {
    // An empty argument names nothing; made absolute it would be the current folder.
    if (argument.empty()) continue;
    std::error_code error;
    std::string path = std::filesystem::absolute(argument, error).lexically_normal().string();
    if (error) path = argument;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    items.push_back(path);
  }
  return items;
}

void UseDesktopFontWithKorean() {
  QFont font = QApplication::font();
  font.setFamilies({font.family(), "NanumGothic"});
  QApplication::setFont(font);
}

int RunQtWindows(Program& program, GuiServices& services, const std::vector<std::string>& items) {
  UseDesktopFontWithKorean();
  QApplication::setWindowIcon(QIcon::fromTheme("clipvane"));
  QtProgramWindows windows(program, services);
  windows.Main().show();
  if (!items.empty()) windows.MainModel().ItemsDropped(items);
  return QApplication::exec();
}

}  // namespace clipvane
