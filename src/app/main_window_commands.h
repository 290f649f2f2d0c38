#pragma once
#include <optional>
#include <string>

#include "media/command_enabling.h"

namespace clipvane {

class Session;

// Opens a folder, a video with its associated program or a web address, as the
// desktop does.
class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  virtual void Open(const std::string& target) = 0;
};

// The address behind the main window's "문의하기" button.
inline constexpr const char* kMakerWebPage = "https://clipvane.blogspot.com/";

// What the main window's buttons, context menu and shortcuts do, without the window:
// it renders the session's list and these states afterwards.
class MainWindowCommands {
 public:
  MainWindowCommands(Session& session, DocumentOpener& opener) : session_(session), opener_(opener) {}

  // The context menu is about to open: its enabling rules are applied and hold until
  // it opens again.
  void MenuOpening() { enabling_.OnPopup(ListOf(session_)); }
  bool IsEnabled(PopupMenuItem item) const { return enabling_.IsEnabled(item); }

  // A menu item or its shortcut. An item disabled at the last opening does nothing.
  // Returns whether it ran.
  bool Run(PopupMenuItem item);

  // The start button bnEncode.
  void Start();
  // The buttons that open the output folder and the maker's web page.
  void OpenOutputFolder();
  void OpenWebPage();
  // A double-click on the list: the probed report of the first selected video, or
  // nothing without a selection.
  std::optional<std::string> FileInformation();

  // The power-action item carrying the check mark.
  PopupMenuItem PowerActionItem() const;

 private:
  static const VideoList& ListOf(const Session& session);
  std::string RelativeFolder(const std::string& name) const;

  Session& session_;
  DocumentOpener& opener_;
  PopupMenuEnabling enabling_;
};

}  // namespace clipvane
