#include "app/options_dialog_win32.h"

#include <commctrl.h>

#include "app/main_window_win32.h"
#include "app/modal_win32.h"
#include "app/program.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "platform/win32/wide_text.h"
#include "settings/settings_store.h"

namespace clipvane {
namespace {

constexpr wchar_t kOptionsClass[] = L"TfmOptions";
constexpr int kClientWidth = 509;
constexpr int kClientHeight = 469;

struct ControlPlan {
  int id;
  const wchar_t* window_class;
  const char* caption;  // UTF-8
  DWORD style;
  int left, top, width, height;
};

// Positions are those of the client area; controls inside a group are placed at the
// group's position plus their own.
const ControlPlan kControls[] = {
    {kIdDisplayGroup, L"BUTTON", u8"화면 설정", BS_GROUPBOX, 13, 8, 484, 121},
    {kIdDisplayFirst + 0, L"BUTTON", "", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 13 + 10, 8 + 18, 464, 24},
    {kIdDisplayFirst + 1, L"BUTTON", "", BS_AUTORADIOBUTTON, 13 + 10, 8 + 43, 464, 24},
    {kIdDisplayFirst + 2, L"BUTTON", "", BS_AUTORADIOBUTTON, 13 + 10, 8 + 68, 464, 24},
    {kIdDisplayFirst + 3, L"BUTTON", "", BS_AUTORADIOBUTTON, 13 + 10, 8 + 93, 464, 24},
    {kIdNoResize, L"BUTTON", u8"화면 설정과 상관없이, 4:3비율은 항상 기본(원래) 화면으로 보기",
     BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 24, 136, 441, 25},
    {kIdSyncGroup, L"BUTTON", u8"동영상 싱크 맞추기", BS_GROUPBOX, 16, 168, 473, 73},
    {kIdSubtitleSync, L"BUTTON", u8"인코딩시 자막이 정상적으로 안맞는 경우 맞게 인코딩 하기",
     BS_AUTOCHECKBOX | WS_TABSTOP, 16 + 16, 168 + 16, 441, 25},
    {kIdAudioSync, L"BUTTON", u8"인코딩시 소리가 정상적으로 안맞는 경우 맞게 인코딩 하기",
     BS_AUTOCHECKBOX | WS_TABSTOP, 16 + 16, 168 + 40, 441, 25},
    {kIdQualityGroup, L"BUTTON", u8"영상 품질", BS_GROUPBOX, 13, 248, 484, 54},
    {kIdQuality, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 13 + 14, 248 + 20, 81, 200},
    {kIdQualityText, L"STATIC", "", SS_SUNKEN | SS_CENTERIMAGE, 13 + 99, 248 + 23, 367, 17},
    {kIdSubtitlePanel, L"BUTTON", "", BS_GROUPBOX | WS_CLIPSIBLINGS, 13, 313, 484, 51},
    {kIdSubtitle, L"BUTTON", u8"자막", BS_AUTOCHECKBOX | WS_TABSTOP, 24, 310, 97, 17},
    {kIdSizeLabel, L"STATIC", u8"크기", SS_LEFT, 13 + 20, 313 + 21, 40, 17},
    {kIdFontSize, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 13 + 62, 313 + 19, 57, 200},
    {kIdFontLabel, L"STATIC", u8"폰트", SS_LEFT, 13 + 146, 313 + 21, 40, 17},
    {kIdFonts, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 13 + 196, 313 + 19, 139, 300},
    {kIdColourSubtitle, L"BUTTON", u8"컬러 태그 적용", BS_AUTOCHECKBOX | WS_TABSTOP, 13 + 355, 313 + 21, 120, 17},
    {kIdRule, L"STATIC", "", SS_ETCHEDHORZ, 20, 374, 473, 2},
    {kIdPlatformLabel, L"STATIC", u8"기기 환경", SS_LEFT, 20, 392, 64, 17},
    {kIdPlatform, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 86, 390, 289, 200},
    {kIdOptionsOk, L"BUTTON", u8"확인", BS_DEFPUSHBUTTON | WS_TABSTOP, 218, 426, 81, 25},
};

void AddToolTip(HWND tooltips, HWND control, const std::string& utf8) {
  // The tool tip control keeps its own copy of the text.
  std::wstring text = AnsiToWide(Utf8ToAnsi(utf8));
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltips, TTM_SETMAXTIPWIDTH, 0, 400);
}

void FillList(HWND combo, const std::vector<std::string>& items, int selection) {
  SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AnsiToWide(item).c_str()));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(combo, nullptr, TRUE);
}

}  // namespace

