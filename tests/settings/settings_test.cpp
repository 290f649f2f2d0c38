#include <sstream>
#include <gtest/gtest.h>

#include "common/workspace.h"
#include "platform/ini_profile.h"
#include "platform/text_encoding.h"
#include "settings/avisynth_readiness.h"
#include "settings/settings_store.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  // Loads from an MP4.ini holding `lines` under [default] (no file at all for "-").
  SettingsCheck Load(const std::string& lines) {
    if (lines != "-") temp_.WriteFile("MP4.ini", "[default]\r\n" + lines);
    ini_ = OpenIniProfile(temp_ / "MP4.ini");
    startup_ = StartSettingsStore(*ini_, "C:\\WINDOWS\\Fonts", PathStyle::kWindows);
    return LoadSettings(settings_, preset_, *ini_);
  }
  // Everything a load gives, in one line.
  std::string Loaded() const {
    const EncoderPreset& p = preset_;
    std::ostringstream out;
    if (p.videocodec == VideoCodec::kX264) out << "x264 crf" << p.ratefactor << " " << p.x264preset;
    else out << (p.videocodec == VideoCodec::kXvid ? "xvid " : "lavc ") << p.videobitrate;
    out << "/" << p.audiobitrate << " " << p.maxfps << "fps " << p.framewidth << "x" << p.frameheight << " mode"
        << static_cast<int>(p.displaymode) << " sizes " << settings_.plainsizeindex << "," << settings_.colorsizeindex
        << "=" << p.subtitlefontsize << " " << AnsiToUtf8(SubtitleFont(settings_, startup_.fontsdir)) << "|"
        << AnsiToUtf8(settings_.fontface) << " ";
    for (const std::string& ext : startup_.videoexts) out << ext << ";";
    return out.str();
  }
  std::string Saved(const char* key) { return ini_->ReadString("default", key, "absent"); }

  testing::TempFolder temp_;
  std::unique_ptr<IniProfile> ini_;
  StartupSettings startup_;
  EncodeSettings settings_;
  EncoderPreset preset_;
};

const std::string kFont = u8" C:\\WINDOWS\\Fonts\\gulim.ttc|굴림 ";
const std::string kVideos = "avi;mpg;mpeg;asf;wmv;mp4;m4v;mov;mkv;webm;ts;m2ts;mts;3gp;flv;vob;";

TEST_F(SettingsTest, LoadDerivesThePresetsTheSizeAndFontPairsAndTheVideoList) {
  const std::pair<std::string, std::string> cases[] = {
      // No file: normal quality, touch/iPhone, full screen cropped, plain subtitles of size 4.
      {"-", "lavc 700/192 25fps 480x320 mode3 sizes 2,2=4" + kFont + kVideos},
      {"qulity=0\r\nplatform=1\r\n", "xvid 700/192 29fps 320x240 mode3 sizes 2,2=4" + kFont + kVideos},
      {"qulity=0\r\n", "xvid 900/192 29fps 480x320 mode3 sizes 2,2=4" + kFont + kVideos},
      {"qulity=2\r\nplatform=1\r\ndisplay=2\r\n", "lavc 300/64 23fps 320x240 mode0 sizes 2,2=4" + kFont + kVideos},
      // The 640 frame on touch/iPhone (display 3): 640 by 320 and 210 kbit/s more; display limited to -1..3.
      {"display=9\r\n", "lavc 910/192 25fps 640x320 mode1 sizes 2,2=4" + kFont + kVideos},
      // The phone: H.264 by rate factor within 1280x720, where no screen fit is refused;
      // its colour sizes are the touch's.
      {"platform=2\r\n", "x264 crf23 fast/160 60fps 1280x720 mode3 sizes 2,2=4" + kFont + kVideos},
      {"platform=2\r\nqulity=0\r\ndisplay=3\r\n",
       "x264 crf20 medium/160 60fps 1280x720 mode1 sizes 2,2=4" + kFont + kVideos},
      {"platform=2\r\nqulity=7\r\ncolorsubtitle=1\r\n",
       u8"x264 crf26 veryfast/160 60fps 1280x720 mode3 sizes 2,2=16 굴림|굴림 " + kVideos},
      // Any stored device the list lacks is nano/Classic; a quality outside the list is the low one.
      {"platform=3\r\ndisplay=1\r\n", "lavc 500/192 25fps 320x240 mode2 sizes 2,2=4" + kFont + kVideos},
      {"qulity=3\r\n", "lavc 500/64 23fps 480x320 mode3 sizes 2,2=4" + kFont + kVideos},
      // The size pair: one item is the default, a word counts as 2, beyond the list is item 0.
      {"fontsize=5\r\n", "lavc 700/192 25fps 480x320 mode3 sizes 2,2=4" + kFont + kVideos},
      {"fontsize=3,x\r\n", "lavc 700/192 25fps 480x320 mode3 sizes 3,2=5" + kFont + kVideos},
      {"fontsize=9,0\r\n", "lavc 700/192 25fps 480x320 mode3 sizes 9,0=2" + kFont + kVideos},
      {"colorsubtitle=1\r\nplatform=1\r\n", u8"lavc 500/192 25fps 320x240 mode3 sizes 2,2=10 굴림|굴림 " + kVideos},
      // The font pair: one item is the default; read lower-cased, a face of two words whole.
      {"fontname=Arial.TTF\r\n", "lavc 700/192 25fps 480x320 mode3 sizes 2,2=4" + kFont + kVideos},
      {"fontname=MALGUN.TTF, Malgun Gothic \r\n",
       "lavc 700/192 25fps 480x320 mode3 sizes 2,2=4 C:\\WINDOWS\\Fonts\\malgun.ttf|malgun gothic " + kVideos},
      // A font installed for one user is registered with its full path, used as it is.
      {"fontname=C:\\Users\\Kim\\Fonts\\Mine.TTF,x\r\n",
       "lavc 700/192 25fps 480x320 mode3 sizes 2,2=4 c:\\users\\kim\\fonts\\mine.ttf|x " + kVideos},
      // The video list: lower-cased, split by comma text (its rules are tested with it).
      {"videofileext=AVI, Mkv\r\n", "lavc 700/192 25fps 480x320 mode3 sizes 2,2=4" + kFont + "avi;mkv;"}};
  for (const auto& [lines, loaded] : cases) {
    EXPECT_EQ(Load(lines), SettingsCheck::kAccepted) << lines;
    EXPECT_EQ(Loaded(), loaded) << lines;
  }
}

