#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "platform/ini_profile.h"
#include "platform/text_encoding.h"
#include "settings/subtitle_fonts.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  // Loads from an MP4.ini holding `lines` under [default] (no file at all for "-").
  EncodeSettings Load(const std::string& lines, bool expect_accepted = true) {
    if (lines != "-") temp_.WriteFile("MP4.ini", "[default]\r\n" + lines);
    ini_ = OpenIniProfile(temp_ / "MP4.ini");
    EncodeSettings settings;
    StartSettingsStore(settings, *ini_, "C:\\WINDOWS\\Fonts", PathStyle::kWindows);
    EXPECT_EQ(LoadSettings(settings, *ini_, notifier_), expect_accepted);
    return settings;
  }

  testing::TempFolder temp_;
  std::unique_ptr<IniProfile> ini_;
  testing::RecordingNotifier notifier_;
};

TEST_F(SettingsTest, NoFileGivesTheDefaults) {
  const EncodeSettings s = Load("-");
  EXPECT_EQ(WindowTitle(s), "Clipvane v1.4");
  EXPECT_EQ(s.qulity, 1);
  EXPECT_EQ(s.platform, 0);
  EXPECT_EQ(s.display, 0);
  EXPECT_EQ(s.displaymode, 3);
  EXPECT_TRUE(s.noresizefor43scale);
  EXPECT_TRUE(s.needsubtitle);
  EXPECT_FALSE(s.colorsubtitle);
  EXPECT_FALSE(s.audiosync);
  EXPECT_FALSE(s.subtitlesync);
  EXPECT_EQ(s.videocodec, 0);
  EXPECT_EQ(s.videobitrate, 700);
  EXPECT_EQ(s.audiobitrate, 192);
  EXPECT_DOUBLE_EQ(s.maxfps, 25.0);
  EXPECT_EQ(s.framewidth, 480);
  EXPECT_EQ(s.frameheight, 320);
  EXPECT_EQ(s.rawvideoext, ".m4v");
  EXPECT_EQ(s.fontsdir, "C:\\WINDOWS\\Fonts\\");
  EXPECT_EQ(s.videoexts, (std::vector<std::string>{"avi", "mpg", "asf", "wmv"}));
  EXPECT_EQ(s.plainsizeindex, 2);
  EXPECT_EQ(s.subtitlefontsize, 4);
  EXPECT_EQ(s.fontfile, "gulim.ttc");
  EXPECT_EQ(s.fontface, Utf8ToAnsi(u8"굴림"));
  EXPECT_EQ(SubtitleFont(s), "C:\\WINDOWS\\Fonts\\gulim.ttc");
  EXPECT_TRUE(notifier_.shown.empty());
}

struct PresetCase {
  std::string lines;
  int videocodec, videobitrate, audiobitrate;
  double maxfps;
  int framewidth, frameheight, displaymode;
};

class PresetTest : public SettingsTest, public ::testing::WithParamInterface<PresetCase> {};

TEST_P(PresetTest, DerivesTheEncoderPresets) {
  const PresetCase& c = GetParam();
  const EncodeSettings s = Load(c.lines);
  EXPECT_EQ(s.videocodec, c.videocodec);
  EXPECT_EQ(s.videobitrate, c.videobitrate);
  EXPECT_EQ(s.audiobitrate, c.audiobitrate);
  EXPECT_DOUBLE_EQ(s.maxfps, c.maxfps);
  EXPECT_EQ(s.framewidth, c.framewidth);
  EXPECT_EQ(s.frameheight, c.frameheight);
  EXPECT_EQ(s.displaymode, c.displaymode);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PresetTest,
    ::testing::Values(
        PresetCase{"qulity=0\r\nplatform=1\r\n", 1, 700, 192, 29.0, 320, 240, 3},
        PresetCase{"qulity=0\r\nplatform=0\r\n", 1, 900, 192, 29.0, 480, 320, 3},
        PresetCase{"qulity=2\r\nplatform=0\r\n", 0, 500, 64, 23.0, 480, 320, 3},
        PresetCase{"qulity=2\r\nplatform=1\r\ndisplay=2\r\n", 0, 300, 64, 23.0, 320, 240, 0},
        PresetCase{"qulity=1\r\nplatform=1\r\ndisplay=1\r\n", 0, 500, 192, 25.0, 320, 240, 2},
        // the 640 frame on touch/iPhone: 640 by 320 and 210 kbit/s more
        PresetCase{"qulity=1\r\nplatform=0\r\ndisplay=3\r\n", 0, 910, 192, 25.0, 640, 320, 1},
        // out of range: display limited to -1..3, platform anything but 0 is 1,
        // a quality outside the list takes the low presets
        PresetCase{"display=9\r\n", 0, 910, 192, 25.0, 640, 320, 1},
        PresetCase{"display=-7\r\n", 0, 910, 192, 25.0, 640, 320, 1},
        PresetCase{"platform=5\r\n", 0, 500, 192, 25.0, 320, 240, 3},
        PresetCase{"platform=-1\r\n", 0, 500, 192, 25.0, 320, 240, 3},
        PresetCase{"qulity=7\r\n", 0, 500, 64, 23.0, 480, 320, 3},
        PresetCase{"qulity=-1\r\n", 0, 500, 64, 23.0, 480, 320, 3},
        PresetCase{"qulity=good\r\ndisplay=\r\n", 0, 700, 192, 25.0, 480, 320, 3},
        PresetCase{"qulity=0x0\r\n", 1, 900, 192, 29.0, 480, 320, 3}));

