#include "settings/options_dialog_model.h"

#include <gtest/gtest.h>

#include "platform/ini_profile.h"
#include "platform/text_encoding.h"
#include "settings/settings_store.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

TEST(FontFileMapTest, NamesAreCutAtTheMarkersAndSortedIgnoringCase) {
  const FontFileMap map = BuildFontFileMap({
      {"Verdana (TrueType)", "verdana.ttf"},
      {"A & B (TrueType)", "a.ttc"},
      {"Courier 10,12,15", "coure.fon"},
      {"Hidden (TrueType)", ""},
      {"arial (TrueType)", "arial.ttf"},
      {"Gulim & GulimChe & Dotum & DotumChe (TrueType)", "gulim.ttc"},
      {"Symbol(TrueType)", "symbol.ttf"},
  });
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"A ", "a.ttc"},          {"arial ", "arial.ttf"},    {"Courier 10,12,15", "coure.fon"},
      {"Gulim ", "gulim.ttc"},  {"Symbol", "symbol.ttf"},   {"Verdana ", "verdana.ttf"},
  };
  ASSERT_EQ(map.size(), expected.size());
  for (std::size_t i = 0; i < map.size(); ++i) {
    EXPECT_EQ(map[i].name, expected[i].first) << i;
    EXPECT_EQ(map[i].file, expected[i].second) << i;
  }
}

TEST(ScreenFontItemsTest, DefaultAndEachFamilyOnceWithoutVerticalNames) {
  const std::string gulim = Utf8ToAnsi(u8"굴림");
  const std::vector<std::string> items =
      ScreenFontItems({"Tahoma", "@" + gulim, gulim, "arial", "Tahoma", "TAHOMA", "Batang"});
  EXPECT_EQ(items, (std::vector<std::string>{"arial", "Batang", "Default", "Tahoma", gulim}));
}

TEST(OptionsTextsTest, AQualityOutsideTheListIsDescribedAsTheLowOne) {
  EXPECT_EQ(QualityDescription(-1), QualityDescription(2));
  EXPECT_NE(QualityDescription(2), QualityDescription(1));
  EXPECT_NE(QualityDescription(1), QualityDescription(0));
}

class FakeFonts : public InstalledFonts {
 public:
  std::vector<std::string> families;
  std::vector<FontRegistryValue> values;
  int registry_reads = 0;
  std::vector<std::string> Families() override { return families; }
  std::vector<FontRegistryValue> RegistryValues() override {
    ++registry_reads;
    return values;
  }
};

class SubtitleListsTest : public ::testing::Test {
 protected:
  SubtitleListsTest() {
    fonts_.families = {"Arial", gulim_, "Two Words"};
    fonts_.values = {{"Arial (TrueType)", "arial.ttf"},
                     {"Gulim & GulimChe (TrueType)", "gulim.ttc"},
                     {"Batang & BatangChe (TrueType)", "batang.ttc"}};
  }
  EncodeSettings Load(const std::string& lines) {
    temp_.WriteFile("MP4.ini", "[default]\r\n" + lines);
    ini_ = OpenIniProfile(temp_ / "MP4.ini");
    EncodeSettings settings;
    StartSettingsStore(settings, *ini_, temp_.Path() + "Fonts", kNativePathStyle);
    LoadSettings(settings, *ini_, notifier_);
    return settings;
  }

  const std::string gulim_ = Utf8ToAnsi(u8"굴림");
  testing::TempFolder temp_;
  std::unique_ptr<IniProfile> ini_;
  testing::RecordingNotifier notifier_;
  FakeFonts fonts_;
  SubtitleFontLists lists_{fonts_};
};

TEST_F(SubtitleListsTest, SizeListFollowsRouteAndDeviceKeepingTheIndex) {
  struct Case {
    bool colour;
    int platform;
    std::string first, last;
    int shown;
  };
  const Case cases[] = {{false, 0, "2", "9", 4}, {false, 1, "2", "9", 4}, {true, 0, "12", "26", 16},
                        {true, 1, "6", "20", 10}, {true, -1, "6", "20", 10}};
  for (const Case& c : cases) {
    EncodeSettings settings = Load("fontsize=2,2\r\n");
    const SubtitleListsView view = lists_.Fill(settings, *ini_, c.colour, c.platform);
    ASSERT_EQ(view.sizes.size(), 8u);
    EXPECT_EQ(view.sizes.front(), c.first);
    EXPECT_EQ(view.sizes.back(), c.last);
    EXPECT_EQ(view.size_index, 2);
    EXPECT_EQ(settings.subtitlefontsize, c.shown) << c.colour << " " << c.platform;
  }
}

