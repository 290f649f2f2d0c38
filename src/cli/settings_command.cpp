#include "cli/settings_command.h"

#include <algorithm>

#include "session/program.h"
#include "base/text.h"
#include "media/output_names.h"
#include "platform/text_encoding.h"
#include "settings/devices.h"
#include "settings/settings_store.h"

namespace clipvane {
namespace {

// A number from `low` to `high`, as the options dialog offers them.
bool ParseChoice(const std::string& value, int low, int high, int& choice) {
  const std::optional<int> parsed = ParsePlainNumber(value);
  if (!parsed || *parsed < low || *parsed > high) return false;
  choice = *parsed;
  return true;
}

bool ParseFlag(const std::string& value, bool& flag) {
  int parsed = 0;
  if (!ParseChoice(value, 0, 1, parsed)) return false;
  flag = parsed != 0;
  return true;
}

// What a choice key allows, in the user's words.
struct ChoiceKey {
  const char* key;
  int high;             // from 0
  std::string allowed;  // the reason given for any other value
};

// "takes 0 (a), 1 (b) or 2 (c)"
std::string Allowed(const std::vector<std::string>& names) {
  std::string text = "takes";
  for (std::size_t i = 0; i < names.size(); ++i)
    text += std::string(i == 0                  ? " "
                        : i + 1 == names.size() ? " or "
                                                : ", ") +
            std::to_string(i) + " (" + names[i] + ")";
  return text;
}

const ChoiceKey* ChoiceKeys() {
  static const ChoiceKey keys[] = {
      {"qulity", 2, Allowed({"good", "normal", "low"})},
      {"platform", static_cast<int>(Devices().size()) - 1, Allowed([] {
         std::vector<std::string> names;
         for (const DeviceDescriptor& device : Devices()) names.push_back(device.english);
         return names;
       }())},
      {"display", 3, Allowed({"fill, cropped", "fill, stretched", "fit", "the 640 frame"})},
  };
  return keys;
}

// The dialog offers eight subtitle sizes on each route.
constexpr int kLastSizeIndex = 7;

// Applies one KEY=VALUE to the record as the options dialog would; false with a
// reason when the key or the value is not one the dialog can set.
bool Apply(EncodeSettings& s, const std::string& key, const std::string& value, std::string& reason) {
  int* choices[] = {&s.choices.qulity, &s.choices.platform, &s.choices.display};
  const ChoiceKey* keys = ChoiceKeys();
  for (int i = 0; i < 3; ++i)
    if (key == keys[i].key)
      return ParseChoice(value, 0, keys[i].high, *choices[i]) || (reason = keys[i].allowed, false);
  bool* flags[] = {&s.colorsubtitle, &s.noresizefor43scale, &s.audiosync,
                   &s.subtitlesync,  &s.needsubtitle,       &s.keepsubfolders};
  const char* flag_keys[] = {"colorsubtitle", "noresizefor43scale", "audiosync",
                             "subtitlesync",  "needsubtitle",       "keepsubfolders"};
  for (int i = 0; i < 6; ++i)
    if (key == flag_keys[i]) return ParseFlag(value, *flags[i]) || (reason = "takes 1 or 0", false);
  if (key == "fontsize") {
    const std::vector<std::string> items = SplitAtCommas(value);
    int plain = 0, colour = 0;
    if (items.size() != 2 || !ParseChoice(items[0], 0, kLastSizeIndex, plain) ||
        !ParseChoice(items[1], 0, kLastSizeIndex, colour))
      return reason = "takes two size numbers from 0 to 7, the plain route's first, such as 2,2", false;
    s.plainsizeindex = plain;
    s.colorsizeindex = colour;
    return true;
  }
  if (key == "fontname") {
    const std::vector<std::string> items = SplitAtCommas(value);
    if (items.size() != 2 || items[0].empty())
      return reason = "takes a font file and a face name, such as gulim.ttc,Gulim", false;
    s.fontfile = items[0];
    s.fontface = items[1];
    return true;
  }
  if (key == "videofileext") {
    if (!IsVideoExtensionText(value))
      return reason = "takes extensions without the dot, apart by commas, such as avi,mp4,mkv", false;
    s.videofileext = value;
    return true;
  }
  if (key == "subtitleclass") {
    if (!IsSubtitleClassText(value))
      return reason = "takes a SAMI class name such as KRCC or ENCC, or nothing for the Korean one first", false;
    s.subtitleclass = value;
    return true;
  }
  if (key == "outputfolder") {
    if (!value.empty() && !IsFullFolderPath(value, kNativePathStyle))
      return reason = "takes a folder's full path, or nothing for incoming", false;
    s.outputfolder = value;
    return true;
  }
  if (key == "audiolanguage") {
    // "auto" is 자동, which MP4.ini keeps as nothing; an empty value is more likely a slip.
    const std::string language = AsciiLower(value);
    if (language != "auto" && !IsAudioLanguageText(language))
      return reason = "takes auto, or a language as MediaInfo names it, such as korean or english", false;
    s.audiolanguage = language == "auto" ? "" : language;
    return true;
  }
  if (key == "slurmoptions") {
    if (std::count(value.begin(), value.end(), '"') % 2 != 0) return reason = "has a quote that is not closed", false;
    s.slurmoptions = TrimBlanks(value);
    return true;
  }
  if (key == "title") return reason = "read only here; edit MP4.ini to change it", false;
  return reason = "not a setting", false;
}

std::string VideoText(const EncodeSettings& s, const EncoderPreset& p) {
  if (p.videocodec == VideoCodec::kX264) {
    const H264Limits& h264 = DescriptorOf(s.platform).h264;
    return "h264 " + std::string(h264.profile) + " level " + std::to_string(h264.level / 10) + "." +
           std::to_string(h264.level % 10) + ", rate factor " + std::to_string(p.ratefactor) + ", " + p.x264preset;
  }
  return (p.videocodec == VideoCodec::kXvid ? "xvid " : "mpeg4 ") + std::to_string(p.videobitrate) + " kbit/s";
}

void Show(const Program& program, std::ostream& out) {
  const EncodeSettings& s = program.settings;
  const EncoderPreset& p = program.preset;
  out << "title=" << s.title << "\n"
      << "qulity=" << s.choices.qulity << "\n"
      << "platform=" << s.choices.platform << "\n"
      << "display=" << s.choices.display << "\n"
      << "colorsubtitle=" << s.colorsubtitle << "\n"
      << "noresizefor43scale=" << s.noresizefor43scale << "\n"
      << "audiosync=" << s.audiosync << "\n"
      << "subtitlesync=" << s.subtitlesync << "\n"
      << "needsubtitle=" << s.needsubtitle << "\n"
      << "fontsize=" << s.plainsizeindex << "," << s.colorsizeindex << "\n"
      << "fontname=" << s.fontfile << "," << s.fontface << "\n"
      << "videofileext=" << s.videofileext << "\n"
      << "subtitleclass=" << s.subtitleclass << "\n"
      << "outputfolder=" << s.outputfolder << "\n"
      << "keepsubfolders=" << s.keepsubfolders << "\n"
      << "audiolanguage=" << (s.audiolanguage.empty() ? "auto" : s.audiolanguage) << "\n"
      << "slurmoptions=" << s.slurmoptions << "\n"
      << "# what they give\n"
      << "frame=" << p.framewidth << "x" << p.frameheight << "\n"
      << "video=" << VideoText(s, p) << "\n"
      << "audio=aac " << p.audiobitrate << " kbit/s\n"
      << "maxfps=" << p.maxfps << "\n"
      << "subtitlesize=" << p.subtitlefontsize << "\n"
      << "subtitlefont=" << SubtitleFont(s, program.startup.fontsdir) << "\n";
}

}  // namespace

void SayCheck(SettingsCheck check, std::ostream& err) {
  if (check == SettingsCheck::kWideFrameNeedsTouch)
    err << "clipvane-cli: warning: display=3 (the 640 frame) is for iPod touch and iPhone only; the frame stays "
           "320x240 and the other presets keep their values\n";
}

int SettingsCommand(const std::vector<std::string>& pairs, Program& program, std::ostream& out, std::ostream& err) {
  if (pairs.empty()) {
    Show(program, out);
    return 0;
  }
  EncodeSettings changed = program.settings;
  for (const std::string& pair : pairs) {
    const std::size_t eq = pair.find('=');
    const std::string key = AsciiLower(TrimBlanks(pair.substr(0, eq)));
    std::string reason;
    if (eq == std::string::npos) reason = "not KEY=VALUE";
    if (reason.empty() && Apply(changed, key, TrimBlanks(pair.substr(eq + 1)), reason)) continue;
    err << "clipvane-cli: settings: " << pair << ": " << reason << "\n";
    return 2;  // nothing is saved when any pair is wrong
  }
  program.settings = changed;
  SayCheck(SaveSettings(program.settings, program.preset, *program.ini), err);
  Show(program, out);
  return 0;
}

}  // namespace clipvane
