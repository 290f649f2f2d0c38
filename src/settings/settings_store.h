#pragma once
#include <string>
#include <utility>
#include <vector>

#include "common/path_style.h"
#include "settings/encode_settings.h"

namespace clipvane {

class IniProfile;

inline constexpr const char* kSettingsSection = "default";
inline constexpr const char* kProgramVersion = "v1.4";
// Every container people bring today, as a new MP4.ini gets it.
inline constexpr const char* kDefaultVideoExtensions =
    "avi,mpg,mpeg,asf,wmv,mp4,m4v,mov,mkv,webm,ts,m2ts,mts,3gp,flv,vob";

// The extensions a videofileext text names: lower case, split by comma-text rules.
std::vector<std::string> VideoExtensionList(const std::string& text);
// Whether a videofileext text, as the options dialog takes it, names one extension or
// more and nothing else: letters and digits, without the dot.
bool IsVideoExtensionText(const std::string& text);

// Whether a subtitleclass text is empty or one SAMI class name: letters, digits, "-"
// and "_", up to 32 of them.
bool IsSubtitleClassText(const std::string& text);

// Whether a text names a language as MediaInfo writes it ("korean", "english (us)",
// "serbo-croatian"): letters, digits, blanks, "-" and brackets, up to 40, at least one letter.
bool IsAudioLanguageText(const std::string& text);

// Start-up of the store, in every run mode: the fonts folder (with a trailing
// separator) and the video extension list, read once and never again.
StartupSettings StartSettingsStore(const IniProfile& ini, const std::string& fonts_folder, PathStyle style);

// What a load found: the settings as they are, or the 640 frame asked for on
// nano/Classic, which only touch/iPhone have. Then the frame is 320 by 240 and the
// other presets keep the values of the previous load; the values stay saved.
enum class SettingsCheck { kAccepted, kWideFrameNeedsTouch };

// Reads MP4.ini into the record and derives the presets.
SettingsCheck LoadSettings(EncodeSettings& settings, EncoderPreset& preset, const IniProfile& ini);

// The keys a save writes, from the record and its choices, in the save's order.
std::vector<std::pair<std::string, std::string>> SavedKeys(const EncodeSettings& settings);

// Writes, in one locked change of MP4.ini as it is now, the saved keys whose text
// differs from what the last load found, then loads again: a key another process
// changed meanwhile and this one did not keeps that change. A failed write throws
// PlatformError and leaves the file as it was.
SettingsCheck SaveSettings(EncodeSettings& settings, EncoderPreset& preset, IniProfile& ini);

// The main window's title: the configured title, a blank and the version.
std::string WindowTitle(const EncodeSettings& settings);

// The font argument for burnt-in subtitles: the face name on the colour route,
// otherwise the full path of the font file: in `fontsdir`, or as it is when the font
// file is given with its full path.
std::string SubtitleFont(const EncodeSettings& settings, const std::string& fontsdir);
// The plain route's font argument, whichever route the settings choose.
std::string PlainSubtitleFont(const EncodeSettings& settings, const std::string& fontsdir);

}  // namespace clipvane
