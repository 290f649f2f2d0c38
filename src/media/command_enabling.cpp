#include "media/command_enabling.h"

#include "media/video_list.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

bool OneToFour(std::size_t selected) { return selected >= 1 && selected <= 4; }

}  // namespace

StartButtonState StartButtonAfterLoad(const VideoList& list) {
  return {OneToFour(list.SelectedCount()), Utf8ToAnsi(u8"시작")};
}

StartButtonState StartButtonAfterChange(const VideoList& list) {
  const std::size_t selected = list.SelectedCount();
  return {OneToFour(selected) || selected == list.RowCount(),
          Utf8ToAnsi(u8"시작") + " (" + std::to_string(selected) + ")"};
}

bool EnabledWhenMenuOpens(PopupMenuItem item, std::size_t selected, std::size_t rows) {
  switch (item) {
    case PopupMenuItem::miExecitWithLinkedApp:
    case PopupMenuItem::miDelete:
      return selected >= 1;
    case PopupMenuItem::miMakeBatchFiles:
    case PopupMenuItem::miEncodingAll:
      return rows >= 1;
    case PopupMenuItem::miEncoding:
      return OneToFour(selected);
    default:
      return true;
  }
}

PopupMenuEnabling::PopupMenuEnabling() { enabled_.fill(true); }

void PopupMenuEnabling::OnPopup(const VideoList& list) {
  for (std::size_t i = 0; i < kPopupMenuItemCount; ++i)
    enabled_[i] = EnabledWhenMenuOpens(static_cast<PopupMenuItem>(i), list.SelectedCount(),
                                       list.RowCount());
}

}  // namespace clipvane