TEST_F(SubtitleListsTest, SizeIndexBeyondTheListSelectsTheFirstItem) {
  EncodeSettings settings = Load("fontsize=9,-3\r\n");
  EXPECT_EQ(lists_.Fill(settings, *ini_, false, 0).size_index, 0);
  EXPECT_EQ(settings.subtitlefontsize, 2);
  EXPECT_EQ(lists_.Fill(settings, *ini_, true, 0).size_index, 0);
  EXPECT_EQ(settings.subtitlefontsize, 12);
  EXPECT_EQ(settings.plainsizeindex, 9);  // the stored values stay
}

TEST_F(SubtitleListsTest, PlainRouteFindsTheConfiguredFileThroughTheRegistryNames) {
  EncodeSettings settings = Load("fontname=GULIM.TTC," + gulim_ + "\r\n");
  const SubtitleListsView view = lists_.Fill(settings, *ini_, false, 0);
  EXPECT_EQ(view.fonts, (std::vector<std::string>{"Arial ", "Batang ", "Gulim "}));
  EXPECT_EQ(view.font_index, 2);

  lists_.FontChosen(settings, false, "Batang ");
  EXPECT_EQ(settings.fontfile, "batang.ttc");
  EXPECT_EQ(settings.fontface, gulim_);
  lists_.SizeChosen(settings, false, 5);
  EXPECT_EQ(settings.plainsizeindex, 5);
  EXPECT_EQ(settings.colorsizeindex, 2);
}

TEST_F(SubtitleListsTest, ColourRouteFindsTheFaceNameAndKeepsTwoWordNames) {
  EncodeSettings settings = Load("fontname=arial.ttf, Two Words \r\n");
  const SubtitleListsView view = lists_.Fill(settings, *ini_, true, 0);
  EXPECT_EQ(view.fonts, (std::vector<std::string>{"Arial", "Default", "Two Words", gulim_}));
  EXPECT_EQ(view.font_index, 2);
  EXPECT_EQ(fonts_.registry_reads, 0);  // the colour route never reads the registry

  lists_.FontChosen(settings, true, "Arial");
  EXPECT_EQ(settings.fontface, "Arial");
  EXPECT_EQ(settings.fontfile, "arial.ttf");
  lists_.SizeChosen(settings, true, 7);
  EXPECT_EQ(settings.colorsizeindex, 7);
}

TEST_F(SubtitleListsTest, FontThatIsNotInstalledShowsTheFirstItemAndStaysConfigured) {
  EncodeSettings settings = Load("fontname=missing.ttf,Missing Face\r\n");
  EXPECT_EQ(lists_.Fill(settings, *ini_, false, 0).font_index, 0);
  EXPECT_EQ(lists_.Fill(settings, *ini_, true, 0).font_index, 0);
  EXPECT_EQ(settings.fontfile, "missing.ttf");
  EXPECT_EQ(settings.fontface, "missing face");  // read lower-cased
}

TEST_F(SubtitleListsTest, EmptyRegistryGivesAnEmptyPlainListAndKeepsTheFile) {
  fonts_.values.clear();
  EncodeSettings settings = Load("");
  const SubtitleListsView view = lists_.Fill(settings, *ini_, false, 0);
  EXPECT_TRUE(view.fonts.empty());
  lists_.FontChosen(settings, false, "Gulim ");  // a name the map no longer has
  EXPECT_EQ(settings.fontfile, "gulim.ttc");
}

TEST_F(SubtitleListsTest, ClearedSubtitleBoxSavesTheOtherValuesUnchanged) {
  EncodeSettings settings = Load("fontsize=4,6\r\nfontname=arial.ttf,Arial\r\ncolorsubtitle=1\r\nqulity=7\r\n");
  OptionsControls controls = ControlsFromSettings(settings);
  EXPECT_EQ(controls.qulity, -1);
  EXPECT_TRUE(controls.colorsubtitle);
  controls.needsubtitle = false;
  TakeControls(settings, controls);
  ASSERT_TRUE(SaveSettings(settings, *ini_, notifier_));
  EXPECT_EQ(ini_->ReadString("default", "needsubtitle", "?"), "0");
  EXPECT_EQ(ini_->ReadString("default", "fontsize", "?"), "4,6");
  EXPECT_EQ(ini_->ReadString("default", "fontname", "?"), "arial.ttf,arial");
  EXPECT_EQ(ini_->ReadString("default", "colorsubtitle", "?"), "1");
  EXPECT_EQ(ini_->ReadString("default", "qulity", "?"), "-1");
}

}  // namespace
}  // namespace clipvane