OptionsDialog::OptionsDialog(Program& program, GuiServices& services, std::string& plugin_dir, HINSTANCE instance,
                             std::function<void()> loaded)
    : program_(program), services_(services), plugin_dir_(plugin_dir), loaded_(std::move(loaded)),
      lists_(services.fonts) {
  RegisterWindowClassOnce(instance, kOptionsClass, RouteToOwner<OptionsDialog>);
  font_ = MakeKoreanFont(L"굴림", 13);
  small_font_ = MakeKoreanFont(L"굴림", 12);
  // A dialog border, no close box and no system menu: OK is the way out.
  window_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kOptionsClass, L"",
                            WS_POPUP | WS_CAPTION | WS_DLGFRAME, 0, 0, kClientWidth, kClientHeight, nullptr, nullptr,
                            instance, this);
  SetControlText(window_, OptionsCaption());
  CentreOnDesktop(window_, kClientWidth, kClientHeight);
  CreateControls(instance);
  Load();
}

OptionsDialog::~OptionsDialog() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  DeleteObject(font_);
  DeleteObject(small_font_);
}

void OptionsDialog::CreateControls(HINSTANCE instance) {
  for (const ControlPlan& plan : kControls) {
    HWND control = CreateWindowExW(0, plan.window_class, AnsiToWide(Utf8ToAnsi(plan.caption)).c_str(),
                                   WS_CHILD | WS_VISIBLE | plan.style, plan.left, plan.top, plan.width, plan.height,
                                   window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(plan.id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(plan.id == kIdQualityText ? small_font_ : font_),
                 FALSE);
  }
  // cbSubtitle lies over the top edge of its group, so it is drawn after it.
  SetWindowPos(Control(kIdSubtitle), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  FillList(Control(kIdQuality), QualityItems(), -1);
  FillList(Control(kIdPlatform), PlatformItems(), -1);

  HWND tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
  AddToolTip(tooltips, Control(kIdSubtitleSync),
             u8"전혀 문제없는 원본 영상을 인코딩했는데, 자막이 영상과 안맞는 경우 이것을 체크해서 다시 "
             u8"인코딩하세요. (이 작업은 두단계를 거치므로 인코딩 속도가 좀 느립니다.)");
  AddToolTip(tooltips, Control(kIdAudioSync),
             u8"전혀 문제없는 원본 영상을 인코딩했는데, 오디오가 영상과 안맞는 경우 이것을 체크해서 다시 "
             u8"인코딩하세요.");
}

bool OptionsDialog::Checked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void OptionsDialog::SetChecked(int id, bool checked) {
  // Setting a box by code sends no click, so its handler does not run.
  SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int OptionsDialog::Selection(int id) const { return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0)); }

OptionsControls OptionsDialog::ReadControls() const {
  OptionsControls controls;
  for (int i = 0; i < 4; ++i)
    if (Checked(kIdDisplayFirst + i)) controls.display = i;
  controls.qulity = Selection(kIdQuality);
  controls.platform = Selection(kIdPlatform);
  controls.noresizefor43scale = Checked(kIdNoResize);
  controls.subtitlesync = Checked(kIdSubtitleSync);
  controls.audiosync = Checked(kIdAudioSync);
  controls.needsubtitle = Checked(kIdSubtitle);
  controls.colorsubtitle = Checked(kIdColourSubtitle);
  return controls;
}

void OptionsDialog::Load() {
  LoadSettings(program_.settings, *program_.ini, services_.notifier);
  ShowLoadedSettings();
}

void OptionsDialog::ShowLoadedSettings() {
  const OptionsControls shown = ControlsFromSettings(program_.settings);
  const std::vector<std::string> fits = ScreenFitItems();
  for (int i = 0; i < 4; ++i) {
    SetControlText(Control(kIdDisplayFirst + i), fits[static_cast<std::size_t>(i)]);
    SetChecked(kIdDisplayFirst + i, i == shown.display);
  }
  SendMessageW(Control(kIdQuality), CB_SETCURSEL, static_cast<WPARAM>(shown.qulity), 0);
  SetControlText(Control(kIdQualityText), QualityDescription(shown.qulity));
  SendMessageW(Control(kIdPlatform), CB_SETCURSEL, static_cast<WPARAM>(shown.platform), 0);
  if (Checked(kIdColourSubtitle) != shown.colorsubtitle) {
    SetChecked(kIdColourSubtitle, shown.colorsubtitle);
    ColourSubtitleClicked();
  }
  // The lists follow the box, which the AviSynth check may just have cleared.
  FillFontControls(Checked(kIdColourSubtitle));
  SetChecked(kIdNoResize, shown.noresizefor43scale);
  SetChecked(kIdSubtitleSync, shown.subtitlesync);
  SetChecked(kIdAudioSync, shown.audiosync);
  SetChecked(kIdSubtitle, shown.needsubtitle);
  EnableSubtitleControls(shown.needsubtitle);
  if (loaded_) loaded_();
}

void OptionsDialog::FillFontControls(bool colour_route) {
  refilling_ = true;
  const SubtitleListsView view =
      lists_.Fill(program_.settings, *program_.ini, colour_route, Selection(kIdPlatform));
  FillList(Control(kIdFontSize), view.sizes, view.size_index);
  FillList(Control(kIdFonts), view.fonts, view.font_index);
  refilling_ = false;
}

void OptionsDialog::ColourSubtitleClicked() {
  if (Checked(kIdColourSubtitle) &&
      !MakeAviSynthReady(services_.avisynth, services_.notifier, program_.workspace, plugin_dir_))
    SetChecked(kIdColourSubtitle, false);
  FillFontControls(Checked(kIdColourSubtitle));
}

void OptionsDialog::EnableSubtitleControls(bool enabled) {
  for (int id : {kIdSubtitlePanel, kIdSizeLabel, kIdFontLabel, kIdFontSize, kIdFonts, kIdColourSubtitle})
    EnableWindow(Control(id), enabled);
}

void OptionsDialog::OkClicked() {
  bool close = true;
  try {
    TakeControls(program_.settings, ReadControls());
    close = SaveSettings(program_.settings, *program_.ini, services_.notifier);
    ShowLoadedSettings();
  } catch (const std::exception& error) {
    // The keys after the failed one are not written; the dialog closes as after OK.
    ReportError(services_.notifier, error);
  }
  if (close) closed_ = true;
}

void OptionsDialog::OnCommand(int id, int code) {
  if (refilling_) return;
  if (code == CBN_SELCHANGE) {
    if (id == kIdQuality) SetControlText(Control(kIdQualityText), QualityDescription(Selection(kIdQuality)));
    if (id == kIdPlatform) FillFontControls(Checked(kIdColourSubtitle));
    if (id == kIdFontSize) lists_.SizeChosen(program_.settings, Checked(kIdColourSubtitle), Selection(kIdFontSize));
    if (id == kIdFonts && Selection(kIdFonts) >= 0) {
      const int index = Selection(kIdFonts);
      const int length = static_cast<int>(SendMessageW(Control(kIdFonts), CB_GETLBTEXTLEN, index, 0));
      std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
      SendMessageW(Control(kIdFonts), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
      text.resize(static_cast<std::size_t>(length));
      lists_.FontChosen(program_.settings, Checked(kIdColourSubtitle), WideToAnsi(text));
    }
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kIdOptionsOk: OkClicked(); break;
    case kIdSubtitle: EnableSubtitleControls(Checked(kIdSubtitle)); break;
    case kIdColourSubtitle: ColourSubtitleClicked(); break;
    case kIdSubtitleSync:
      if (Checked(kIdSubtitleSync))
        services_.notifier.ShowMessage(SubtitleSyncWarning(), Utf8ToAnsi(u8"경고"), MessageIcon::kWarning,
                                       MessageButtons::kOk);
      break;
    default: break;
  }
}

void OptionsDialog::ShowModal(HWND owner) {
  Load();
  closed_ = false;
  SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  RunModal(window_, owner, closed_);
}

LRESULT OptionsDialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      // The keyboard's close command leaves without saving; the next showing reloads.
      closed_ = true;
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == Control(kIdQualityText)) break;
      SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_NCDESTROY:
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace clipvane
