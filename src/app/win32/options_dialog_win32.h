#pragma once
#include <windows.h>

#include "ui/options_dialog_model.h"

namespace clipvane {

// fmOptions: the settings dialog, showing what its model says and passing every
// event to it. Created once at start, which loads the settings; every showing loads
// them again, and OK saves and loads them.
class OptionsDialog {
 public:
  OptionsDialog(OptionsDialogModel& model, HINSTANCE instance);
  ~OptionsDialog();
  OptionsDialog(const OptionsDialog&) = delete;
  OptionsDialog& operator=(const OptionsDialog&) = delete;

  void ShowModal(HWND owner);

  HWND Handle() const { return window_; }
  HWND Control(OptionsControl control) const;
  bool Showing() const { return !closed_; }

 private:
  template <typename Window>
  friend LRESULT CALLBACK RouteToOwner(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls(HINSTANCE instance);
  void OnCommand(OptionsControl control, int code);
  void Render();
  bool Checked(OptionsControl control) const;
  void SetChecked(OptionsControl control, bool checked);
  int Selection(OptionsControl control) const;

  OptionsDialogModel& model_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HFONT small_font_ = nullptr;
  bool closed_ = true;
};

}  // namespace clipvane
