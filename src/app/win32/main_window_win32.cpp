#include "app/win32/main_window_win32.h"

// windows.h (through the header) first: the shell and control headers depend on it.
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "app/win32/file_info_dialog_win32.h"
#include "app/win32/options_dialog_win32.h"
#include "session/program.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"

namespace clipvane {
namespace {

constexpr wchar_t kMainWindowClass[] = L"TfmMain";
constexpr wchar_t kPanelClass[] = L"TPanel";
constexpr int kButtonPanelHeight = 43;
constexpr int kRightPanelWidth = 113;
// The two add buttons come first; the designed controls follow them, this far right.
constexpr int kAddButtonWidth = 92;
constexpr int kAddButtons = 8 + 2 * (kAddButtonWidth + 4);
constexpr int kBevelLeft = kAddButtons + 144;
constexpr LONG_PTR kButtonPanelMark = 1;  // the panel that draws Bevel1

UINT MenuId(MenuCommand command) { return static_cast<UINT>(kIdFirstMenuItem + static_cast<int>(command)); }

// Panels pass their buttons' clicks on to the window they sit in, and Panel1 draws
// its bevel and the vertical line Bevel1.
LRESULT CALLBACK PanelProcedure(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY: return SendMessageW(GetAncestor(panel, GA_ROOT), message, wparam, lparam);
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(panel, &paint);
      if (GetWindowLongPtrW(panel, GWLP_USERDATA) == kButtonPanelMark) {
        RECT edge;
        GetClientRect(panel, &edge);
        DrawEdge(dc, &edge, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
        RECT line{kBevelLeft + 4, 5, kBevelLeft + 6, 5 + 33};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
      }
      EndPaint(panel, &paint);
      return 0;
    }
  }
  return DefWindowProcW(panel, message, wparam, lparam);
}

void RegisterClasses(HINSTANCE instance, WNDPROC main_procedure) {
  RegisterWindowClassOnce(instance, kMainWindowClass, main_procedure, CS_DROPSHADOW);
  RegisterWindowClassOnce(instance, kPanelClass, PanelProcedure);
}

HWND MakeChild(const wchar_t* window_class, const std::string& text, DWORD style, int left, int top, int width,
               int height, HWND parent, int id, HFONT font, HINSTANCE instance) {
  HWND child =
      CreateWindowExW(0, window_class, AnsiToWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, left, top, width,
                      height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

}  // namespace

constexpr UINT_PTR kFollowTimer = 1;

MainWindow::MainWindow(MainWindowModel& model, const RunFollower& follower, HINSTANCE instance)
    : model_(model), follower_(follower), instance_(instance) {
  RegisterClasses(instance, RouteToOwner<MainWindow>);
  window_font_ = MakeKoreanFont(L"굴림", 13);
  fixed_font_ = MakeKoreanFont(L"굴림체", 13);
  bold_font_ = MakeKoreanFont(L"굴림", 13, true);
  // Wider than designed by the add buttons.
  window_ = CreateWindowExW(0, kMainWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 225, 225,
                            711 + kAddButtons, 493, nullptr, nullptr, instance, this);
  CreateControls();
  BuildPopupMenu();
  Layout();
  model_.Attach(*this);
  DragAcceptFiles(window_, TRUE);
  model_.Created();
  model_.FollowJobs();  // a run going on when the window opens shows at once
  SetTimer(window_, kFollowTimer, 1000, nullptr);
}

MainWindow::~MainWindow() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  if (popup_) DestroyMenu(popup_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (window_accelerators_) DestroyAcceleratorTable(window_accelerators_);
  DeleteObject(window_font_);
  DeleteObject(fixed_font_);
  DeleteObject(bold_font_);
}

void MainWindow::AttachDialogs(OptionsDialog& options, FileInfoDialog& file_info) {
  options_ = &options;
  file_info_ = &file_info;
}

void MainWindow::ShowTitle() {
  SetControlText(window_, model_.Title());
  InvalidateRect(list_view_, nullptr, TRUE);  // the empty list's hint names the device of the settings
}

LRESULT CALLBACK MainWindow::ListProcedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                           DWORD_PTR window) {
  auto& owner = *reinterpret_cast<MainWindow*>(window);
  if (message == WM_MOUSEMOVE) {
    LVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    const int row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    // Another row: its own tip, after the usual wait.
    if (row != owner.tip_row_) SendMessageW(owner.tooltips_, TTM_POP, 0, 0);
    owner.tip_row_ = row;
  }
  const LRESULT result = DefSubclassProc(list, message, wparam, lparam);
  if (message == WM_PAINT) owner.DrawEmptyListHint();
  return result;
}

void MainWindow::DrawEmptyListHint() {
  const std::vector<std::string> lines = model_.EmptyListHint();
  if (lines.empty()) return;
  std::wstring text;
  for (const std::string& line : lines) text += (text.empty() ? L"" : L"\r\n\r\n") + AnsiToWide(line);
  RECT area;
  GetClientRect(list_view_, &area);
  RECT header{};
  GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list_view_, LVM_GETHEADER, 0, 0)), &header);
  area.top += header.bottom - header.top;
  InflateRect(&area, -16, -16);
  HDC dc = GetDC(list_view_);
  const HGDIOBJ font = SelectObject(dc, window_font_);
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  RECT measured = area;
  DrawTextW(dc, text.c_str(), -1, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
  area.top += std::max(0L, (area.bottom - area.top - (measured.bottom - measured.top)) / 2);
  DrawTextW(dc, text.c_str(), -1, &area, DT_CENTER | DT_WORDBREAK);
  SelectObject(dc, font);
  ReleaseDC(list_view_, dc);
}

