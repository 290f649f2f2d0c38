#pragma once
#include <windows.h>

#include <string>

#include "ui/gui_services.h"

namespace clipvane {

// ShellExecuteA "open" with SW_SHOW and no owner; a failure comes back with the
// system's reason.
DocumentOpener& NativeDocumentOpener();
// Message boxes over the window in front.
Dialogs& NativeDialogs();
// The files dialog (several files at once) and the folder dialog, over the window in
// front.
ItemPicker& NativeItemPicker();
// A balloon from the program's icon in the notification area.
DesktopNotifier& NativeNotifier();
// The registry (read only), the files and the installer run.
AviSynthSystem& NativeAviSynthSystem();
// The font families of the screen and the registry's installed-fonts key.
InstalledFonts& NativeInstalledFonts();

// A font of `pixels` character height in the Korean character set.
HFONT MakeKoreanFont(const wchar_t* face, int pixels, bool bold = false);

// Registers a window class of this program once per process: the arrow cursor and the
// face colour of buttons, with the given procedure and class style.
void RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, UINT style = 0);

// The window procedure of a window that an object of type Window owns: the object is
// the creation parameter, takes its handle at WM_NCCREATE and gets every message from
// then on through its OnMessage. Window befriends this function.
template <typename Window>
LRESULT CALLBACK RouteToOwner(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    owner->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  }
  auto* owner = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!owner) return DefWindowProcW(window, message, wparam, lparam);
  return owner->OnMessage(message, wparam, lparam);
}

// Text of a control as ANSI, and ANSI text into a control.
std::string ControlText(HWND control);
void SetControlText(HWND control, const std::string& ansi);

// Shows `ansi_hint` as the control's tool tip; the tool tip control keeps its own
// copy of the text. A control without a hint gets no tip.
void AddToolTip(HWND tooltips, HWND control, const std::string& ansi_hint);

// Replaces a drop-down list's items and selects one (-1 for none).
void FillDropDown(HWND combo, const std::vector<std::string>& ansi_items, int selection);

}  // namespace clipvane
