#pragma once
#include <string>

#include "common/path_style.h"
#include "settings/encode_settings.h"

namespace clipvane {

class IniProfile;
class UserNotifier;

inline constexpr const char* kSettingsSection = "default";
inline constexpr const char* kProgramVersion = "v1.4";
inline constexpr const char* kDefaultVideoExtensions = "avi,mpg,asf,wmv";

// Start-up of the store, in every run mode: the fonts folder (with a trailing
// separator) and the video extension list, read once and never again.
void StartSettingsStore(EncodeSettings& settings, const IniProfile& ini,
                        const std::string& fonts_folder, PathStyle style);

// Reads MP4.ini into the record and derives the presets. Returns false when the
// 640 frame was asked for on nano/Classic: the user is warned, and the presets keep
// the values of the previous load.
bool LoadSettings(EncodeSettings& settings, const IniProfile& ini, UserNotifier& notifier);

// Writes the ten saved keys from the record and its choices, then loads again.
// A failed write throws PlatformError; the keys after it are not written.
bool SaveSettings(EncodeSettings& settings, IniProfile& ini, UserNotifier& notifier);

// The main window's title: the configured title, a blank and the version.
std::string WindowTitle(const EncodeSettings& settings);

// The font argument for burnt-in subtitles: the face name on the colour route,
// otherwise the full path of the font file.
std::string SubtitleFont(const EncodeSettings& settings);

}  // namespace clipvane