TEST_F(SettingsTest, OutOfRangeChoicesShowNothingAndSaveMinusOne) {
  EncodeSettings s = Load("qulity=7\r\nplatform=5\r\ndisplay=2\r\n");
  EXPECT_EQ(s.choices.qulity, -1);
  EXPECT_EQ(s.choices.platform, -1);
  EXPECT_EQ(s.choices.display, 2);
  s.choices.display = 0;
  ASSERT_TRUE(SaveSettings(s, *ini_, notifier_));
  EXPECT_EQ(ini_->ReadString("default", "qulity", ""), "-1");
  EXPECT_EQ(ini_->ReadString("default", "platform", ""), "-1");
  EXPECT_EQ(ini_->ReadString("default", "display", ""), "0");
  EXPECT_EQ(s.platform, 1);
  EXPECT_EQ(s.audiobitrate, 64);
}

TEST_F(SettingsTest, BooleansReadNonZeroAsTrueAndWordsAsTheDefault) {
  EncodeSettings s = Load(
      "audiosync=5\r\nsubtitlesync=-1\r\nneedsubtitle=no\r\nnoresizefor43scale=false\r\n"
      "colorsubtitle=yes\r\n");
  EXPECT_TRUE(s.audiosync);
  EXPECT_TRUE(s.subtitlesync);
  EXPECT_TRUE(s.needsubtitle);         // the word keeps the default, true
  EXPECT_TRUE(s.noresizefor43scale);   // likewise
  EXPECT_FALSE(s.colorsubtitle);       // default false
  ASSERT_TRUE(SaveSettings(s, *ini_, notifier_));
  EXPECT_EQ(ini_->ReadString("default", "audiosync", ""), "1");
  EXPECT_EQ(ini_->ReadString("default", "subtitlesync", ""), "1");
  EXPECT_EQ(ini_->ReadString("default", "needsubtitle", ""), "1");
  EXPECT_EQ(ini_->ReadString("default", "noresizefor43scale", ""), "1");
  EXPECT_EQ(ini_->ReadString("default", "colorsubtitle", ""), "0");
}

TEST_F(SettingsTest, SaveWritesTenKeysAndReloads) {
  EncodeSettings s = Load("-");
  s.choices.qulity = 0;
  s.choices.platform = 1;
  s.choices.display = 2;
  s.colorsubtitle = true;
  s.needsubtitle = false;
  s.noresizefor43scale = false;
  s.plainsizeindex = 5;
  s.colorsizeindex = 7;
  s.fontfile = "nanumgothic.ttf";
  s.fontface = "nanum gothic";
  ASSERT_TRUE(SaveSettings(s, *ini_, notifier_));
  EXPECT_EQ(ini_->ReadString("default", "fontsize", ""), "5,7");
  EXPECT_EQ(ini_->ReadString("default", "fontname", ""), "nanumgothic.ttf,nanum gothic");
  EXPECT_EQ(ini_->ReadString("default", "title", "absent"), "absent");  // never written
  EXPECT_EQ(ini_->ReadString("default", "videofileext", "absent"), "absent");
  // The reload follows at once: Xvid at the nano rate, colour sizes of the nano list.
  EXPECT_EQ(s.videocodec, 1);
  EXPECT_EQ(s.videobitrate, 700);
  EXPECT_EQ(s.displaymode, 0);
  EXPECT_EQ(s.subtitlefontsize, 20);
  EXPECT_EQ(SubtitleFont(s), "nanum gothic");
}