TEST_F(SettingsTest, SaveWritesOnlyTheKeysTheUserChangedAndReloads) {
  Load(
      "qulity=7\r\nplatform=5\r\naudiosync=5\r\nsubtitlesync=-1\r\nneedsubtitle=no\r\ncolorsubtitle=yes\r\n"
      "subtitleclass= ENCC \r\nfontname=Gulim.TTC,Gulim\r\naudiolanguage= Korean \r\n");
  EXPECT_EQ(settings_.audiolanguage, "korean");  // as the report names it
  // Every key the user did not change stays byte for byte, in whatever form it has.
  settings_.choices.display = 2;
  settings_.plainsizeindex = 5;
  settings_.colorsizeindex = 7;
  settings_.outputfolder = "D:\\MP4";
  ASSERT_EQ(SaveSettings(settings_, preset_, *ini_), SettingsCheck::kAccepted);
  std::string saved;
  for (const char* key : {"audiosync", "subtitlesync", "fontsize", "display", "qulity", "platform",
                          "noresizefor43scale", "fontname", "needsubtitle", "colorsubtitle", "title", "videofileext",
                          "subtitleclass", "outputfolder", "keepsubfolders", "audiolanguage"})
    saved += std::string(key) + "=" + Saved(key) + ";";
  EXPECT_EQ(saved,
            "audiosync=5;subtitlesync=-1;fontsize=5,7;display=2;qulity=7;platform=5;noresizefor43scale=absent;"
            "fontname=Gulim.TTC,Gulim;needsubtitle=no;colorsubtitle=yes;title=absent;videofileext=absent;"
            "subtitleclass=ENCC;outputfolder=D:\\MP4;keepsubfolders=absent;audiolanguage=Korean;");
  EXPECT_EQ(Loaded(),
            "lavc 300/64 23fps 320x240 mode0 sizes 5,7=7 C:\\WINDOWS\\Fonts\\gulim.ttc|gulim " + kVideos);  // reloaded
  // Another process changes two keys meanwhile; the next save writes only this one's change.
  OpenIniProfile(temp_ / "MP4.ini")->WriteString("default", "qulity", "1");
  OpenIniProfile(temp_ / "MP4.ini")->WriteString("default", "audiosync", "yes");
  settings_.choices.display = 1;
  settings_.audiolanguage.clear();  // 자동
  ASSERT_EQ(SaveSettings(settings_, preset_, *ini_), SettingsCheck::kAccepted);
  EXPECT_EQ(Saved("display") + Saved("qulity") + Saved("audiosync") + Saved("audiolanguage"), "11yes");
}

