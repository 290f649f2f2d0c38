#pragma once
#include <map>
#include <string>
#include <vector>

namespace clipvane {

// The devices the options dialog offers, by their `platform` number in MP4.ini.
enum class Device { kTouch = 0, kNano = 1, kPhone = 2 };

// What the options dialog shows for the three list choices. -1 means no item is
// selected, which is what a stored value outside the list gives; a save then writes -1.
struct SettingsChoices {
  int qulity = -1;    // 0 good, 1 normal, 2 low
  int platform = -1;  // 0 touch/iPhone, 1 nano/Classic, 2 phone
  int display = -1;   // 0 to 3, the four screen-fit choices
};

// What MP4.ini holds, as the options dialog and the command line edit it: the keys,
// the halves of the two composite keys and the list choices.
struct EncodeSettings {
  std::string title;
  int qulity = 1;
  int platform = 0;  // 0, 2, or 1 for any other stored device
  int display = 0;   // limited to -1..3
  bool noresizefor43scale = true;
  bool needsubtitle = true;
  bool colorsubtitle = false;
  bool subtitlesync = false;
  bool audiosync = false;

  int plainsizeindex = -1;  // -1: fontsize not read since the last load
  int colorsizeindex = 0;
  std::string fontfile;  // empty: fontname not read since the last load
  std::string fontface;
  std::string videofileext;  // the video extension list as MP4.ini holds it; start-up reads its own
  // The class of the SAMI paragraphs to burn in (KRCC, ENCC), for files in two
  // languages; empty for whatever the file shows first.
  std::string subtitleclass;

  SettingsChoices choices;  // what the options dialog shows

  // The saved keys' texts as the last load found them in the file, and what the load
  // made of them, as a save would write them: a save tells the keys the user changed
  // from those it only writes in their proper form.
  std::map<std::string, std::string> stored, loaded;
};

inline Device DeviceOf(const EncodeSettings& settings) { return static_cast<Device>(settings.platform); }

// What every load derives from the stored settings for the encoders. Only the store
// sets it, and the subtitle size list, whose selected item is the size jobs use.
struct EncoderPreset {
  int displaymode = 0;  // 0 fit, 1 fit the 640 frame, 2 stretch, 3 fill and crop
  int videocodec = 0;   // 0 MPEG-4 through lavc, 1 Xvid, 2 H.264 through x264 (the phone)
  std::string rawvideoext = ".m4v";
  int framewidth = 480;
  int frameheight = 320;
  double maxfps = 25.0;
  int videobitrate = 700;
  int audiobitrate = 192;
  // The phone's H.264: the constant rate factor and x264's speed preset for the quality.
  int ratefactor = 0;
  std::string x264preset;
  int subtitlefontsize = 0;
};

// What the store reads once, at start-up, and never again.
struct StartupSettings {
  std::string fontsdir;                // the fonts folder, with a trailing separator
  std::vector<std::string> videoexts;  // lower case, without the dot
};

}  // namespace clipvane
