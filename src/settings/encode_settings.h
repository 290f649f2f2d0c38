#pragma once
#include <map>
#include <string>
#include <vector>

#include "settings/devices.h"

namespace clipvane {

// The settings as the core decides with them. MP4.ini keeps them as numbers, which
// only the settings store (settings_store.cpp) reads and writes.

// How the picture meets the frame, as the store derives it from the screen fit.
enum class DisplayMode { kFit = 0, kFit640Frame = 1, kStretch = 2, kFillAndCrop = 3 };

// What the options dialog shows for the three list choices, as list positions, which
// are also the numbers MP4.ini keeps. -1 means no item is selected, which is what a
// stored value outside the list gives; a save then writes -1.
struct SettingsChoices {
  int qulity = -1;    // 0 good, 1 normal, 2 low
  int platform = -1;  // a place in the device list (Devices())
  int display = -1;   // 0 to 3, the four screen-fit choices
};

// What MP4.ini holds, as the options dialog and the command line edit it: the keys,
// the halves of the two composite keys and the list choices.
struct EncodeSettings {
  std::string title;
  Quality qulity = Quality::kNormal;
  Device platform{};  // the first device until a load; a stored one the list lacks counts as nano/Classic
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
  // languages; empty for the Korean one, else whatever the file shows first.
  std::string subtitleclass;
  // Where the MP4s go: a folder of the user's choice, or empty for the workspace's
  // incoming folder; and whether a video added with a folder keeps its place under
  // that folder's name there.
  std::string outputfolder;
  bool keepsubfolders = false;
  // The language of the sound track to take from a video with several, lower-cased
  // as MediaInfo names it ("korean", "english"); empty for 자동 (media/audio_tracks.h).
  std::string audiolanguage;
  // sbatch options for a run on a Slurm cluster (partition, account, time limit, ...),
  // as the user writes them on one line; each word is one argument, never shell text.
  std::string slurmoptions;

  SettingsChoices choices;  // what the options dialog shows

  // What the last load made of the saved keys, as a save would write them: a save
  // writes only the keys whose value the user changed since.
  std::map<std::string, std::string> loaded;
};

// What every load derives from the stored settings for the encoders. Only the store
// sets it, and the subtitle size list, whose selected item is the size jobs use.
struct EncoderPreset {
  DisplayMode displaymode = DisplayMode::kFit;
  VideoCodec videocodec = VideoCodec::kLavcMpeg4;  // x264 for the phone's H.264
  std::string rawvideoext = ".m4v";
  int framewidth = 480;
  int frameheight = 320;
  double maxfps = 25.0;
  int videobitrate = 700;
  int audiobitrate = 192;
  // An H.264 device's: the constant rate factor and x264's speed preset for the quality.
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
