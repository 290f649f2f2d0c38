#include "app/main_window_win32.h"

#include "app/program.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/win32/wide_text.h"
#include "settings/settings_store.h"

namespace clipvane {
namespace {

constexpr wchar_t kMainWindowClass[] = L"TfmMain";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int RunMainWindow(Program& program, HINSTANCE instance, int show) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_DROPSHADOW;
  window_class.lpfnWndProc = MainWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kMainWindowClass;
  RegisterClassExW(&window_class);

  HWND main_window = CreateWindowExW(0, kMainWindowClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                     CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
  if (!main_window) return 1;
  // The main window's creation makes the workspace folders.
  program.workspace.CreateFolders(NativeFileSystem());
  // The options dialog's creation loads the settings, which titles the main window.
  LoadSettings(program.settings, *program.ini, NativeUserNotifier());
  SetWindowTextW(main_window, AnsiToWide(WindowTitle(program.settings)).c_str());

  ShowWindow(main_window, show);
  UpdateWindow(main_window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace clipvane