void MainWindow::CreateControls() {
  list_view_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 0, 0, 0,
                      0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdListView)), instance_, nullptr);
  SendMessageW(list_view_, WM_SETFONT, reinterpret_cast<WPARAM>(fixed_font_), FALSE);
  SendMessageW(list_view_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  SetWindowSubclass(list_view_, ListProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
  std::vector<ListColumn> columns = ListColumns();
  for (const ListColumn& column : FollowColumns()) columns.push_back(column);
  int column_index = 0;
  for (const ListColumn& column : columns) {
    std::wstring header = AnsiToWide(column.header);
    LVCOLUMNW lv_column{};
    lv_column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    lv_column.fmt = column.centred ? LVCFMT_CENTER : LVCFMT_LEFT;
    lv_column.cx = column.width > 0 ? column.width : 50;
    lv_column.pszText = header.data();
    SendMessageW(list_view_, LVM_INSERTCOLUMNW, column_index++, reinterpret_cast<LPARAM>(&lv_column));
  }

  panel_ = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                           kButtonPanelHeight, window_, nullptr, instance_, nullptr);
  SetWindowLongPtrW(panel_, GWLP_USERDATA, kButtonPanelMark);
  tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
  // The tip of a failed job's row tells the whole cause in its tools' words, from the
  // window's own text of any length (a list's info tip is cut at its buffer, and is not
  // there at all in some list controls).
  TTTOOLINFOW list_tip{};
  list_tip.cbSize = sizeof list_tip;
  list_tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  list_tip.hwnd = window_;
  list_tip.uId = reinterpret_cast<UINT_PTR>(list_view_);
  list_tip.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&list_tip));

  const PanelButton add_files = AddFilesButtonTexts(), add_folder = AddFolderButtonTexts();
  add_files_button_ = MakeChild(L"BUTTON", add_files.caption, WS_TABSTOP | BS_PUSHBUTTON, 10, 10, kAddButtonWidth, 25,
                                panel_, kIdAddFilesButton, fixed_font_, instance_);
  add_folder_button_ = MakeChild(L"BUTTON", add_folder.caption, WS_TABSTOP | BS_PUSHBUTTON, 14 + kAddButtonWidth, 10,
                                 kAddButtonWidth, 25, panel_, kIdAddFolderButton, fixed_font_, instance_);
  const int left = kAddButtons;
  const PanelButton output = OutputFolderButton();
  HWND output_button = MakeChild(L"BUTTON", output.caption, WS_TABSTOP | BS_PUSHBUTTON, left + 10, 10, 127, 25, panel_,
                                 kIdOutputFolderButton, fixed_font_, instance_);
  MakeChild(L"STATIC", EncodingLabel(), SS_CENTER | SS_CENTERIMAGE, left + 156, 13, 61, 17, panel_, -1, bold_font_,
            instance_);
  const PanelButton options = OptionsButton();
  options_button_ = MakeChild(L"BUTTON", options.caption, WS_TABSTOP | BS_PUSHBUTTON, left + 216, 10, 98, 25, panel_,
                              kIdOptionsButton, fixed_font_, instance_);
  const PanelButton start = StartButtonTexts();
  start_button_ = MakeChild(L"BUTTON", start.caption, WS_TABSTOP | BS_PUSHBUTTON, left + 321, 10, 98, 25, panel_,
                            kIdStartButton, fixed_font_, instance_);
  const PanelButton stop = StopButtonTexts();
  stop_button_ = MakeChild(L"BUTTON", stop.caption, WS_TABSTOP | BS_PUSHBUTTON, left + 426, 10, 98, 25, panel_,
                           kIdStopButton, fixed_font_, instance_);
  right_panel_ = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, kRightPanelWidth,
                                 kButtonPanelHeight - 4, panel_, nullptr, instance_, nullptr);
  const PanelButton web = WebPageButton();
  HWND web_button = MakeChild(L"BUTTON", web.caption, WS_TABSTOP | BS_PUSHBUTTON, 8, 6, 97, 25, right_panel_,
                              kIdWebPageButton, fixed_font_, instance_);
  AddToolTip(tooltips_, add_files_button_, add_files.hint);
  AddToolTip(tooltips_, add_folder_button_, add_folder.hint);
  AddToolTip(tooltips_, output_button, model_.OutputFolderHint());
  AddToolTip(tooltips_, options_button_, options.hint);
  AddToolTip(tooltips_, start_button_, start.hint);
  AddToolTip(tooltips_, stop_button_, stop.hint);
  AddToolTip(tooltips_, web_button, web.hint);

  status_bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_,
                                nullptr, instance_, nullptr);
  SendMessageW(status_bar_, WM_SETFONT, reinterpret_cast<WPARAM>(window_font_), FALSE);
  // The status text, then the run's totals.
  int parts[] = {200, -1};
  SendMessageW(status_bar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void MainWindow::BuildPopupMenu() {
  popup_ = CreatePopupMenu();
  std::vector<HMENU> open_menus{popup_};
  for (const MenuEntry& entry : MenuEntries()) {
    HMENU holder = open_menus.back();
    if (entry.kind == MenuEntry::Kind::kSubmenuEnd) {
      open_menus.pop_back();
      continue;
    }
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    std::wstring text = AnsiToWide(entry.shortcut.empty() ? entry.caption : entry.caption + "\t" + entry.shortcut);
    if (entry.kind == MenuEntry::Kind::kSeparator) {
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_SEPARATOR;
    } else {
      info.fMask = MIIM_ID | MIIM_STRING;
      info.wID = MenuId(entry.command);
      info.dwTypeData = text.data();
      if (entry.kind == MenuEntry::Kind::kSubmenuStart) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = CreatePopupMenu();
      }
    }
    InsertMenuItemW(holder, static_cast<UINT>(GetMenuItemCount(holder)), TRUE, &info);
    if (entry.kind == MenuEntry::Kind::kSubmenuStart) open_menus.push_back(info.hSubMenu);
  }

  // The list's table holds every shortcut; the window's those that work anywhere in it.
  std::vector<ACCEL> keys, window_keys;
  for (const MenuShortcut& shortcut : MenuShortcuts()) {
    ACCEL key{};
    key.fVirt = FVIRTKEY | (shortcut.letter ? FCONTROL : 0) | (shortcut.shift ? FSHIFT : 0);
    key.key = shortcut.letter ? static_cast<WORD>(shortcut.letter) : VK_DELETE;
    key.cmd = static_cast<WORD>(MenuId(shortcut.command));
    keys.push_back(key);
    if (shortcut.whole_window) window_keys.push_back(key);
  }
  accelerators_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
  window_accelerators_ = CreateAcceleratorTableW(window_keys.data(), static_cast<int>(window_keys.size()));
}

