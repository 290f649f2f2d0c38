// Subtitles drawn into the picture: the plain route burns the SAMI copy in, the
// colour route draws an SSA file named by an AviSynth script.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tool_runs.h"

namespace clipvane::testing {
namespace {

// "한글 자막" (Korean for "Korean subtitle") in code page 949, as Korean SAMI and
// SSA files are usually written.
const std::string kKoreanCp949 = "\xC7\xD1\xB1\xDB \xC0\xDA\xB8\xB7";
// "스틸 it's $HOME [1],(2)" in UTF-8, the file-name encoding here.
const std::string kBaseName = "\xEC\x8A\xA4\xED\x8B\xB8 it's $HOME [1],(2)";

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

class SubtitleRouteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A Korean name with blanks, quotes and brackets must survive the script, the
    // AviSynth script and the filter graph.
    video_ = sources_ / (kBaseName + ".mp4");
    MakeVideo(video_, "color=gray:size=480x320:rate=25:duration=1.5",
              "sine=frequency=440:sample_rate=44100:duration=1.5", "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac");
    sources_.WriteFile(kBaseName + ".smi", "<SAMI>\r\n<BODY>\r\n<SYNC Start=200><P Class=KRCC>" + kKoreanCp949 +
                                        " Subtitle\r\n<SYNC Start=1300><P Class=KRCC>&nbsp;\r\n</BODY>\r\n</SAMI>\r\n");
    facts_.width = 480;
    facts_.height = 320;
    facts_.aspect = 1.5;
    facts_.frameRate = 25;
    settings_ = PresetSettings(1, 0);
  }

  // Runs the job and keeps its MP4 under `name`, so that the next run of the same
  // video does not delete it.
  std::string Encode(const std::string& name, AvsScriptWriter write_avs = nullptr) {
    const ToolAppDir::Run run = app_.BuildAndRun(video_, facts_, settings_, std::move(write_avs));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(app_.TempFiles(), std::vector<std::string>{});
    std::filesystem::rename(run.mp4, sources_ / name);
    return sources_ / name;
  }

  static std::vector<unsigned char> Bottom(const std::string& mp4) { return FrameRegion(mp4, 0.7, 0, 200, 480, 120); }
  static std::vector<unsigned char> Top(const std::string& mp4) { return FrameRegion(mp4, 0.7, 0, 0, 480, 150); }

  TempFolder sources_;
  ToolAppDir app_;
  std::string video_;
  MediaFacts facts_;
  EncodeSettings settings_;
};

TEST_F(SubtitleRouteTest, PlainRouteBurnsTheSubtitleIn) {
  settings_.needsubtitle = false;
  const std::string without = Encode("without.mp4");
  settings_.needsubtitle = true;
  const std::string with = Encode("with.mp4");
  EXPECT_GT(MeanDifference(Bottom(with), Bottom(without)), 4.0);
  EXPECT_LT(MeanDifference(Top(with), Top(without)), 2.0);
  // Outside the subtitle's time the pictures agree again.
  EXPECT_LT(MeanDifference(FrameRegion(with, 1.4, 0, 200, 480, 120), FrameRegion(without, 1.4, 0, 200, 480, 120)), 2.0);
}

TEST_F(SubtitleRouteTest, PlainRouteDrawsWithTheNamedFontFile) {
  const std::string fonts = "/usr/share/fonts/truetype/nanum/";
  if (!std::filesystem::exists(fonts + "NanumGothic.ttf") || !std::filesystem::exists(fonts + "NanumMyeongjo.ttf")) {
    GTEST_SKIP() << "fonts-nanum is not installed";
  }
  settings_.needsubtitle = true;
  settings_.fontsdir = fonts;
  settings_.fontfile = "NanumGothic.ttf";
  const std::string gothic = Encode("gothic.mp4");
  settings_.fontfile = "NanumMyeongjo.ttf";
  const std::string myeongjo = Encode("myeongjo.mp4");
  EXPECT_GT(MeanDifference(Bottom(gothic), Bottom(myeongjo)), 3.0);
}

TEST_F(SubtitleRouteTest, ColourRouteDrawsTheSsaColourOverride) {
  settings_.needsubtitle = true;
  settings_.colorsubtitle = true;
  std::vector<std::string> opened;
  const std::string red_line = "Dialogue: Marked=0,00:00:00.20,00:00:01.30,*Default,,0000,0000,0000,,{\\c&H0000ff&}" +
                               kKoreanCp949 + "{\\c} white\r\n";
  const std::string red = Encode("red.mp4", [&](const std::string&, const std::string& source,
                                                const SsaStyleMetrics&) {
    opened.push_back(source);
    const std::string temp = app_.Work().Temp() + "/";
    const std::string ssa =
        "[Script Info]\r\nTitle: still\r\nScriptType: v4.00\r\nCollisions: Normal\r\nPlayResY: 320\r\n"
        "PlayDepth: 0\r\nTimer: 100\r\n\r\n[V4 Styles]\r\nFormat: Name, Fontname, Fontsize, PrimaryColour, "
        "SecondaryColour, TertiaryColour, BackColour, Bold,Italic, BorderStyle, Outline, Shadow, Alignment, MarginL, "
        "MarginR, MarginV, AlphaLevel, Encoding\r\nStyle: Default,Gulim,28,16777215,65535,65535,0,-1,0,1,2,3,2,20,20,20"
        ",0,1\r\n\r\n[Events]\r\nFormat: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
        "Text\r\n" + red_line;
    const AvsFiles files{temp + kBaseName + ".ssa", temp + kBaseName + ".avs"};
    WriteBytes(files.ssa, ssa);
    WriteBytes(files.avs, "LoadPlugin(\"/nonexistent/plugins/VSFilter.dll\")\r\nDirectShowSource(\"" + source +
                              "\")\r\nTextSub(\"" + files.ssa + "\")\r\n");
    return files;
  });
  EXPECT_EQ(opened, std::vector<std::string>{video_});
  auto is_red = [](int r, int g, int b) { return r > 150 && g < 90 && b < 90; };
  EXPECT_GT(CountPixels(Bottom(red), is_red), 150);
  // The source itself has no red: the colour comes from the override.
  EXPECT_EQ(CountPixels(FrameRegion(video_, 0.7, 0, 200, 480, 120), is_red), 0);
}

}  // namespace
}  // namespace clipvane::testing
