#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/avisynth_readiness.h"
#include "settings/encode_settings.h"
#include "ui/notices.h"
#include "ui/subtitle_font_lists.h"
#include "ui/window_texts.h"

namespace clipvane {

class Session;

// The state of the dialog's own controls; the subtitle size and font come through
// SubtitleFontLists as the user picks them.
struct OptionsControls {
  int display = -1;   // rdDisplayScale's item, -1 when none
  int qulity = -1;    // cbQulity's selection
  int platform = -1;  // cbPlatform's selection
  bool noresizefor43scale = false;
  bool subtitlesync = false;
  bool audiosync = false;
  bool needsubtitle = false;
  bool colorsubtitle = false;
  std::string videofileext;   // the video extension field, as typed
  std::string subtitleclass;  // the subtitle language's class, empty for 자동
  std::string outputfolder;   // the folder of the MP4s, as typed; empty for incoming
  bool keepsubfolders = false;
  std::string audiolanguage;  // the sound track's language as the report names it, empty for 자동
};

// What a load puts into the controls.
OptionsControls ControlsFromSettings(const EncodeSettings& settings);
// What OK hands to SaveSettings.
void TakeControls(EncodeSettings& settings, const OptionsControls& controls);

// What the options dialog needs besides the session.
struct OptionsServices {
  AviSynthSystem& avisynth;
  InstalledFonts& fonts;
  Dialogs& dialogs;
};

// fmOptions without its controls: what every control shows and enables, and what each
// of them does. It loads the settings when the dialog is created and each time it is
// shown; OK saves them and loads them again. A view forwards its events and then
// shows the state again.
class OptionsDialogModel {
 public:
  // `loaded` runs after every load (the main window's title follows the settings).
  OptionsDialogModel(Session& session, OptionsServices services, std::function<void()> loaded);

  // What the dialog shows.
  const OptionsControls& Controls() const { return controls_; }
  std::string QualityText() const { return QualityDescription(controls_.qulity); }
  // The sound language list: 자동, 한국어, 영어 and the other languages of the selected
  // video's sound tracks, and the item of the chosen language.
  std::vector<std::string> AudioLanguageItems() const;
  int AudioLanguageIndex() const;
  const SubtitleListsView& SubtitleLists() const { return lists_view_; }
  // pnSubtitle, the size and font lists with their labels and cbColorSubtitle follow
  // cbSubtitle; cbSubtitle itself stays enabled.
  bool SubtitleControlsEnabled() const { return controls_.needsubtitle; }
  // The screen fits and the 4:3 box apply to a framed device alone; the others keep
  // the picture's shape.
  bool ScreenFitEnabled() const { return DescriptorForChoice(controls_.platform).framed; }
  // The subtitle language list: 자동, 한국어, 영어 and the other classes of the selected
  // video's SAMI file, and the item of the chosen class.
  std::vector<std::string> SubtitleClassItems() const;
  int SubtitleClassIndex() const;

  // Its events.
  void Load();  // creation and each showing
  void DisplayChosen(int index);
  void QualityChosen(int index);
  void PlatformChosen(int index);
  void NoResizeClicked(bool checked);
  void SubtitleSyncClicked(bool checked);
  void AudioSyncClicked(bool checked);
  void SubtitleClicked(bool checked);
  void ColourSubtitleClicked(bool checked);
  void SizeChosen(int index);
  void FontChosen(int index);
  void VideoExtensionsEdited(const std::string& text);
  void SubtitleClassChosen(int index);
  void OutputFolderEdited(const std::string& text);
  // "찾아보기…": the folder the user picks, when one is picked.
  void BrowseOutputFolderClicked(const std::optional<std::string>& picked);
  void KeepSubfoldersClicked(bool checked);
  void AudioLanguageChosen(int index);
  // Saves and loads again; whether the dialog closes (not when the load refused the
  // settings). A video extension field that names no extensions, or anything else,
  // or an output folder given by no full path, is refused with a warning before
  // anything is saved.
  bool OkClicked();
  // Closing without OK: the settings go back to what MP4.ini holds, so that a size or
  // font picked meanwhile is not used.
  void CancelClicked();

 private:
  void ShowLoadedSettings();
  void ListAudioLanguages();
  void MakeColourRouteReady();
  void RefillSubtitleLists();
  void ListSubtitleClasses();

  Session& session_;
  OptionsServices services_;
  std::function<void()> loaded_;
  SubtitleFontLists lists_;
  SubtitleListsView lists_view_;
  std::vector<std::string> audio_languages_;  // the languages of the sound language list, in its order
  OptionsControls controls_;
  std::vector<std::string> subtitle_classes_;  // the classes of the language list, in its order
};

}  // namespace clipvane
