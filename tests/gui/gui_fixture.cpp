#include "gui/gui_fixture.h"

#include <commctrl.h>
#include <shlobj.h>

#include <fstream>

#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "platform/win32/wide_text.h"

namespace clipvane::testing {
namespace {

std::string AppDirOfTests() {
  std::string path = ExecutablePath();
  return path.substr(0, path.find_last_of('\\') + 1);
}

}  // namespace

std::string WindowText(HWND window) { return ControlText(window); }
std::string Utf8(const char* utf8) { return Utf8ToAnsi(utf8); }

GuiFixture::GuiFixture() {
  // The stand-in library lies beside the test program's build output.
  CopyFileA((AppDirOfTests() + "gui-test-files\\MediaInfo.dll").c_str(), (temp / "MediaInfo.dll").c_str(), FALSE);
  NativeFileSystem().MakeFolders(temp / "videos");
  NativeFileSystem().MakeFolders(temp / "bin");
}

GuiFixture::~GuiFixture() {
  windows.reset();
  Pump();
}

std::string GuiFixture::Video(const std::string& name) { return temp.WriteFile("videos\\" + name, "video"); }

void GuiFixture::WriteListLog(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += path + "\r\n";
  temp.WriteFile("list.log", text);
}

void GuiFixture::WriteSettings(const std::string& lines) { temp.WriteFile("MP4.ini", "[default]\r\n" + lines); }

void GuiFixture::CreateWindows() {
  program = std::make_unique<Program>(StartProgram(Workspace(temp.Path(), PathStyle::kWindows), "C:\\windows\\Fonts"));
  services = std::make_unique<GuiServices>(
      GuiServices{NativeFileSystem(), shell, notifier, opener, *avisynth_system, NativeInstalledFonts()});
  windows = std::make_unique<ProgramWindows>(*program, *services, GetModuleHandleW(nullptr));
  ShowWindow(Main().Handle(), SW_SHOW);
  Pump();
}

std::size_t GuiFixture::RowCount() const {
  return static_cast<std::size_t>(SendMessageW(windows->Main().ListView(), LVM_GETITEMCOUNT, 0, 0));
}

std::string GuiFixture::ItemText(int row, int column) const {
  wchar_t buffer[1100] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 1100;
  SendMessageW(windows->Main().ListView(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return WideToAnsi(buffer);
}

void GuiFixture::Select(const std::set<int>& rows) {
  HWND list = Main().ListView();
  for (int row = 0; row < static_cast<int>(RowCount()); ++row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = rows.count(row) ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
}

void GuiFixture::InitPopup() {
  SendMessageW(Main().Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Main().PopupMenu()), 0);
}

bool GuiFixture::MenuEnabled(PopupMenuItem item) {
  const UINT state = GetMenuState(Main().PopupMenu(), kIdFirstMenuItem + static_cast<UINT>(item), MF_BYCOMMAND);
  return state != 0xFFFFFFFF && !(state & (MF_GRAYED | MF_DISABLED));
}

bool GuiFixture::MenuChecked(PopupMenuItem item) {
  const UINT state = GetMenuState(Main().PopupMenu(), kIdFirstMenuItem + static_cast<UINT>(item), MF_BYCOMMAND);
  return state != 0xFFFFFFFF && (state & MF_CHECKED);
}

void GuiFixture::Command(int id) { SendMessageW(Main().Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0); }

void GuiFixture::MenuCommand(PopupMenuItem item) { Command(kIdFirstMenuItem + static_cast<int>(item)); }

void GuiFixture::PressOnList(WORD key, bool control) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = control ? 0x80 : 0;
  SetKeyboardState(keys);
  MSG message{};
  message.hwnd = Main().ListView();
  message.message = WM_KEYDOWN;
  message.wParam = key;
  message.lParam = 1;
  if (!TranslateListShortcut(Main(), message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  Pump();
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

void GuiFixture::Drop(const std::vector<std::string>& paths) {
  std::string names;
  for (const std::string& path : paths) names += path + '\0';
  names += '\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(memory);
  SendMessageW(Main().Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void GuiFixture::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace clipvane::testing
