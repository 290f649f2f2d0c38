#pragma once
#include <string>
#include <vector>

#include "media/command_enabling.h"

namespace clipvane {

// The texts of fmMain (ANSI).

struct ListColumn {
  std::string header;
  int width;  // pixels; 0 for the control's default
  bool centred;
};
// The three columns of ListView1: encoded marker, title, subtitle.
std::vector<ListColumn> ListColumns();

struct PanelButton {
  std::string caption;
  std::string hint;  // shown as the button's tool tip
};
PanelButton OutputFolderButton();  // Button2
PanelButton OptionsButton();       // Button1
PanelButton StartButtonTexts();    // bnEncode, as designed
PanelButton WebPageButton();       // Button4
std::string EncodingLabel();       // Label2

// One entry of the context menu PopupMenu1, in menu order. A separator has no item.
struct PopupMenuEntry {
  enum class Kind { kItem, kSeparator, kSubmenuStart, kSubmenuEnd };
  Kind kind;
  PopupMenuItem item;
  std::string caption;
  std::string shortcut;  // as shown after the caption, e.g. "Ctrl+R"
};
std::vector<PopupMenuEntry> PopupMenuEntries();

// The items that carry a keyboard shortcut while the list has the focus: the item
// and its key, a letter with Ctrl or the Delete key.
struct MenuShortcut {
  PopupMenuItem item;
  char letter;  // 0 for Del
};
std::vector<MenuShortcut> MenuShortcuts();

}  // namespace clipvane