void MainWindow::Layout() {
  RECT client;
  GetClientRect(window_, &client);
  SendMessageW(status_bar_, WM_SIZE, 0, 0);
  RECT status_rect;
  GetWindowRect(status_bar_, &status_rect);
  const int status_height = status_rect.bottom - status_rect.top;
  const int width = client.right;
  const int panel_top = client.bottom - status_height - kButtonPanelHeight;
  MoveWindow(list_view_, 0, 0, width, panel_top > 0 ? panel_top : 0, TRUE);
  FitResultColumn();
  if (model_.List().RowCount() == 0) InvalidateRect(list_view_, nullptr, TRUE);  // the hint stays in the middle
  // The status text takes what the run's totals leave.
  int parts[] = {std::max(200, width - 240), -1};
  SendMessageW(status_bar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  MoveWindow(panel_, 0, panel_top, width, kButtonPanelHeight, TRUE);
  // Panel2 sits at the right edge, inside Panel1's bevel.
  MoveWindow(right_panel_, width - 2 - kRightPanelWidth, 2, kRightPanelWidth, kButtonPanelHeight - 4, TRUE);
  InvalidateRect(panel_, nullptr, TRUE);
}

void MainWindow::FitResultColumn() {
  const int columns = static_cast<int>(ListColumns().size() + FollowColumns().size());
  RECT client;
  GetClientRect(list_view_, &client);
  int others = 0;
  for (int column = 0; column + 1 < columns; ++column)
    others += static_cast<int>(SendMessageW(list_view_, LVM_GETCOLUMNWIDTH, column, 0));
  SendMessageW(list_view_, LVM_SETCOLUMNWIDTH, columns - 1, std::max(120, static_cast<int>(client.right) - others));
}

void MainWindow::RowsChanged() {
  rendering_ = true;
  SendMessageW(list_view_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_view_, LVM_DELETEALLITEMS, 0, 0);
  const VideoList& list = model_.List();
  SendMessageW(list_view_, LVM_SETITEMCOUNT, list.RowCount(), 0);
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const VideoRow& video = list.Row(row);
    std::wstring texts[] = {AnsiToWide(video.encoded_marker), AnsiToWide(video.title), AnsiToWide(video.subtitle),
                            AnsiToWide(list.ShownOutput(row))};
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = static_cast<int>(row);
    item.pszText = texts[0].data();
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = (video.selected ? LVIS_SELECTED : 0) | (list.FocusedRow() == row ? LVIS_FOCUSED : 0);
    SendMessageW(list_view_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < 4; ++column) {
      LVITEMW sub{};
      sub.iSubItem = column;
      sub.pszText = texts[column].data();
      SendMessageW(list_view_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
    }
    ShowJobColumns(row);
  }
  SendMessageW(status_bar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(AnsiToWide(model_.RunTotals()).c_str()));
  SendMessageW(list_view_, LVM_ENSUREVISIBLE, list.FocusedRow().value_or(0), FALSE);
  SendMessageW(list_view_, WM_SETREDRAW, TRUE, 0);
  FitResultColumn();  // a scroll bar that came or went changed the list's width
  InvalidateRect(list_view_, nullptr, TRUE);
  rendering_ = false;
}

void MainWindow::ShowJobColumns(std::size_t row) {
  std::wstring texts[] = {AnsiToWide(follower_.ProgressText(row)), AnsiToWide(follower_.ResultText(row))};
  for (int i = 0; i < 2; ++i) {
    LVITEMW sub{};
    sub.iSubItem = 4 + i;
    sub.pszText = texts[i].data();
    SendMessageW(list_view_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
  }
}

void MainWindow::JobsChanged() {
  rendering_ = true;
  const VideoList& list = model_.List();
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    // The encoded marker follows a job that ended.
    std::wstring marker = AnsiToWide(list.Row(row).encoded_marker);
    LVITEMW first{};
    first.pszText = marker.data();
    SendMessageW(list_view_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&first));
    ShowJobColumns(row);
  }
  SendMessageW(status_bar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(AnsiToWide(model_.RunTotals()).c_str()));
  rendering_ = false;
}

