#include "app/main_window_commands.h"

#include "app/session.h"
#include "media/list_commands.h"

namespace clipvane {

const VideoList& MainWindowCommands::ListOf(const Session& session) { return session.list; }

std::string MainWindowCommands::RelativeFolder(const std::string& name) const {
  // Resolved against the current folder, which is the program's folder when it was
  // started from the desktop.
  return std::string(".") + Separator(session_.program.workspace.Style()) + name;
}

bool MainWindowCommands::Run(PopupMenuItem item) {
  if (!IsEnabled(item)) return false;
  VideoList& list = session_.list;
  switch (item) {
    case PopupMenuItem::N2: RefreshList(list, session_.probe); break;
    case PopupMenuItem::miExecitWithLinkedApp:
      if (const auto row = list.FirstSelected()) opener_.Open(session_.probe.ProbeVideo(list, *row).path);
      break;
    case PopupMenuItem::N3: ClearEncoded(list); break;
    case PopupMenuItem::N9: list.SelectAll(); break;
    case PopupMenuItem::miDelete: DeleteSelected(list); break;
    case PopupMenuItem::miMakeBatchFiles: MakeBatchFiles(session_.Rows(), session_.power, session_.Commands()); break;
    case PopupMenuItem::N11: opener_.Open(RelativeFolder("batch")); break;
    case PopupMenuItem::miEncoding: EncodeSelection(session_.Rows(), session_.Commands()); break;
    case PopupMenuItem::miSuspend: session_.power = PowerAction::kSuspend; break;
    case PopupMenuItem::miShutdown: session_.power = PowerAction::kShutdown; break;
    case PopupMenuItem::miNone: session_.power = PowerAction::kNone; break;
    case PopupMenuItem::miSingle: EncodeWholeList(1, session_.Rows(), session_.power, session_.Commands()); break;
    case PopupMenuItem::N5: EncodeWholeList(2, session_.Rows(), session_.power, session_.Commands()); break;
    case PopupMenuItem::miMulti4: EncodeWholeList(4, session_.Rows(), session_.power, session_.Commands()); break;
    case PopupMenuItem::miEncodingAll:
    case PopupMenuItem::N10: return false;  // submenus only
  }
  return true;
}

void MainWindowCommands::Start() {
  switch (StartButtonRoute(session_.list.SelectedCount(), session_.list.RowCount())) {
    case StartRoute::kEncodeSelection: EncodeSelection(session_.Rows(), session_.Commands()); break;
    case StartRoute::kSingleQueue:
      EncodeWholeList(1, session_.Rows(), session_.power, session_.Commands());
      break;
    case StartRoute::kNothing: break;
  }
}

void MainWindowCommands::OpenOutputFolder() { opener_.Open(RelativeFolder("incoming")); }

void MainWindowCommands::OpenWebPage() { opener_.Open(kMakerWebPage); }

std::optional<std::string> MainWindowCommands::FileInformation() {
  const auto row = session_.list.FirstSelected();
  if (!row) return std::nullopt;
  return session_.probe.ProbeVideo(session_.list, *row).facts.report;
}

PopupMenuItem MainWindowCommands::PowerActionItem() const {
  switch (session_.power) {
    case PowerAction::kSuspend: return PopupMenuItem::miSuspend;
    case PowerAction::kShutdown: return PopupMenuItem::miShutdown;
    case PowerAction::kNone: break;
  }
  return PopupMenuItem::miNone;
}

}  // namespace clipvane
