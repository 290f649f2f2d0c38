#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/win32/main_window_win32.h"
#include "app/win32/options_dialog_win32.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "support/program_folder.h"

namespace clipvane::testing {

inline void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The program folder of the support with the stand-in MediaInfo.dll in place of the
// fake library, and the three windows created over it in-process.
class GuiFixture : public ProgramFolder {
 public:
  GuiFixture() {
    // The stand-in library lies beside the test program's build output.
    const std::string tests = AppDirFromExecutable(ExecutablePath(), PathStyle::kWindows);
    CopyFileA((tests + "gui-test-files\\MediaInfo.dll").c_str(), (temp / "MediaInfo.dll").c_str(), FALSE);
    NativeFileSystem().MakeFolders(temp / "bin");
    no_avisynth.existing.insert(temp / "bin\\Avisynth_257.exe");  // an installer to offer
  }
  ~GuiFixture() {
    windows.reset();
    Pump();
  }

  // Creates fmMain, fmOptions and Form3 over these rows, as the program's start does.
  void CreateWindows(const std::vector<std::string>& rows = {}) {
    StartOver(rows, "C:\\windows\\Fonts");
    mediainfo = LoadMediaInfoLibrary(workspace.AppDir(), NativeFileSystem());
    services = std::make_unique<GuiServices>(GuiServices{
        {NativeFileSystem(), shell, *mediainfo}, opener, dialogs, *avisynth, NativeInstalledFonts(), notifier, picker});
    windows = std::make_unique<ProgramWindows>(*program, *services, GetModuleHandleW(nullptr));
    ShowWindow(Main().Handle(), SW_SHOW);
    Pump();
  }
  MainWindow& Main() { return windows->Main(); }
  OptionsDialog& Options() { return windows->Options(); }

  // What the list control shows, and exactly these rows selected through it.
  std::size_t RowCount() { return static_cast<std::size_t>(SendMessageW(Main().ListView(), LVM_GETITEMCOUNT, 0, 0)); }
  std::string ItemText(int row, int column) {
    wchar_t buffer[1100] = {};
    ListView_GetItemText(Main().ListView(), row, column, buffer, 1100);
    return WideToAnsi(buffer);
  }
  void Select(const std::set<int>& rows) {
    for (int row = 0; row < static_cast<int>(RowCount()); ++row)
      ListView_SetItemState(Main().ListView(), row, rows.count(row) ? LVIS_SELECTED : 0, LVIS_SELECTED);
  }
  // The context menu's items as the screen shows them, and a command as the system sends it.
  UINT MenuState(MenuCommand command) {
    return GetMenuState(Main().PopupMenu(), kIdFirstMenuItem + static_cast<UINT>(command), MF_BYCOMMAND);
  }
  void Command(int id) { SendMessageW(Main().Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // Presses a key on a control (the list unless told), with Ctrl and Shift held when
  // asked, through the shortcut path.
  void PressOnList(WORD key, bool control, bool shift = false, HWND on = nullptr) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG message{on ? on : Main().ListView(), WM_KEYDOWN, key, 1, 0, {}};
    if (!TranslateWindowShortcut(Main(), message)) DispatchMessageW(&message);
    Pump();
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  }
  // Drops these files on the main window as the shell does, with their wide names.
  void Drop(const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& path : paths) names += path + L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    *drop = DROPFILES{sizeof(DROPFILES), {}, FALSE, TRUE};  // the names follow, wide
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(Main().Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  }

  FakeAviSynth no_avisynth;  // nothing registered
  AviSynthSystem* avisynth = &no_avisynth;
  std::unique_ptr<MediaInfoLibrary> mediainfo;
  std::unique_ptr<GuiServices> services;
  std::unique_ptr<ProgramWindows> windows;
};

}  // namespace clipvane::testing