void MainWindow::StateChanged() {
  // The empty list's hint goes while an add fills the list, and comes back after.
  const bool was_disabled = EnableWindow(list_view_, model_.ListEnabled()) != FALSE;
  if (was_disabled == model_.ListEnabled()) InvalidateRect(list_view_, nullptr, TRUE);
  // The disabled list lost the focus: the button that stops the add takes it, and
  // gives it back to the list after.
  if (model_.Adding() && !GetFocus() && GetActiveWindow() == window_) {
    SetFocus(add_folder_button_);
    focus_lent_ = true;
  } else if (!model_.Adding() && focus_lent_) {
    focus_lent_ = false;
    if (GetFocus() == add_folder_button_) SetFocus(list_view_);
  }
  const StartButtonState start = model_.StartButton();
  EnableWindow(start_button_, start.enabled);
  SetControlText(start_button_, start.caption);
  EnableWindow(stop_button_, model_.StopButton().enabled);
  EnableWindow(options_button_, !model_.Adding());
  for (const auto& [button, state] : {std::pair{add_files_button_, model_.AddFilesButton()},
                                      std::pair{add_folder_button_, model_.AddFolderButton()}}) {
    EnableWindow(button, state.enabled);
    SetControlText(button, state.caption);
  }
  for (std::size_t i = 0; i < kMenuCommandCount; ++i) {
    const auto command = static_cast<MenuCommand>(i);
    EnableMenuItem(popup_, MenuId(command), MF_BYCOMMAND | (model_.IsEnabled(command) ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(popup_, MenuId(command), MF_BYCOMMAND | (model_.IsChecked(command) ? MF_CHECKED : MF_UNCHECKED));
  }
}

void MainWindow::StatusChanged() {
  SendMessageW(status_bar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(AnsiToWide(model_.StatusText()).c_str()));
  // The work that follows blocks the window; the text must show before it.
  UpdateWindow(status_bar_);
}

void MainWindow::Breathe() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // leave it for the main loop
      return;
    }
    // With the list disabled no control may have the focus: the key then comes to the
    // window as a system key.
    if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && message.wParam == VK_ESCAPE) {
      model_.StopAdding();
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void MainWindow::ShowFileInformation(const std::string& report) { file_info_->ShowModal(window_, report); }

void MainWindow::OnListTip(NMTTDISPINFOW& tip) {
  const bool row = tip_row_ >= 0 && static_cast<std::size_t>(tip_row_) < model_.List().RowCount();
  tip_text_ = row ? AnsiToWide(follower_.ResultDetail(static_cast<std::size_t>(tip_row_))) : L"";
  tip.lpszText = tip_text_.data();  // an empty text shows no tip
}

void MainWindow::OnListNotify(const NMHDR& header) {
  if (header.code == NM_DBLCLK) return model_.DoubleClicked();
  if (header.code != LVN_ITEMCHANGED || rendering_) return;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if (!(change.uChanged & LVIF_STATE)) return;
  // Row -1 stands for every row.
  const int rows = static_cast<int>(SendMessageW(list_view_, LVM_GETITEMCOUNT, 0, 0));
  const int first = change.iItem < 0 ? 0 : change.iItem;
  const int end = change.iItem < 0 ? rows : change.iItem + 1;
  for (int row = first; row < end; ++row) {
    const auto state = static_cast<UINT>(SendMessageW(list_view_, LVM_GETITEMSTATE, row, LVIS_SELECTED | LVIS_FOCUSED));
    model_.RowStateChanged(static_cast<std::size_t>(row), state & LVIS_SELECTED, state & LVIS_FOCUSED);
  }
}

void MainWindow::OnDropFiles(HDROP drop) {
  // The names as the shell has them: an ANSI query would turn a character the code
  // page lacks into "?" and name another file, or none.
  HandedFiles dropped;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    dropped.Add(name);
  }
  DragFinish(drop);
  model_.UnlistableFilesDropped(dropped.unlistable);
  model_.ItemsDropped(dropped.paths);
}

