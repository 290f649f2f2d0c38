#include "settings/settings_store.h"

#include <cstdio>

#include "base/text.h"
#include "platform/file_system.h"
#include "platform/ini_profile.h"
#include "platform/text_encoding.h"
#include "settings/subtitle_fonts.h"

namespace clipvane {
namespace {

int ReadInteger(const IniProfile& ini, const char* key, int fallback) {
  return ParseIntegerOr(ini.ReadString(kSettingsSection, key, ""), fallback);
}

bool ReadBool(const IniProfile& ini, const char* key, bool fallback) {
  return ReadInteger(ini, key, fallback ? 1 : 0) != 0;
}

// A list control shows the stored index only when it names one of its items.
int ListChoice(int stored, int item_count) { return stored >= 0 && stored < item_count ? stored : -1; }

DisplayMode DisplayModeOf(int display) {
  switch (display) {
    case 0: return DisplayMode::kFillAndCrop;   // full screen, picture cropped
    case 1: return DisplayMode::kStretch;       // full screen, picture stretched
    case 2: return DisplayMode::kFit;           // source aspect kept
    default: return DisplayMode::kFit640Frame;  // the 640 frame, also when nothing is chosen
  }
}

Quality QualityOf(int qulity) {
  if (qulity == 0) return Quality::kGood;
  if (qulity == 1) return Quality::kNormal;
  return Quality::kLow;
}

}  // namespace

std::vector<std::string> VideoExtensionList(const std::string& text) { return SplitCommaText(AsciiLower(text)); }

bool IsVideoExtensionText(const std::string& text) {
  const std::vector<std::string> items = VideoExtensionList(text);
  for (const std::string& item : items) {
    if (item.empty()) return false;
    for (char c : item)
      if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  return !items.empty();
}

bool IsSubtitleClassText(const std::string& text) {
  if (text.size() > 32) return false;
  for (char c : text)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
      return false;
  return true;
}

bool IsAudioLanguageText(const std::string& text) {
  bool letter = false;
  for (char c : text) {
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    letter = letter || alpha;
    if (!(alpha || (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '(' || c == ')')) return false;
  }
  return letter && text.size() <= 40;
}

StartupSettings StartSettingsStore(const IniProfile& ini, const std::string& fonts_folder, PathStyle style) {
  return {fonts_folder + Separator(style),
          VideoExtensionList(ini.ReadString(kSettingsSection, "videofileext", kDefaultVideoExtensions))};
}

namespace {

// The record and its presets from the file, as LoadSettings describes.
SettingsCheck LoadRecord(EncodeSettings& settings, EncoderPreset& preset, const IniProfile& ini) {
  settings.title = ini.ReadString(kSettingsSection, "title", "Clipvane");

  const int qulity = ReadInteger(ini, "qulity", 1);
  settings.qulity = QualityOf(qulity);
  settings.choices.qulity = ListChoice(qulity, 3);

  settings.choices.platform = ListChoice(ReadInteger(ini, "platform", 0), static_cast<int>(Devices().size()));
  const DeviceDescriptor& device = DescriptorForChoice(settings.choices.platform);
  settings.platform = device.device;

  settings.colorsubtitle = ReadBool(ini, "colorsubtitle", false);

  // Each load reads the size and font pairs from the file again.
  settings.plainsizeindex = -1;
  settings.fontfile.clear();
  ApplySubtitleSize(settings, preset, ini, settings.colorsubtitle, settings.choices.platform);

  int display = ReadInteger(ini, "display", 0);
  if (display < -1) display = -1;
  if (display > 3) display = 3;
  settings.choices.display = display;
  preset.displaymode = DisplayModeOf(display);

  settings.noresizefor43scale = ReadBool(ini, "noresizefor43scale", true);
  settings.audiosync = ReadBool(ini, "audiosync", false);
  settings.subtitlesync = ReadBool(ini, "subtitlesync", false);
  settings.needsubtitle = ReadBool(ini, "needsubtitle", true);
  // As the user wrote it: a save writes back exactly what was there.
  settings.videofileext = ini.ReadString(kSettingsSection, "videofileext", kDefaultVideoExtensions);
  settings.subtitleclass = TrimBlanks(ini.ReadString(kSettingsSection, "subtitleclass", ""));
  settings.outputfolder = TrimBlanks(ini.ReadString(kSettingsSection, "outputfolder", ""));
  settings.keepsubfolders = ReadBool(ini, "keepsubfolders", false);
  // Compared with the report's lower-cased names; a name no track has means 자동.
  settings.audiolanguage = AsciiLower(TrimBlanks(ini.ReadString(kSettingsSection, "audiolanguage", "")));
  settings.slurmoptions = TrimBlanks(ini.ReadString(kSettingsSection, "slurmoptions", ""));

  preset.framewidth = device.frame_width;
  preset.frameheight = device.frame_height;
  // The screen fits apply to a framed device alone; the others keep the picture's shape.
  const bool wide = device.framed && preset.displaymode == DisplayMode::kFit640Frame;
  if (wide) {
    // The other presets keep the values of the previous load, all of them.
    if (device.wide_frame_width == 0) return SettingsCheck::kWideFrameNeedsTouch;
    preset.framewidth = device.wide_frame_width;  // a 640 by 320 frame
  }

  const DeviceRate& rate = device.rates[static_cast<std::size_t>(settings.qulity)];
  preset.videocodec = rate.videocodec;
  preset.rawvideoext = device.rawvideoext;
  preset.maxfps = rate.maxfps;
  preset.audiobitrate = rate.audiobitrate;
  preset.videobitrate = rate.videobitrate + (wide ? device.wide_frame_bitrate : 0);
  preset.ratefactor = rate.ratefactor;
  preset.x264preset = rate.x264preset;
  return SettingsCheck::kAccepted;
}

}  // namespace

SettingsCheck LoadSettings(EncodeSettings& settings, EncoderPreset& preset, const IniProfile& ini) {
  // Every key as one change left them: a save tells its own changes from others' by them.
  const std::unique_ptr<FileLock> still = ini.HoldStill();
  const SettingsCheck check = LoadRecord(settings, preset, ini);
  settings.loaded.clear();
  for (const auto& [key, value] : SavedKeys(settings)) settings.loaded[key] = value;
  return check;
}

std::vector<std::pair<std::string, std::string>> SavedKeys(const EncodeSettings& settings) {
  const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
  char sizes[32];
  std::snprintf(sizes, sizeof sizes, "%d,%d", settings.plainsizeindex, settings.colorsizeindex);
  return {{"audiosync", flag(settings.audiosync)},
          {"subtitlesync", flag(settings.subtitlesync)},
          {"fontsize", sizes},
          {"display", std::to_string(settings.choices.display)},
          {"qulity", std::to_string(settings.choices.qulity)},
          {"platform", std::to_string(settings.choices.platform)},
          {"noresizefor43scale", flag(settings.noresizefor43scale)},
          {"fontname", settings.fontfile + "," + settings.fontface},
          {"needsubtitle", flag(settings.needsubtitle)},
          {"colorsubtitle", flag(settings.colorsubtitle)},
          {"videofileext", settings.videofileext},
          {"subtitleclass", settings.subtitleclass},
          {"outputfolder", settings.outputfolder},
          {"keepsubfolders", flag(settings.keepsubfolders)},
          {"audiolanguage", settings.audiolanguage},
          {"slurmoptions", settings.slurmoptions}};
}

SettingsCheck SaveSettings(EncodeSettings& settings, EncoderPreset& preset, IniProfile& ini) {
  std::vector<IniProfile::Change> changes;
  // Only the user's own changes: every other key stays byte for byte as it is in the
  // file, in whatever form its writer gave it, and whatever another process wrote.
  for (const auto& [key, value] : SavedKeys(settings))
    if (value != settings.loaded[key]) changes.push_back({key, value, std::nullopt});
  if (!changes.empty()) ini.WriteChanges(kSettingsSection, changes);
  return LoadSettings(settings, preset, ini);
}

std::string WindowTitle(const EncodeSettings& settings) { return settings.title + " " + kProgramVersion; }

std::string SubtitleFont(const EncodeSettings& settings, const std::string& fontsdir) {
  return settings.colorsubtitle ? settings.fontface : PlainSubtitleFont(settings, fontsdir);
}

std::string PlainSubtitleFont(const EncodeSettings& settings, const std::string& fontsdir) {
  // A font installed for one user is registered with its full path.
  const std::string& file = settings.fontfile;
  const bool full_path = (!file.empty() && (file[0] == '\\' || file[0] == '/')) || (file.size() > 2 && file[1] == ':');
  return full_path ? file : fontsdir + file;
}

}  // namespace clipvane
