#include "app/win32/options_dialog_win32.h"

#include <commctrl.h>

#include "app/win32/gui_services_win32.h"
#include "app/win32/modal_win32.h"

namespace clipvane {
namespace {

constexpr wchar_t kOptionsClass[] = L"TfmOptions";
constexpr int kClientWidth = 509;
// The designed 469, and rows for the video extensions, the subtitle language and the output folder.
constexpr int kClientHeight = 589;
constexpr int kIdFirstControl = 300;

using C = OptionsControl;

// The OK button keeps the identifier that the dialog keys send.
int IdOf(OptionsControl control) { return control == C::kOk ? IDOK : kIdFirstControl + static_cast<int>(control); }
OptionsControl ControlOf(int id) { return id == IDOK ? C::kOk : static_cast<OptionsControl>(id - kIdFirstControl); }

struct ControlPlan {
  OptionsControl control;
  const wchar_t* window_class;
  DWORD style;
  int left, top, width, height;
};

// Positions are those of the client area; controls inside a group are placed at the
// group's position plus their own.
const ControlPlan kControls[] = {
    {C::kDisplayGroup, L"BUTTON", BS_GROUPBOX, 13, 8, 484, 121},
    {C::kDisplay0, L"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 13 + 10, 8 + 18, 464, 24},
    {C::kDisplay1, L"BUTTON", BS_AUTORADIOBUTTON, 13 + 10, 8 + 43, 464, 24},
    {C::kDisplay2, L"BUTTON", BS_AUTORADIOBUTTON, 13 + 10, 8 + 68, 464, 24},
    {C::kDisplay3, L"BUTTON", BS_AUTORADIOBUTTON, 13 + 10, 8 + 93, 464, 24},
    {C::kNoResize, L"BUTTON", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 24, 136, 441, 25},
    {C::kSyncGroup, L"BUTTON", BS_GROUPBOX, 16, 168, 473, 73},
    {C::kSubtitleSync, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 16 + 16, 168 + 16, 441, 25},
    {C::kAudioSync, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 16 + 16, 168 + 40, 441, 25},
    {C::kQualityGroup, L"BUTTON", BS_GROUPBOX, 13, 248, 484, 54},
    {C::kQuality, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 13 + 14, 248 + 20, 81, 200},
    {C::kQualityText, L"STATIC", SS_SUNKEN | SS_CENTERIMAGE, 13 + 99, 248 + 23, 367, 17},
    {C::kSubtitlePanel, L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, 13, 313, 484, 51},
    {C::kSubtitle, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 24, 310, 97, 17},
    {C::kSizeLabel, L"STATIC", SS_LEFT, 13 + 20, 313 + 21, 40, 17},
    {C::kFontSize, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 13 + 62, 313 + 19, 57, 200},
    {C::kFontLabel, L"STATIC", SS_LEFT, 13 + 146, 313 + 21, 40, 17},
    {C::kFonts, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 13 + 196, 313 + 19, 139, 300},
    {C::kColourSubtitle, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 13 + 355, 313 + 21, 120, 17},
    {C::kRule, L"STATIC", SS_ETCHEDHORZ, 20, 374, 473, 2},
    {C::kPlatformLabel, L"STATIC", SS_LEFT, 20, 392, 64, 17},
    {C::kPlatform, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 86, 390, 289, 200},
    {C::kVideoExtsLabel, L"STATIC", SS_LEFT, 20, 424, 84, 17},
    {C::kVideoExts, L"EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 108, 421, 385, 21},
    {C::kSubtitleClassLabel, L"STATIC", SS_LEFT, 20, 454, 84, 17},
    {C::kSubtitleClass, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 108, 451, 150, 200},
    {C::kOutputFolderLabel, L"STATIC", SS_LEFT, 20, 484, 84, 17},
    {C::kOutputFolder, L"EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 108, 481, 296, 21},
    {C::kOutputFolderBrowse, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 410, 480, 83, 23},
    {C::kKeepSubfolders, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 108, 508, 385, 21},
    // On the subtitle language's row, on its right.
    {C::kAudioLanguageLabel, L"STATIC", SS_LEFT, 276, 454, 64, 17},
    {C::kAudioLanguage, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 343, 451, 150, 200},
    {C::kOk, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 218, 546, 81, 25},
};

const OptionsControl kDisplayItems[] = {C::kDisplay0, C::kDisplay1, C::kDisplay2, C::kDisplay3};
const OptionsControl kSubtitleControls[] = {C::kSubtitlePanel,      C::kSizeLabel,    C::kFontLabel,
                                            C::kFontSize,           C::kFonts,        C::kColourSubtitle,
                                            C::kSubtitleClassLabel, C::kSubtitleClass};
// The screen fits and the 4:3 box, which the phone has no use for.
const OptionsControl kScreenFitControls[] = {C::kDisplayGroup, C::kDisplay0, C::kDisplay1,
                                             C::kDisplay2,     C::kDisplay3, C::kNoResize};

}  // namespace

OptionsDialog::OptionsDialog(OptionsDialogModel& model, HINSTANCE instance) : model_(model) {
  RegisterWindowClassOnce(instance, kOptionsClass, RouteToOwner<OptionsDialog>);
  font_ = MakeKoreanFont(L"굴림", 13);
  small_font_ = MakeKoreanFont(L"굴림", 12);
  // A dialog border, no close box and no system menu: OK is the way out.
  window_ =
      CreateCentredDialog(instance, kOptionsClass, WS_DLGFRAME, OptionsCaption(), kClientWidth, kClientHeight, this);
  CreateControls(instance);
  model_.Load();
  Render();
}

OptionsDialog::~OptionsDialog() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  DeleteObject(font_);
  DeleteObject(small_font_);
}

HWND OptionsDialog::Control(OptionsControl control) const { return GetDlgItem(window_, IdOf(control)); }

void OptionsDialog::CreateControls(HINSTANCE instance) {
  HWND tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
  for (const ControlPlan& plan : kControls) {
    HWND control = CreateWindowExW(
        0, plan.window_class, L"", WS_CHILD | WS_VISIBLE | plan.style, plan.left, plan.top, plan.width, plan.height,
        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(plan.control))), instance, nullptr);
    SetControlText(control, OptionsControlCaption(plan.control));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(plan.control == C::kQualityText ? small_font_ : font_),
                 FALSE);
    AddToolTip(tooltips, control, OptionsToolTip(plan.control));
  }
  // cbSubtitle lies over the top edge of its group, so it is drawn after it.
  SetWindowPos(Control(C::kSubtitle), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  const std::vector<std::string> fits = ScreenFitItems();
  for (std::size_t i = 0; i < fits.size(); ++i) SetControlText(Control(kDisplayItems[i]), fits[i]);
  FillDropDown(Control(C::kQuality), QualityItems(), -1);
  FillDropDown(Control(C::kPlatform), PlatformItems(), -1);
}

bool OptionsDialog::Checked(OptionsControl control) const {
  return SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void OptionsDialog::SetChecked(OptionsControl control, bool checked) {
  // Setting a box by code sends no click, so its handler does not run.
  SendMessageW(Control(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int OptionsDialog::Selection(OptionsControl control) const {
  return static_cast<int>(SendMessageW(Control(control), CB_GETCURSEL, 0, 0));
}

void OptionsDialog::Render() {
  const OptionsControls& shown = model_.Controls();
  for (int i = 0; i < 4; ++i) SetChecked(kDisplayItems[i], shown.display == i);
  SendMessageW(Control(C::kQuality), CB_SETCURSEL, static_cast<WPARAM>(shown.qulity), 0);
  SetControlText(Control(C::kQualityText), model_.QualityText());
  SendMessageW(Control(C::kPlatform), CB_SETCURSEL, static_cast<WPARAM>(shown.platform), 0);
  SetChecked(C::kNoResize, shown.noresizefor43scale);
  SetChecked(C::kSubtitleSync, shown.subtitlesync);
  SetChecked(C::kAudioSync, shown.audiosync);
  SetChecked(C::kSubtitle, shown.needsubtitle);
  SetChecked(C::kColourSubtitle, shown.colorsubtitle);
  // Set only when it differs, so that typing keeps its cursor.
  if (ControlText(Control(C::kVideoExts)) != shown.videofileext)
    SetControlText(Control(C::kVideoExts), shown.videofileext);
  if (ControlText(Control(C::kOutputFolder)) != shown.outputfolder)
    SetControlText(Control(C::kOutputFolder), shown.outputfolder);
  SetChecked(C::kKeepSubfolders, shown.keepsubfolders);
  FillDropDown(Control(C::kAudioLanguage), model_.AudioLanguageItems(), model_.AudioLanguageIndex());
  const SubtitleListsView& lists = model_.SubtitleLists();
  FillDropDown(Control(C::kFontSize), lists.sizes, lists.size_index);
  FillDropDown(Control(C::kFonts), lists.fonts, lists.font_index);
  FillDropDown(Control(C::kSubtitleClass), model_.SubtitleClassItems(), model_.SubtitleClassIndex());
  for (OptionsControl control : kSubtitleControls) EnableWindow(Control(control), model_.SubtitleControlsEnabled());
  for (OptionsControl control : kScreenFitControls) EnableWindow(Control(control), model_.ScreenFitEnabled());
}

void OptionsDialog::OnCommand(OptionsControl control, int code) {
  const bool chosen = code == CBN_SELCHANGE;
  const bool clicked = code == BN_CLICKED;
  switch (control) {
    case C::kDisplay0:
    case C::kDisplay1:
    case C::kDisplay2:
    case C::kDisplay3:
      if (clicked) model_.DisplayChosen(static_cast<int>(control) - static_cast<int>(C::kDisplay0));
      break;
    case C::kQuality:
      if (chosen) model_.QualityChosen(Selection(control));
      break;
    case C::kPlatform:
      if (chosen) model_.PlatformChosen(Selection(control));
      break;
    case C::kFontSize:
      if (chosen) model_.SizeChosen(Selection(control));
      break;
    case C::kFonts:
      if (chosen) model_.FontChosen(Selection(control));
      break;
    case C::kSubtitleClass:
      if (chosen) model_.SubtitleClassChosen(Selection(control));
      break;
    case C::kNoResize:
      if (clicked) model_.NoResizeClicked(Checked(control));
      break;
    case C::kSubtitleSync:
      if (clicked) model_.SubtitleSyncClicked(Checked(control));
      break;
    case C::kAudioSync:
      if (clicked) model_.AudioSyncClicked(Checked(control));
      break;
    case C::kSubtitle:
      if (clicked) model_.SubtitleClicked(Checked(control));
      break;
    case C::kColourSubtitle:
      if (clicked) model_.ColourSubtitleClicked(Checked(control));
      break;
    case C::kVideoExts:
      if (code != EN_CHANGE) return;
      model_.VideoExtensionsEdited(ControlText(Control(control)));
      return;  // the field shows what is typed already
    case C::kOutputFolder:
      if (code != EN_CHANGE) return;
      model_.OutputFolderEdited(ControlText(Control(control)));
      return;
    case C::kOutputFolderBrowse: {
      if (!clicked) return;
      // A folder whose name the code page cannot hold is no folder the jobs can write to.
      const PickedItems picked = NativeItemPicker().PickFolder(OptionsControlCaption(C::kOutputFolderLabel));
      model_.BrowseOutputFolderClicked(picked.paths.empty() ? std::nullopt
                                                            : std::optional<std::string>(picked.paths.front()));
      break;
    }
    case C::kKeepSubfolders:
      if (clicked) model_.KeepSubfoldersClicked(Checked(control));
      break;
    case C::kAudioLanguage:
      if (chosen) model_.AudioLanguageChosen(Selection(control));
      break;
    case C::kOk:
      if (clicked) closed_ = model_.OkClicked();
      break;
    default: return;
  }
  Render();
}

void OptionsDialog::ShowModal(HWND owner) {
  model_.Load();
  Render();
  closed_ = false;
  SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  RunModal(window_, owner, closed_);
}

LRESULT OptionsDialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: OnCommand(ControlOf(LOWORD(wparam)), HIWORD(wparam)); return 0;
    case WM_CLOSE:
      // The keyboard's close command leaves without saving; the next showing reloads.
      closed_ = true;
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == Control(C::kQualityText)) break;
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