void MainWindow::OnCommand(int id) {
  switch (id) {
    case kIdOutputFolderButton: return model_.OutputFolderClicked();
    case kIdWebPageButton: return model_.WebPageClicked();
    case kIdOptionsButton: return options_->ShowModal(window_);
    case kIdStartButton: return model_.StartClicked();
    case kIdStopButton: return model_.StopClicked();
    case kIdAddFilesButton: return model_.AddFilesClicked();
    case kIdAddFolderButton: return model_.AddFolderClicked();
    default: break;
  }
  const int index = id - kIdFirstMenuItem;
  if (index >= 0 && index < static_cast<int>(kMenuCommandCount)) model_.Run(static_cast<MenuCommand>(index));
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      if (status_bar_) Layout();
      return 0;
    case WM_SETFOCUS:
      if (list_view_) SetFocus(list_view_);
      return 0;
    case WM_COMMAND: OnCommand(LOWORD(wparam)); return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->hwndFrom == list_view_) OnListNotify(*header);
      if (header->hwndFrom == tooltips_ && header->code == TTN_GETDISPINFOW &&
          reinterpret_cast<const NMTTDISPINFOW*>(header)->hdr.idFrom == reinterpret_cast<UINT_PTR>(list_view_))
        OnListTip(*reinterpret_cast<NMTTDISPINFOW*>(lparam));
      return 0;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wparam) == list_view_) {
        POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        if (lparam == -1) {
          at = {8, 8};
          ClientToScreen(list_view_, &at);
        }
        TrackPopupMenuEx(popup_, TPM_RIGHTBUTTON, at.x, at.y, window_, nullptr);
        return 0;
      }
      break;
    case WM_INITMENUPOPUP:
      if (reinterpret_cast<HMENU>(wparam) == popup_) model_.MenuOpening();
      return 0;
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wparam)); return 0;
    case WM_TIMER:
      if (wparam == kFollowTimer) model_.FollowJobs();
      return 0;
    case WM_CLOSE:
      // Over running jobs the user is asked first, and may stay.
      if (!model_.MayClose()) return 0;
      break;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
      // Windows may end the process without destroying the window: the list is saved
      // now, as closing would, and a later close has nothing more to write.
      if (wparam) model_.Closing();
      return 0;
    case WM_DESTROY:
      KillTimer(window_, kFollowTimer);
      model_.Closing();
      DragAcceptFiles(window_, FALSE);
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