TEST_F(SettingsTest, The640FrameOnNanoIsRefusedAndKeepsThePreviousPresets) {
  EncodeSettings s = Load("qulity=0\r\nplatform=0\r\ndisplay=3\r\n");
  ASSERT_EQ(s.videobitrate, 1110);
  ASSERT_TRUE(notifier_.shown.empty());

  s.choices.platform = 1;
  s.choices.qulity = 2;
  EXPECT_FALSE(SaveSettings(s, *ini_, notifier_));

  ASSERT_EQ(notifier_.shown.size(), 1u);
  EXPECT_EQ(notifier_.shown[0].text,
            Utf8ToAnsi(u8"지정한 [화면 설정]은 iPod touch와 iPhone을 위한 옵션 입니다."));
  EXPECT_EQ(notifier_.shown[0].caption, Utf8ToAnsi(u8"경고"));
  EXPECT_EQ(notifier_.shown[0].icon, MessageIcon::kWarning);
  EXPECT_EQ(notifier_.shown[0].buttons, MessageButtons::kOk);
  // The values are saved, the frame follows, the presets stay as they were.
  EXPECT_EQ(ini_->ReadString("default", "platform", ""), "1");
  EXPECT_EQ(s.displaymode, 1);
  EXPECT_EQ(s.framewidth, 320);
  EXPECT_EQ(s.frameheight, 240);
  EXPECT_EQ(s.videocodec, 1);
  EXPECT_EQ(s.videobitrate, 1110);
  EXPECT_EQ(s.audiobitrate, 192);
  EXPECT_DOUBLE_EQ(s.maxfps, 29.0);
  EXPECT_EQ(s.qulity, 2);
}

TEST_F(SettingsTest, The640FrameOnNanoAtStartKeepsTheStartValues) {
  const EncodeSettings s = Load("qulity=2\r\nplatform=1\r\ndisplay=3\r\n", false);
  EXPECT_EQ(notifier_.shown.size(), 1u);
  EXPECT_EQ(s.videobitrate, 700);
  EXPECT_EQ(s.audiobitrate, 192);
  EXPECT_DOUBLE_EQ(s.maxfps, 25.0);
  EXPECT_EQ(s.framewidth, 320);
}

struct ExtCase {
  std::string value;  // "-" for an absent key
  std::vector<std::string> exts;
};

class VideoExtTest : public SettingsTest, public ::testing::WithParamInterface<ExtCase> {};

TEST_P(VideoExtTest, SplitsTheListOnceAtStart) {
  const EncodeSettings s = Load(GetParam().value == "-" ? "" : "videofileext=" + GetParam().value + "\r\n");
  EXPECT_EQ(s.videoexts, GetParam().exts);
}

INSTANTIATE_TEST_SUITE_P(Table, VideoExtTest,
                         ::testing::Values(ExtCase{"-", {"avi", "mpg", "asf", "wmv"}},
                                           ExtCase{"AVI, Mkv", {"avi", "mkv"}},
                                           ExtCase{".avi", {".avi"}},
                                           ExtCase{"avi,", {"avi", ""}},
                                           ExtCase{"", {}},
                                           ExtCase{"avi,AVI", {"avi", "avi"}},
                                           ExtCase{"\"mp4, ts\",Avi", {"mp4, ts", "avi"}},
                                           // quotes around the whole value belong to the file format
                                           ExtCase{"\"mp4,ts\"", {"mp4", "ts"}}));

struct FontCase {
  std::string lines;
  int plain, colour, size;
  std::string file, face;
};

class FontPairTest : public SettingsTest, public ::testing::WithParamInterface<FontCase> {};

TEST_P(FontPairTest, ReadsTheSizeAndFontPairs) {
  const FontCase& c = GetParam();
  const EncodeSettings s = Load(c.lines);
  EXPECT_EQ(s.plainsizeindex, c.plain);
  EXPECT_EQ(s.colorsizeindex, c.colour);
  EXPECT_EQ(s.subtitlefontsize, c.size);
  EXPECT_EQ(s.fontfile, c.file);
  EXPECT_EQ(s.fontface, Utf8ToAnsi(c.face));
}

INSTANTIATE_TEST_SUITE_P(
    Table, FontPairTest,
    ::testing::Values(FontCase{"fontsize=5\r\n", 2, 2, 4, "gulim.ttc", u8"굴림"},
                      FontCase{"fontsize=3,x\r\n", 3, 2, 5, "gulim.ttc", u8"굴림"},
                      FontCase{"fontsize=9,0\r\n", 9, 0, 2, "gulim.ttc", u8"굴림"},  // beyond the list: item 0
                      FontCase{"fontsize=2,2\r\ncolorsubtitle=1\r\n", 2, 2, 16, "gulim.ttc", u8"굴림"},
                      FontCase{"fontsize=2,2\r\ncolorsubtitle=1\r\nplatform=1\r\n", 2, 2, 10, "gulim.ttc", u8"굴림"},
                      FontCase{"fontname=Arial.TTF\r\n", 2, 2, 4, "gulim.ttc", u8"굴림"},
                      FontCase{"fontname=MALGUN.TTF, Malgun Gothic \r\n", 2, 2, 4, "malgun.ttf", "malgun gothic"}));

}  // namespace
}  // namespace clipvane
