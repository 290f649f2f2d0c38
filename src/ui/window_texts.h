#pragma once
#include <string>
#include <vector>

namespace clipvane {

// The texts the program's windows show, in ANSI, and the commands of the main
// window's context menu. Every desktop view takes its captions from here.

// The commands of the main window's context menu PopupMenu1, the original ones in
// menu order with the designer's names of their items, then those added since.
enum class MenuCommand {
  kRefresh,                // N2: 새로 고침
  kOpenWithLinkedProgram,  // miExecitWithLinkedApp: 연결된 프로그램으로 실행
  kClearEncoded,           // N3: 인코딩된 동영상 목록 지우기
  kSelectAll,              // N9: 전부 선택
  kDelete,                 // miDelete: 삭제
  kMakeBatchFiles,         // miMakeBatchFiles: 인코딩 배치 파일 생성
  kOpenBatchFolder,        // N11: 인코딩 배치 폴더 열기
  kEncodeSelection,        // miEncoding: 선택한 동영상 멀티 인코딩 하기 (최대 4개)
  kEncodeAllMenu,          // miEncodingAll: 전부(일괄) 인코딩 하기, a submenu
  kAfterEncodingMenu,      // N10: 인코딩 완료후, a submenu
  kSuspendAfterwards,      // miSuspend: 대기모드로...
  kShutdownAfterwards,     // miShutdown: 컴퓨터 끄기
  kNothingAfterwards,      // miNone: (없음)
  kEncodeAllSingle,        // miSingle: 싱글
  kEncodeAllTwoQueues,     // N5: 멀티2
  kEncodeAllFourQueues,    // miMulti4: 멀티4
  // Added after the original items: the jobs in the user's hand.
  kOpenLog,       // 로그 보기: the first selected row's job log
  kStopSelected,  // 선택한 작업 중지
  kStopAll,       // 모든 작업 중지
  // At the top of the menu, and as buttons: the ways to add videos besides a drop.
  kAddFiles,   // 파일 추가…
  kAddFolder,  // 폴더 추가…
};
constexpr std::size_t kMenuCommandCount = 21;

// One entry of the context menu, in menu order. A separator or a submenu's end has no
// command.
struct MenuEntry {
  enum class Kind { kItem, kSeparator, kSubmenuStart, kSubmenuEnd };
  Kind kind;
  MenuCommand command;
  std::string caption;
  std::string shortcut;  // as shown after the caption, e.g. "Ctrl+R"
};
std::vector<MenuEntry> MenuEntries();

// The commands that carry a keyboard shortcut while the list has the focus, or
// wherever the focus is in the window: a letter with Ctrl (and Shift), or the Delete
// key.
struct MenuShortcut {
  MenuCommand command;
  char letter;  // 0 for Del
  bool shift = false;
  bool whole_window = false;
};
std::vector<MenuShortcut> MenuShortcuts();

// fmMain's list columns: encoded marker, title, subtitle, and the MP4 the row makes.
struct ListColumn {
  std::string header;
  int width;  // pixels; 0 for the control's default
  bool centred;
};
std::vector<ListColumn> ListColumns();
// The columns both windows add after the original ones for the jobs they follow:
// progress and result.
std::vector<ListColumn> FollowColumns();

struct PanelButton {
  std::string caption;
  std::string hint;  // shown as the button's tool tip
};
PanelButton OutputFolderButton();  // Button2
PanelButton OptionsButton();       // Button1
PanelButton StartButtonTexts();    // bnEncode, as designed
PanelButton WebPageButton();       // Button4
PanelButton StopButtonTexts();     // the stop button beside the start button
std::string EncodingLabel();       // Label2
// The two buttons that add videos, and what the folder button says while an add goes on.
PanelButton AddFilesButtonTexts();
PanelButton AddFolderButtonTexts();
PanelButton StopAddingButtonTexts();

// What the files dialog of "파일 추가…" shows: its title and its two filters, the
// video extensions of the settings (without the dot) and all files.
struct FilesDialogTexts {
  std::string title;
  std::string videos;  // the first filter's name
  std::vector<std::string> extensions;
  std::string all_files;  // the second filter's name
};
FilesDialogTexts AddFilesDialogTexts(const std::vector<std::string>& video_extensions);
std::string AddFolderDialogTitle();

// The lines the empty list shows: how to add videos, and the device the conversions
// are for (an item of PlatformItems) with where to change it.
std::vector<std::string> EmptyListHint(const std::string& device);

// The address behind the "문의하기" button.
inline constexpr const char* kMakerWebPage = "https://clipvane.blogspot.com/";

// The controls of the options dialog fmOptions, with the designer's names.
enum class OptionsControl {
  kDisplayGroup,  // rdDisplayScale
  kDisplay0,      // its four items
  kDisplay1,
  kDisplay2,
  kDisplay3,
  kNoResize,        // CheckBox2
  kSyncGroup,       // GroupBox2
  kSubtitleSync,    // cbSubtitleSync
  kAudioSync,       // cbAudioSync
  kQualityGroup,    // GroupBox1
  kQuality,         // cbQulity
  kQualityText,     // Label5
  kSubtitle,        // cbSubtitle
  kSubtitlePanel,   // pnSubtitle
  kSizeLabel,       // Label2
  kFontSize,        // cbFontSize
  kFontLabel,       // Label3
  kFonts,           // cbFonts
  kColourSubtitle,  // cbColorSubtitle
  kRule,            // Bevel1
  kPlatformLabel,   // Label4
  kPlatform,        // cbPlatform
  kVideoExtsLabel,  // the video extension field and its label
  kVideoExts,
  kSubtitleClassLabel,  // the language of a SAMI file in two languages, and its label
  kSubtitleClass,
  kOutputFolderLabel,  // where the MP4s go: its label, the folder, the browse button
  kOutputFolder,
  kOutputFolderBrowse,
  kKeepSubfolders,  // whether a folder added keeps its subfolders there
  kOk,              // Button1
  kCancel,          // the Linux dialog's way out without saving

  kAudioLanguageLabel,  // the language of the sound track taken from a video with several, and its label
  kAudioLanguage,
};

std::string OptionsCaption();
// The fixed caption of a control; empty for lists and for what the model fills in.
std::string OptionsControlCaption(OptionsControl control);
// The tool tip of a control; empty for none.
std::string OptionsToolTip(OptionsControl control);
// The four screen-fit items of rdDisplayScale, the same for both devices.
std::vector<std::string> ScreenFitItems();
std::vector<std::string> QualityItems();
std::vector<std::string> PlatformItems();
// What the subtitle language list shows for a SAMI class: 자동 for none, the language
// of the usual Korean and English classes, or the class name as it is.
std::string SubtitleClassItem(const std::string& sami_class);
// A language as the report names it ("korean"), in Korean for the common ones, else as it is.
std::string LanguageName(const std::string& language);
// What the sound language list shows for a language: 자동 for none, else its LanguageName.
std::string AudioLanguageItem(const std::string& language);
// The description under cbQulity for a selection; no selection reads as "low".
std::string QualityDescription(int selection);

// Form3, the file-information dialog.
std::string FileInfoCaption();
std::string OkCaption();
std::string CancelCaption();

}  // namespace clipvane
