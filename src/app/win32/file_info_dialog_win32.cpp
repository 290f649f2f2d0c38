#include "app/win32/file_info_dialog_win32.h"

#include "app/win32/gui_services_win32.h"
#include "app/win32/modal_win32.h"
#include "ui/window_texts.h"

namespace clipvane {
namespace {

constexpr wchar_t kFileInfoClass[] = L"TForm3";
constexpr int kClientWidth = 577;
constexpr int kClientHeight = 391;

}  // namespace

FileInfoDialog::FileInfoDialog(HINSTANCE instance) {
  RegisterWindowClassOnce(instance, kFileInfoClass, Procedure);
  font_ = MakeKoreanFont(L"굴림체", 13);
  window_ =
      CreateCentredDialog(instance, kFileInfoClass, WS_SYSMENU, FileInfoCaption(), kClientWidth, kClientHeight, this);
  memo_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                          16, 8, 545, 329, window_, nullptr, instance, nullptr);
  ok_button_ = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 248, 348, 97,
                               25, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
  SetControlText(ok_button_, OkCaption());
  for (HWND control : {memo_, ok_button_}) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

FileInfoDialog::~FileInfoDialog() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  DeleteObject(font_);
}

void FileInfoDialog::ShowModal(HWND owner, const std::string& report) {
  // The memo shows CR LF line ends; the report has them already.
  SetControlText(memo_, report);
  SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  closed_ = false;
  SetFocus(ok_button_);
  RunModal(window_, owner, closed_);
}

LRESULT CALLBACK FileInfoDialog::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
  auto* self = reinterpret_cast<FileInfoDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    if ((message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) || message == WM_CLOSE) {
      self->closed_ = true;
      return 0;
    }
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->window_ = nullptr;
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace clipvane
