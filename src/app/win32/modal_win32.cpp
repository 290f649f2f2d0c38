#include "app/win32/modal_win32.h"

#include "app/win32/gui_services_win32.h"

namespace clipvane {
namespace {

// Places a window of the given client size in the middle of the desktop.
void CentreOnDesktop(HWND window, int client_width, int client_height) {
  RECT frame{0, 0, client_width, client_height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void RunModal(HWND dialog, HWND owner, const bool& closed) {
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  MSG message;
  bool quit = false;
  while (!closed) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    if (IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // The owner comes back before the dialog goes, so that it gets the activation.
  if (owner) EnableWindow(owner, TRUE);
  ShowWindow(dialog, SW_HIDE);
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));
}

HWND CreateCentredDialog(HINSTANCE instance, const wchar_t* window_class, DWORD style, const std::string& caption,
                         int client_width, int client_height, void* owner) {
  HWND window =
      CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, window_class, L"", WS_POPUP | WS_CAPTION | style, 0, 0,
                      client_width, client_height, nullptr, nullptr, instance, owner);
  SetControlText(window, caption);
  CentreOnDesktop(window, client_width, client_height);
  return window;
}

}  // namespace clipvane
