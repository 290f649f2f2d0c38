#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "app/gui_services_win32.h"
#include "settings/options_dialog_model.h"

namespace clipvane {

struct Program;

// Control identifiers of fmOptions.
enum OptionsControl : int {
  kIdDisplayFirst = 300,  // rdDisplayScale, four radio items
  kIdDisplayGroup = 304,
  kIdNoResize,            // CheckBox2
  kIdSyncGroup,           // GroupBox2
  kIdSubtitleSync,        // cbSubtitleSync
  kIdAudioSync,           // cbAudioSync
  kIdQualityGroup,        // GroupBox1
  kIdQuality,             // cbQulity
  kIdQualityText,         // Label5
  kIdSubtitle,            // cbSubtitle
  kIdSubtitlePanel,       // pnSubtitle
  kIdSizeLabel,           // Label2
  kIdFontSize,            // cbFontSize
  kIdFontLabel,           // Label3
  kIdFonts,               // cbFonts
  kIdColourSubtitle,      // cbColorSubtitle
  kIdRule,                // Bevel1
  kIdPlatformLabel,       // Label4
  kIdPlatform,            // cbPlatform
  kIdOptionsOk = IDOK,    // Button1
};

// fmOptions: the settings dialog. Created once at start, which loads the settings;
// every showing loads them again, and OK saves and loads them.
class OptionsDialog {
 public:
  // `plugin_dir` is the session's AviSynth plug-in folder; `loaded` runs after every
  // load (the main window's title follows the settings).
  OptionsDialog(Program& program, GuiServices& services, std::string& plugin_dir, HINSTANCE instance,
                std::function<void()> loaded);
  ~OptionsDialog();
  OptionsDialog(const OptionsDialog&) = delete;
  OptionsDialog& operator=(const OptionsDialog&) = delete;

  void ShowModal(HWND owner);

  HWND Handle() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  bool Showing() const { return !closed_; }

 private:
  template <typename Window>
  friend LRESULT CALLBACK RouteToOwner(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls(HINSTANCE instance);
  void Load();
  void ShowLoadedSettings();
  void FillFontControls(bool colour_route);
  void ColourSubtitleClicked();
  void EnableSubtitleControls(bool enabled);
  void OkClicked();
  void OnCommand(int id, int code);
  bool Checked(int id) const;
  void SetChecked(int id, bool checked);
  int Selection(int id) const;
  OptionsControls ReadControls() const;

  Program& program_;
  GuiServices& services_;
  std::string& plugin_dir_;
  std::function<void()> loaded_;
  SubtitleFontLists lists_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HFONT small_font_ = nullptr;
  bool closed_ = true;
  bool refilling_ = false;
};

}  // namespace clipvane
