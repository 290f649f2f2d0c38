#include "ui/window_texts.h"

#include <iterator>
#include <utility>

#include "platform/text_encoding.h"
#include "settings/devices.h"

namespace clipvane {
namespace {

PanelButton Button(const char* caption, const char* hint) { return {Utf8ToAnsi(caption), Utf8ToAnsi(hint)}; }

MenuEntry Item(MenuCommand command, const char* caption, const char* shortcut = "") {
  return {MenuEntry::Kind::kItem, command, Utf8ToAnsi(caption), shortcut};
}
MenuEntry Submenu(MenuCommand command, const char* caption) {
  return {MenuEntry::Kind::kSubmenuStart, command, Utf8ToAnsi(caption), ""};
}
MenuEntry EndOfSubmenu() { return {MenuEntry::Kind::kSubmenuEnd, MenuCommand::kRefresh, "", ""}; }
MenuEntry Separator() { return {MenuEntry::Kind::kSeparator, MenuCommand::kRefresh, "", ""}; }

std::vector<std::string> AnsiItems(std::initializer_list<const char*> utf8_items) {
  std::vector<std::string> items;
  for (const char* item : utf8_items) items.push_back(Utf8ToAnsi(item));
  return items;
}

}  // namespace

std::vector<MenuEntry> MenuEntries() {
  using M = MenuCommand;
  return {
      Item(M::kAddFiles, u8"파일 추가…", "Ctrl+O"),
      Item(M::kAddFolder, u8"폴더 추가…", "Ctrl+Shift+O"),
      Separator(),
      Item(M::kRefresh, u8"새로 고침", "Ctrl+R"),
      Separator(),
      Item(M::kOpenWithLinkedProgram, u8"연결된 프로그램으로 실행"),
      Item(M::kClearEncoded, u8"인코딩된 동영상 목록 지우기", "Ctrl+T"),
      Item(M::kSelectAll, u8"전부 선택", "Ctrl+A"),
      Item(M::kDelete, u8"삭제", "Del"),
      Separator(),
      Item(M::kMakeBatchFiles, u8"인코딩 배치 파일 생성"),
      Item(M::kOpenBatchFolder, u8"인코딩 배치 폴더 열기"),
      Separator(),
      Item(M::kEncodeSelection, u8"선택한 동영상 멀티 인코딩 하기 (최대 4개)", "Ctrl+E"),
      Submenu(M::kEncodeAllMenu, u8"전부(일괄) 인코딩 하기"),
      Submenu(M::kAfterEncodingMenu, u8"인코딩 완료후"),
      Item(M::kSuspendAfterwards, u8"대기모드로..."),
      Item(M::kShutdownAfterwards, u8"컴퓨터 끄기"),
      Item(M::kNothingAfterwards, u8"(없음)"),
      EndOfSubmenu(),
      Separator(),
      Item(M::kEncodeAllSingle, u8"싱글"),
      Item(M::kEncodeAllTwoQueues, u8"멀티2"),
      Item(M::kEncodeAllFourQueues, u8"멀티4"),
      EndOfSubmenu(),
      Separator(),
      Item(M::kOpenLog, u8"로그 보기"),
      Item(M::kStopSelected, u8"선택한 작업 중지"),
      Item(M::kStopAll, u8"모든 작업 중지"),
  };
}

std::vector<MenuShortcut> MenuShortcuts() {
  using M = MenuCommand;
  return {{M::kRefresh, 'R'},
          {M::kClearEncoded, 'T'},
          {M::kSelectAll, 'A'},
          {M::kDelete, 0},
          {M::kEncodeSelection, 'E'},
          {M::kAddFiles, 'O', false, true},
          {M::kAddFolder, 'O', true, true}};
}

std::vector<ListColumn> ListColumns() {
  return {{"", 20, false},
          {Utf8ToAnsi(u8"동영상 제목"), 300, true},
          {Utf8ToAnsi(u8"자막"), 0, true},
          {Utf8ToAnsi(u8"MP4 파일"), 180, false}};
}

std::vector<ListColumn> FollowColumns() {
  // Wide enough for a cluster job's node before its progress: "n2: 45% 120fps 0:32 남음".
  return {{Utf8ToAnsi(u8"진행"), 175, true}, {Utf8ToAnsi(u8"결과"), 0, false}};
}

PanelButton OutputFolderButton() { return Button(u8"MP4 저장소 열기", u8"인코딩된 파일이 저장된 폴더를 엽니다."); }
PanelButton OptionsButton() { return Button(u8"설정", u8"어떤 형태로 인코딩 할 것인지 설정합니다."); }
PanelButton StartButtonTexts() { return Button(u8"시작", u8"선택한 동영상 파일(들)을 인코딩 합니다."); }
PanelButton WebPageButton() { return Button(u8"문의하기", u8"Clipvane 개발자 블로그로 이동합니다."); }
PanelButton StopButtonTexts() {
  return Button(u8"중지", u8"선택한 동영상의 인코딩을, 선택한 것이 없으면 모든 인코딩을 중지합니다.");
}
std::string EncodingLabel() { return Utf8ToAnsi(u8"인코딩"); }
PanelButton AddFilesButtonTexts() { return Button(u8"파일 추가…", u8"목록에 넣을 동영상 파일을 고릅니다. (Ctrl+O)"); }
PanelButton AddFolderButtonTexts() {
  return Button(u8"폴더 추가…", u8"고른 폴더와 그 아래 모든 폴더의 동영상을 목록에 넣습니다. (Ctrl+Shift+O)");
}
PanelButton StopAddingButtonTexts() { return Button(u8"추가 멈춤", u8"폴더에서 동영상을 찾는 일을 멈춥니다. (Esc)"); }

FilesDialogTexts AddFilesDialogTexts(const std::vector<std::string>& video_extensions) {
  return {Utf8ToAnsi(u8"동영상 파일 추가"), Utf8ToAnsi(u8"동영상 파일"), video_extensions, Utf8ToAnsi(u8"모든 파일")};
}
std::string AddFolderDialogTitle() { return Utf8ToAnsi(u8"동영상 폴더 추가"); }

std::vector<std::string> EmptyListHint(const std::string& device) {
  return {Utf8ToAnsi(u8"동영상 파일이나 폴더를 여기에 끌어 놓거나 [파일 추가…]/[폴더 추가…]를 누르세요"),
          Utf8ToAnsi(u8"변환 기기: ") + device + Utf8ToAnsi(u8" (설정에서 바꿀 수 있습니다)")};
}

std::string OptionsCaption() { return Utf8ToAnsi(u8"설정"); }

std::string OptionsControlCaption(OptionsControl control) {
  using C = OptionsControl;
  switch (control) {
    case C::kDisplayGroup: return Utf8ToAnsi(u8"화면 설정");
    case C::kNoResize: return Utf8ToAnsi(u8"화면 설정과 상관없이, 4:3비율은 항상 기본(원래) 화면으로 보기");
    case C::kSyncGroup: return Utf8ToAnsi(u8"동영상 싱크 맞추기");
    case C::kSubtitleSync: return Utf8ToAnsi(u8"인코딩시 자막이 정상적으로 안맞는 경우 맞게 인코딩 하기");
    case C::kAudioSync: return Utf8ToAnsi(u8"인코딩시 소리가 정상적으로 안맞는 경우 맞게 인코딩 하기");
    case C::kQualityGroup: return Utf8ToAnsi(u8"영상 품질");
    case C::kSubtitle: return Utf8ToAnsi(u8"자막");
    case C::kSizeLabel: return Utf8ToAnsi(u8"크기");
    case C::kFontLabel: return Utf8ToAnsi(u8"폰트");
    case C::kColourSubtitle: return Utf8ToAnsi(u8"컬러 태그 적용");
    case C::kPlatformLabel: return Utf8ToAnsi(u8"기기 환경");
    case C::kVideoExtsLabel: return Utf8ToAnsi(u8"동영상 확장자");
    case C::kSubtitleClassLabel: return Utf8ToAnsi(u8"자막 언어");
    case C::kOutputFolderLabel: return Utf8ToAnsi(u8"저장 폴더");
    case C::kOutputFolderBrowse: return Utf8ToAnsi(u8"찾아보기…");
    case C::kKeepSubfolders: return Utf8ToAnsi(u8"하위 폴더 구조 유지");
    case C::kAudioLanguageLabel: return Utf8ToAnsi(u8"음성 언어");
    case C::kOk: return OkCaption();
    case C::kCancel: return CancelCaption();
    default: return {};
  }
}

std::string OptionsToolTip(OptionsControl control) {
  if (control == OptionsControl::kSubtitleSync)
    return Utf8ToAnsi(
        u8"전혀 문제없는 원본 영상을 인코딩했는데, 자막이 영상과 안맞는 경우 이것을 체크해서 다시 인코딩하세요. "
        u8"(이 작업은 두단계를 거치므로 인코딩 속도가 좀 느립니다.)");
  if (control == OptionsControl::kAudioSync)
    return Utf8ToAnsi(
        u8"전혀 문제없는 원본 영상을 인코딩했는데, 오디오가 영상과 안맞는 경우 이것을 체크해서 다시 인코딩하세요.");
  if (control == OptionsControl::kVideoExts)
    return Utf8ToAnsi(u8"목록에 넣을 동영상 파일의 확장자입니다. 점 없이 쉼표로 나누어 적습니다. (예: avi,mp4,mkv)");
  if (control == OptionsControl::kOutputFolder)
    return Utf8ToAnsi(
        u8"변환된 MP4 파일을 저장할 폴더의 전체 경로입니다. 비워 두면 프로그램의 incoming 폴더에 저장합니다.");
  if (control == OptionsControl::kKeepSubfolders)
    return Utf8ToAnsi(u8"폴더째 추가한 동영상은 저장 폴더 안에 그 폴더 이름과 하위 폴더 구조 그대로 저장합니다.");
  return {};
}

std::vector<std::string> ScreenFitItems() {
  return AnsiItems({u8"전체 화면으로 보기 (비율을 맞추는 대신 화면이 잘림)",
                    u8"전체 화면으로 보기 (비율이 이상하지만 화면은 안잘림)", u8"원래 영상 비율로 보기",
                    u8"원래 영상 비율로 보기 (iPod touch와 iPhone 640x480 최적)"});
}

std::vector<std::string> QualityItems() { return AnsiItems({u8"좋음", u8"보통", u8"낮음"}); }

std::vector<std::string> PlatformItems() {
  std::vector<std::string> items;
  for (const DeviceDescriptor& device : Devices()) items.push_back(Utf8ToAnsi(device.item));
  return items;
}

std::string SubtitleClassItem(const std::string& sami_class) {
  if (sami_class.empty()) return Utf8ToAnsi(u8"자동");
  if (EqualsIgnoringAsciiCase(sami_class, "KRCC")) return Utf8ToAnsi(u8"한국어");
  if (EqualsIgnoringAsciiCase(sami_class, "ENCC")) return Utf8ToAnsi(u8"영어");
  return sami_class;
}

std::string LanguageName(const std::string& language) {
  static const std::pair<const char*, const char*> names[] = {
      {"korean", u8"한국어"},   {"english", u8"영어"},  {"japanese", u8"일본어"},  {"chinese", u8"중국어"},
      {"french", u8"프랑스어"}, {"german", u8"독일어"}, {"spanish", u8"스페인어"}, {"russian", u8"러시아어"}};
  for (const auto& [english, korean] : names)
    if (language == english) return Utf8ToAnsi(korean);
  return language;
}

std::string AudioLanguageItem(const std::string& language) {
  return language.empty() ? Utf8ToAnsi(u8"자동") : LanguageName(language);
}

std::string QualityDescription(int selection) {
  // One for each item of QualityItems; any other selection reads as the last item's.
  static const char* const descriptions[] = {u8"최상의 동영상 품질을 뽑아내지만 인코딩 속도가 느립니다.",
                                             u8"보통의 동영상 품질에 인코딩 속도도 무난합니다. (추천)",
                                             u8"동영상 품질은 떨어지지만 인코딩 속도가 빠릅니다."};
  const int last = static_cast<int>(std::size(descriptions)) - 1;
  return Utf8ToAnsi(descriptions[selection >= 0 && selection < last ? selection : last]);
}

std::string FileInfoCaption() { return Utf8ToAnsi(u8"동영상 파일 정보"); }
std::string OkCaption() { return Utf8ToAnsi(u8"확인"); }
std::string CancelCaption() { return Utf8ToAnsi(u8"취소"); }

}  // namespace clipvane
