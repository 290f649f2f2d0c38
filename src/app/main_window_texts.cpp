#include "app/main_window_texts.h"

#include "platform/text_encoding.h"

namespace clipvane {
namespace {

PanelButton Button(const char* caption, const char* hint) { return {Utf8ToAnsi(caption), Utf8ToAnsi(hint)}; }

PopupMenuEntry Item(PopupMenuItem item, const char* caption, const char* shortcut = "") {
  return {PopupMenuEntry::Kind::kItem, item, Utf8ToAnsi(caption), shortcut};
}
PopupMenuEntry Submenu(PopupMenuItem item, const char* caption) {
  return {PopupMenuEntry::Kind::kSubmenuStart, item, Utf8ToAnsi(caption), ""};
}
PopupMenuEntry EndOfSubmenu() { return {PopupMenuEntry::Kind::kSubmenuEnd, PopupMenuItem::N2, "", ""}; }
PopupMenuEntry Separator() { return {PopupMenuEntry::Kind::kSeparator, PopupMenuItem::N2, "", ""}; }

}  // namespace

std::vector<ListColumn> ListColumns() {
  return {{"", 20, false}, {Utf8ToAnsi(u8"동영상 제목"), 500, true}, {Utf8ToAnsi(u8"자막"), 0, true}};
}

PanelButton OutputFolderButton() {
  return Button(u8"MP4 저장소 열기", u8"인코딩된 파일이 저장된 폴더를 엽니다.");
}
PanelButton OptionsButton() { return Button(u8"설정", u8"어떤 형태로 인코딩 할 것인지 설정합니다."); }
PanelButton StartButtonTexts() { return Button(u8"시작", u8"선택한 동영상 파일(들)을 인코딩 합니다."); }
PanelButton WebPageButton() { return Button(u8"문의하기", u8"Clipvane 개발자 블로그로 이동합니다."); }
std::string EncodingLabel() { return Utf8ToAnsi(u8"인코딩"); }

std::vector<PopupMenuEntry> PopupMenuEntries() {
  using M = PopupMenuItem;
  return {
      Item(M::N2, u8"새로 고침", "Ctrl+R"),
      Separator(),
      Item(M::miExecitWithLinkedApp, u8"연결된 프로그램으로 실행"),
      Item(M::N3, u8"인코딩된 동영상 목록 지우기", "Ctrl+T"),
      Item(M::N9, u8"전부 선택", "Ctrl+A"),
      Item(M::miDelete, u8"삭제", "Del"),
      Separator(),
      Item(M::miMakeBatchFiles, u8"인코딩 배치 파일 생성"),
      Item(M::N11, u8"인코딩 배치 폴더 열기"),
      Separator(),
      Item(M::miEncoding, u8"선택한 동영상 멀티 인코딩 하기 (최대 4개)", "Ctrl+E"),
      Submenu(M::miEncodingAll, u8"전부(일괄) 인코딩 하기"),
      Submenu(M::N10, u8"인코딩 완료후"),
      Item(M::miSuspend, u8"대기모드로..."),
      Item(M::miShutdown, u8"컴퓨터 끄기"),
      Item(M::miNone, u8"(없음)"),
      EndOfSubmenu(),
      Separator(),
      Item(M::miSingle, u8"싱글"),
      Item(M::N5, u8"멀티2"),
      Item(M::miMulti4, u8"멀티4"),
      EndOfSubmenu(),
  };
}

std::vector<MenuShortcut> MenuShortcuts() {
  using M = PopupMenuItem;
  return {{M::N2, 'R'}, {M::N3, 'T'}, {M::N9, 'A'}, {M::miDelete, 0}, {M::miEncoding, 'E'}};
}

}  // namespace clipvane
