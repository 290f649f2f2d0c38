#pragma once
#include <array>
#include <string>

namespace clipvane {

class VideoList;

// What the start button bnEncode shows. The caption is ANSI.
struct StartButtonState {
  bool enabled = false;
  std::string caption;
};

// Right after the list is loaded: enabled for 1 to 4 selected rows (at start none
// is), with the caption as designed, "시작".
StartButtonState StartButtonAfterLoad(const VideoList& list);

// After any change of a row: enabled for 1 to 4 selected rows or when every row is
// selected (an empty list included); the caption counts the selected rows.
StartButtonState StartButtonAfterChange(const VideoList& list);

// The items of the list's context menu PopupMenu1, in menu order.
enum class PopupMenuItem {
  N2,                     // 새로 고침
  miExecitWithLinkedApp,  // 연결된 프로그램으로 실행
  N3,                     // 인코딩된 동영상 목록 지우기
  N9,                     // 전부 선택
  miDelete,               // 삭제
  miMakeBatchFiles,       // 인코딩 배치 파일 생성
  N11,                    // 인코딩 배치 폴더 열기
  miEncoding,             // 선택한 동영상 멀티 인코딩 하기 (최대 4개)
  miEncodingAll,          // 전부(일괄) 인코딩 하기
  N10,                    // 인코딩 완료후
  miSuspend,
  miShutdown,
  miNone,
  miSingle,
  N5,
  miMulti4,
};
constexpr std::size_t kPopupMenuItemCount = 16;

// Whether the item is enabled when the menu opens over a list of `rows` rows with
// `selected` of them selected.
bool EnabledWhenMenuOpens(PopupMenuItem item, std::size_t selected, std::size_t rows);

// The enabled states of the context menu. They are worked out each time the menu is
// about to open and last until it opens again, so a shortcut whose item was
// disabled then does nothing meanwhile. Before the first opening all are enabled.
class PopupMenuEnabling {
 public:
  PopupMenuEnabling();
  void OnPopup(const VideoList& list);
  bool IsEnabled(PopupMenuItem item) const { return enabled_[static_cast<std::size_t>(item)]; }

 private:
  std::array<bool, kPopupMenuItemCount> enabled_;
};

}  // namespace clipvane
