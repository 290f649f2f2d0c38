#pragma once
#include <windows.h>

#include <string>

namespace clipvane {

// Form3: a video's MediaInfo report in a read-only memo, and an OK button.
class FileInfoDialog {
 public:
  explicit FileInfoDialog(HINSTANCE instance);
  ~FileInfoDialog();
  FileInfoDialog(const FileInfoDialog&) = delete;
  FileInfoDialog& operator=(const FileInfoDialog&) = delete;

  // Shows the report (ANSI) modally over `owner`.
  void ShowModal(HWND owner, const std::string& report);

  HWND Handle() const { return window_; }
  HWND Memo() const { return memo_; }
  HWND OkButton() const { return ok_button_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND window_ = nullptr;
  HWND memo_ = nullptr;
  HWND ok_button_ = nullptr;
  HFONT font_ = nullptr;
  bool closed_ = true;
};

}  // namespace clipvane