// The last item of each list and the one past it: that one is shown as no item, and a
// save writes -1 for it.
TEST_F(SettingsTest, AStoredChoicePastItsListShowsNoItem) {
  const std::tuple<const char*, int SettingsChoices::*, int> cases[] = {
      {"qulity=2", &SettingsChoices::qulity, 2},     {"qulity=3", &SettingsChoices::qulity, -1},
      {"platform=2", &SettingsChoices::platform, 2}, {"platform=3", &SettingsChoices::platform, -1},
      {"qulity=-1", &SettingsChoices::qulity, -1},   {"platform=-1", &SettingsChoices::platform, -1},
      {"display=3", &SettingsChoices::display, 3},   {"display=4", &SettingsChoices::display, 3},
      {"display=-1", &SettingsChoices::display, -1}, {"display=-2", &SettingsChoices::display, -1}};
  for (const auto& [line, choice, shown] : cases) {
    Load(std::string(line) + "\r\n");
    EXPECT_EQ(settings_.choices.*choice, shown) << line;
  }
}

TEST(VideoExtensionText, TakesExtensionsWithoutTheDotAndNothingElse) {
  for (const char* text : {"avi", "AVI, Mkv", "mp4 m2ts 3gp"}) EXPECT_TRUE(IsVideoExtensionText(text)) << text;
  for (const char* text : {"", " , ", ".avi", "avi,", "avi;mp4", "*.mp4", "\"avi,mp4\""})
    EXPECT_FALSE(IsVideoExtensionText(text)) << text;
}

TEST_F(SettingsTest, The640FrameOnNanoIsRefusedAndKeepsThePreviousPresets) {
  // At start the previous presets are the start values.
  EXPECT_EQ(Load("qulity=2\r\nplatform=1\r\ndisplay=3\r\n"), SettingsCheck::kWideFrameNeedsTouch);
  EXPECT_EQ(Loaded(), "lavc 700/192 25fps 320x240 mode1 sizes 2,2=4" + kFont + kVideos);
  EXPECT_EQ(Load("qulity=0\r\nplatform=0\r\ndisplay=3\r\n"), SettingsCheck::kAccepted);
  settings_.choices.platform = 1;
  settings_.choices.qulity = 2;
  EXPECT_EQ(SaveSettings(settings_, preset_, *ini_), SettingsCheck::kWideFrameNeedsTouch);
  EXPECT_EQ(Saved("platform"), "1");  // the values are saved, the frame follows, the presets stay
  EXPECT_EQ(Loaded(), "xvid 1110/192 29fps 320x240 mode1 sizes 2,2=4" + kFont + kVideos);
  // All of them: after the phone, H.264 keeps its rate factor and x264 preset.
  Load("platform=2\r\n");
  EXPECT_EQ(Load("platform=1\r\ndisplay=3\r\n"), SettingsCheck::kWideFrameNeedsTouch);
  EXPECT_EQ(Loaded(), "x264 crf23 fast/160 60fps 320x240 mode1 sizes 2,2=4" + kFont + kVideos);
}

// An encoder that draws SSA itself needs nothing of AviSynth; otherwise the installer
// in bin is offered, only when it is there.
TEST(MakeAviSynthReady, AsksToInstallOnlyWhatIsThereAndOnlyWhenTheEncoderNeedsAviSynth) {
  const std::string install = "C:\\Clipvane\\bin\\Avisynth_257.exe";
  const std::string vsfilter = "C:\\Clipvane\\bin\\vsfilter.dll > C:\\AviSynth\\plugins\\vsfilter.dll";
  // Registered, registered by the installer, the encoder draws SSA, the installer is
  // there, the user agrees; asked, ready, what was run and copied.
  const std::tuple<std::string, std::string, bool, bool, bool, bool, bool, std::vector<std::string>> cases[] = {
      {"", "", true, true, true, false, true, {}},                         // the release's encoder
      {"C:\\AviSynth\\plugins", "", false, true, false, true, false, {}},  // registered, no DirectShowSource
      // DirectShowSource.dll is not looked for again after the installer.
      {"", "C:\\AviSynth\\plugins", false, true, true, true, true, {install, vsfilter}},
      {"", "C:\\Nowhere", false, true, true, true, false, {install}},
      {"", "C:\\AviSynth\\plugins", false, false, true, false, false, {}}};  // no installer to offer
  for (const auto& [registered, by_installer, draws_ssa, installer_there, agree, asks, ready, calls] : cases) {
    testing::FakeAviSynth system;
    system.registered = registered;
    system.installs_to = by_installer;
    system.draws_ssa = draws_ssa;
    system.existing = {"C:\\AviSynth\\plugins\\"};
    if (installer_there) system.existing.insert(install);
    bool asked = false;
    std::string plugin_dir;
    const auto ask = [&, agree = agree] { return asked = true, agree; };
    EXPECT_EQ(MakeAviSynthReady(system, Workspace("C:\\Clipvane\\", PathStyle::kWindows), plugin_dir, ask), ready);
    EXPECT_EQ(asked, asks);
    EXPECT_EQ(system.calls, calls);
  }
}

}  // namespace
}  // namespace clipvane