ProgramWindows::ProgramWindows(Program& program, GuiServices& services, HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  session_ = std::make_unique<Session>(program, services.core);
  follower_ = std::make_unique<RunFollower>(*session_, services.notifier);
  main_model_ = std::make_unique<MainWindowModel>(*session_, services.opener, services.dialogs, services.picker);
  main_model_->AttachFollower(*follower_);
  main_ = std::make_unique<MainWindow>(*main_model_, *follower_, instance);
  options_model_ = std::make_unique<OptionsDialogModel>(
      *session_, OptionsServices{services.avisynth, services.fonts, services.dialogs}, [this] { main_->ShowTitle(); });
  options_ = std::make_unique<OptionsDialog>(*options_model_, instance);
  file_info_ = std::make_unique<FileInfoDialog>(instance);
  main_->AttachDialogs(*options_, *file_info_);
}

ProgramWindows::~ProgramWindows() = default;

void HandedFiles::Add(const std::wstring& name) {
  if (const std::optional<std::string> ansi = WideToAnsiExactly(name)) paths.push_back(*ansi);
  else unlistable.push_back(WideToUtf8(name));
}

HandedFiles FilesFromCommandLine(const std::vector<std::wstring>& arguments) {
  HandedFiles files;
  for (const std::wstring& argument : arguments) {
    // An empty argument names nothing; made absolute it would be the current folder.
    if (argument.empty()) continue;
    const DWORD size = GetFullPathNameW(argument.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    full.resize(size ? GetFullPathNameW(argument.c_str(), size, full.data(), nullptr) : 0);
    files.Add(full.empty() ? argument : full);
  }
  return files;
}

bool TranslateWindowShortcut(MainWindow& main, MSG& message) {
  if (!main.Handle()) return false;
  // The list's shortcuts work while it has the keyboard focus, the window's wherever
  // the focus is in it.
  if (message.hwnd == main.ListView()) return TranslateAcceleratorW(main.Handle(), main.Accelerators(), &message);
  return (message.hwnd == main.Handle() || IsChild(main.Handle(), message.hwnd)) &&
         TranslateAcceleratorW(main.Handle(), main.WindowAccelerators(), &message);
}

int RunMessageLoop(MainWindow& main) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (TranslateWindowShortcut(main, message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

int RunMainWindow(Program& program, GuiServices& services, HINSTANCE instance, int show, const HandedFiles& items) {
  ProgramWindows windows(program, services, instance);
  ShowWindow(windows.Main().Handle(), show);
  UpdateWindow(windows.Main().Handle());
  // A folder gives the videos in it and below it, as a drop does.
  if (!items.paths.empty()) windows.MainModel().ItemsDropped(items.paths);
  windows.MainModel().UnlistableFilesDropped(items.unlistable);
  return RunMessageLoop(windows.Main());
}

}  // namespace clipvane
