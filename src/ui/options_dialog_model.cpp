#include "ui/options_dialog_model.h"

#include <algorithm>
#include <exception>

#include "base/text.h"
#include "media/output_names.h"
#include "platform/text_encoding.h"
#include "session/session.h"
#include "settings/settings_store.h"

namespace clipvane {

OptionsControls ControlsFromSettings(const EncodeSettings& settings) {
  OptionsControls controls;
  controls.display = settings.choices.display;
  controls.qulity = settings.choices.qulity;
  controls.platform = settings.choices.platform;
  controls.noresizefor43scale = settings.noresizefor43scale;
  controls.subtitlesync = settings.subtitlesync;
  controls.audiosync = settings.audiosync;
  controls.needsubtitle = settings.needsubtitle;
  controls.colorsubtitle = settings.colorsubtitle;
  controls.videofileext = settings.videofileext;
  controls.subtitleclass = settings.subtitleclass;
  controls.outputfolder = settings.outputfolder;
  controls.keepsubfolders = settings.keepsubfolders;
  controls.audiolanguage = settings.audiolanguage;
  return controls;
}

void TakeControls(EncodeSettings& settings, const OptionsControls& controls) {
  settings.choices.display = controls.display;
  settings.choices.qulity = controls.qulity;
  settings.choices.platform = controls.platform;
  settings.noresizefor43scale = controls.noresizefor43scale;
  settings.subtitlesync = controls.subtitlesync;
  settings.audiosync = controls.audiosync;
  settings.needsubtitle = controls.needsubtitle;
  settings.colorsubtitle = controls.colorsubtitle;
  settings.videofileext = controls.videofileext;
  settings.subtitleclass = controls.subtitleclass;
  settings.outputfolder = TrimBlanks(controls.outputfolder);
  settings.keepsubfolders = controls.keepsubfolders;
  settings.audiolanguage = controls.audiolanguage;
}

OptionsDialogModel::OptionsDialogModel(Session& session, OptionsServices services, std::function<void()> loaded)
    : session_(session), services_(services), loaded_(std::move(loaded)), lists_(services.fonts) {}

void OptionsDialogModel::Load() {
  if (session_.LoadSettings() != SettingsCheck::kAccepted) services_.dialogs.Tell(WideFrameNotice());
  ShowLoadedSettings();
}

void OptionsDialogModel::ShowLoadedSettings() {
  const OptionsControls shown = ControlsFromSettings(session_.Settings());
  controls_.display = shown.display;
  controls_.qulity = shown.qulity;
  controls_.platform = shown.platform;
  // Setting the colour box from the settings runs its click behaviour when that
  // changes it: at start, too, when the setting is on.
  if (controls_.colorsubtitle != shown.colorsubtitle) {
    controls_.colorsubtitle = shown.colorsubtitle;
    MakeColourRouteReady();
  }
  // The lists follow the box, which the AviSynth check may just have cleared.
  RefillSubtitleLists();
  controls_.noresizefor43scale = shown.noresizefor43scale;
  controls_.subtitlesync = shown.subtitlesync;  // without the warning a click gives
  controls_.audiosync = shown.audiosync;
  controls_.needsubtitle = shown.needsubtitle;
  controls_.videofileext = shown.videofileext;
  controls_.subtitleclass = shown.subtitleclass;
  controls_.outputfolder = shown.outputfolder;
  controls_.keepsubfolders = shown.keepsubfolders;
  controls_.audiolanguage = shown.audiolanguage;
  ListSubtitleClasses();
  ListAudioLanguages();
  if (loaded_) loaded_();
}

void OptionsDialogModel::DisplayChosen(int index) { controls_.display = index; }

void OptionsDialogModel::QualityChosen(int index) { controls_.qulity = index; }

void OptionsDialogModel::PlatformChosen(int index) {
  controls_.platform = index;
  RefillSubtitleLists();  // the colour route's sizes depend on the device
}

void OptionsDialogModel::NoResizeClicked(bool checked) { controls_.noresizefor43scale = checked; }

void OptionsDialogModel::SubtitleSyncClicked(bool checked) {
  controls_.subtitlesync = checked;
  if (checked) services_.dialogs.Tell(SubtitleSyncNotice());  // clearing it says nothing
}

void OptionsDialogModel::AudioSyncClicked(bool checked) { controls_.audiosync = checked; }

void OptionsDialogModel::SubtitleClicked(bool checked) { controls_.needsubtitle = checked; }

void OptionsDialogModel::ColourSubtitleClicked(bool checked) {
  controls_.colorsubtitle = checked;
  MakeColourRouteReady();
  RefillSubtitleLists();  // the lists follow the box, which the AviSynth check may have cleared
}

void OptionsDialogModel::SizeChosen(int index) {
  lists_.SizeChosen(session_.EditSettings().settings, controls_.colorsubtitle, index);
  lists_view_.size_index = index;
}

void OptionsDialogModel::FontChosen(int index) {
  if (index < 0 || index >= static_cast<int>(lists_view_.fonts.size())) return;
  lists_.FontChosen(session_.EditSettings().settings, controls_.colorsubtitle,
                    lists_view_.fonts[static_cast<std::size_t>(index)]);
  lists_view_.font_index = index;
}

void OptionsDialogModel::VideoExtensionsEdited(const std::string& text) { controls_.videofileext = text; }

void OptionsDialogModel::OutputFolderEdited(const std::string& text) { controls_.outputfolder = text; }

void OptionsDialogModel::BrowseOutputFolderClicked(const std::optional<std::string>& picked) {
  if (picked) controls_.outputfolder = *picked;
}

void OptionsDialogModel::KeepSubfoldersClicked(bool checked) { controls_.keepsubfolders = checked; }

void OptionsDialogModel::SubtitleClassChosen(int index) {
  if (index >= 0 && index < static_cast<int>(subtitle_classes_.size()))
    controls_.subtitleclass = subtitle_classes_[static_cast<std::size_t>(index)];
}

std::vector<std::string> OptionsDialogModel::SubtitleClassItems() const {
  std::vector<std::string> items;
  for (const std::string& sami_class : subtitle_classes_) items.push_back(SubtitleClassItem(sami_class));
  return items;
}

int OptionsDialogModel::SubtitleClassIndex() const {
  for (std::size_t i = 0; i < subtitle_classes_.size(); ++i)
    if (EqualsIgnoringAsciiCase(subtitle_classes_[i], controls_.subtitleclass)) return static_cast<int>(i);
  return -1;
}

void OptionsDialogModel::ListSubtitleClasses() {
  subtitle_classes_ = {"", "KRCC", "ENCC"};
  std::vector<std::string> offered{controls_.subtitleclass};
  // The classes of the selected video's SAMI file, as the user may not know their names.
  if (const auto row = session_.List().FirstSelected()) {
    const std::vector<std::string> in_file = session_.SubtitleClasses(*row);
    offered.insert(offered.end(), in_file.begin(), in_file.end());
  }
  for (const std::string& sami_class : offered) {
    bool listed = false;
    for (const std::string& known : subtitle_classes_) listed = listed || EqualsIgnoringAsciiCase(known, sami_class);
    if (!listed) subtitle_classes_.push_back(sami_class);
  }
}

void OptionsDialogModel::AudioLanguageChosen(int index) {
  if (index >= 0 && index < static_cast<int>(audio_languages_.size()))
    controls_.audiolanguage = audio_languages_[static_cast<std::size_t>(index)];
}

std::vector<std::string> OptionsDialogModel::AudioLanguageItems() const {
  std::vector<std::string> items;
  for (const std::string& language : audio_languages_) items.push_back(AudioLanguageItem(language));
  return items;
}

int OptionsDialogModel::AudioLanguageIndex() const {
  const auto found = std::find(audio_languages_.begin(), audio_languages_.end(), controls_.audiolanguage);
  return found == audio_languages_.end() ? -1 : static_cast<int>(found - audio_languages_.begin());
}

void OptionsDialogModel::ListAudioLanguages() {
  audio_languages_ = {"", "korean", "english"};
  std::vector<std::string> offered{controls_.audiolanguage};
  // The languages of the selected video's tracks, as the report names them.
  if (const auto row = session_.List().FirstSelected()) {
    const std::vector<std::string> in_file = session_.AudioLanguages(*row);
    offered.insert(offered.end(), in_file.begin(), in_file.end());
  }
  for (const std::string& language : offered)
    if (std::find(audio_languages_.begin(), audio_languages_.end(), language) == audio_languages_.end())
      audio_languages_.push_back(language);
}

bool OptionsDialogModel::OkClicked() {
  if (!IsVideoExtensionText(controls_.videofileext)) {
    services_.dialogs.Tell(VideoExtensionsNotice());
    return false;  // nothing saved; the field stays as typed
  }
  const std::string folder = TrimBlanks(controls_.outputfolder);
  if (!folder.empty() && !IsFullFolderPath(folder, session_.List().Style())) {
    services_.dialogs.Tell(OutputFolderNotice());
    return false;
  }
  bool close = true;
  try {
    TakeControls(session_.EditSettings().settings, controls_);
    if (session_.SaveSettings() != SettingsCheck::kAccepted) {
      services_.dialogs.Tell(WideFrameNotice());
      close = false;  // the values are saved; the user picks another fit or device
    }
    ShowLoadedSettings();
  } catch (const std::exception& error) {
    // The keys after the failed one are not written; the dialog closes as after OK.
    services_.dialogs.Tell(ErrorNotice(error.what()));
  }
  return close;
}

void OptionsDialogModel::CancelClicked() {
  // A refusal was told when the dialog loaded; the next showing tells it again.
  session_.LoadSettings();
}

void OptionsDialogModel::MakeColourRouteReady() {
  if (controls_.colorsubtitle)
    controls_.colorsubtitle =
        session_.MakeColourRouteReady(services_.avisynth, [this] { return services_.dialogs.Ask(AviSynthQuestion()); });
}

void OptionsDialogModel::RefillSubtitleLists() {
  const SettingsInHand in_hand = session_.EditSettings();
  lists_view_ = lists_.Fill(in_hand.settings, in_hand.preset, in_hand.ini, controls_.colorsubtitle, controls_.platform);
}

}  // namespace clipvane
