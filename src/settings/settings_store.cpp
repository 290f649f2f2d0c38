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

struct Preset {
  VideoCodec videocodec;
  double maxfps;
  int audiobitrate;
  int videobitrate[2];  // by platform, touch/iPhone and nano/Classic
};

// The phone's H.264 by quality: a lower rate factor for a better picture, and a
// slower x264 preset where the user asked for the best one.
struct PhonePreset {
  int ratefactor;
  const char* x264preset;
};

const PhonePreset& PhonePresetFor(Quality quality) {
  static const PhonePreset kGood{20, "medium"};
  static const PhonePreset kNormal{23, "fast"};
  static const PhonePreset kLow{26, "veryfast"};
  if (quality == Quality::kGood) return kGood;
  if (quality == Quality::kNormal) return kNormal;
  return kLow;
}

const Preset& PresetFor(Quality quality) {
  static const Preset kGood{VideoCodec::kXvid, 29.0, 192, {900, 700}};
  static const Preset kNormal{VideoCodec::kLavcMpeg4, 25.0, 192, {700, 500}};
  static const Preset kLow{VideoCodec::kLavcMpeg4, 23.0, 64, {500, 300}};
  if (quality == Quality::kGood) return kGood;
  if (quality == Quality::kNormal) return kNormal;
  return kLow;
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

  // Any stored device the list does not offer counts as nano/Classic.
  settings.choices.platform = ListChoice(ReadInteger(ini, "platform", 0), 3);
  settings.platform = settings.choices.platform == -1 ? Device::kNano : static_cast<Device>(settings.choices.platform);

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

  if (settings.platform == Device::kPhone) {
    // The screen fits do not apply: the picture keeps its shape within 1280x720.
    const PhonePreset& phone = PhonePresetFor(settings.qulity);
    preset.framewidth = 1280;
    preset.frameheight = 720;
    preset.videocodec = VideoCodec::kX264;
    preset.rawvideoext = ".264";
    preset.maxfps = 60.0;
    preset.audiobitrate = 160;
    preset.videobitrate = 0;  // the rate factor decides
    preset.ratefactor = phone.ratefactor;
    preset.x264preset = phone.x264preset;
    return SettingsCheck::kAccepted;
  }
  preset.ratefactor = 0;
  preset.x264preset.clear();
  preset.framewidth = settings.platform == Device::kTouch ? 480 : 320;
  preset.frameheight = settings.platform == Device::kTouch ? 320 : 240;
  if (preset.displaymode == DisplayMode::kFit640Frame) {
    // The other presets keep the values of the previous load.
    if (settings.platform != Device::kTouch) return SettingsCheck::kWideFrameNeedsTouch;
    preset.framewidth = 640;  // a 640 by 320 frame
  }

  const Preset& derived = PresetFor(settings.qulity);
  preset.videocodec = derived.videocodec;
  preset.rawvideoext = ".m4v";
  preset.maxfps = derived.maxfps;
  preset.audiobitrate = derived.audiobitrate;
  preset.videobitrate = derived.videobitrate[settings.platform == Device::kTouch ? 0 : 1];
  if (preset.displaymode == DisplayMode::kFit640Frame) preset.videobitrate += 210;
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
          {"keepsubfolders", flag(settings.keepsubfolders)}};
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
  if (settings.colorsubtitle) return settings.fontface;
  // A font installed for one user is registered with its full path.
  const std::string& file = settings.fontfile;
  const bool full_path = (!file.empty() && (file[0] == '\\' || file[0] == '/')) || (file.size() > 2 && file[1] == ':');
  return full_path ? file : fontsdir + file;
}

}  // namespace clipvane
