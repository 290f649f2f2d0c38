#include <filesystem>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "subtitles/avs_script.h"
#include "subtitles/colour_table.h"
#include "subtitles/ssa_style.h"
#include "tool_runs.h"

namespace clipvane::testing {
namespace {

// Subtitles drawn into the picture: the plain route burns the SAMI copy in, the
// colour route draws the SSA file that an AviSynth script names.
// "스틸 it's $HOME [1],(2)": a Korean name with blanks, quotes and brackets must survive
// the script, the AviSynth script and the filter graph.
const std::string kBaseName = "\xEC\x8A\xA4\xED\x8B\xB8 it's $HOME [1],(2)";

class SubtitleRouteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    video_ = sources_ / (kBaseName + ".mp4");
    MakeVideo(video_, "color=gray:size=480x320:rate=25:duration=1.5", "sine=frequency=440:duration=1.5");
    // "한글 자막" in code page 949, as Korean subtitle files usually are, in red.
    sources_.WriteFile(kBaseName + ".smi", "<SAMI>\r\n<BODY>\r\n<SYNC Start=200><P Class=KRCC><font color=red>"
                                           "\xC7\xD1\xB1\xDB \xC0\xDA\xB8\xB7</font> Subtitle\r\n"
                                           "<SYNC Start=1300><P Class=KRCC>&nbsp;\r\n</BODY>\r\n</SAMI>\r\n");
    facts_.width = 480;
    facts_.height = 320;
    facts_.aspect = 1.5;
    facts_.frameRate = 25;
    job_ = PresetSettings(1, 0);
  }
  // Runs the job and keeps its MP4 under `name`, so that the next run does not delete it.
  std::string Encode(const std::string& name, AvsScriptWriter write_avs = nullptr) {
    const ToolAppDir::Run run = app_.BuildAndRun(video_, facts_, job_, std::move(write_avs));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(std::filesystem::is_empty(app_.Work().Temp()));
    std::filesystem::rename(run.mp4, sources_ / name);
    return sources_ / name;
  }
  static std::vector<unsigned char> Bottom(const std::string& mp4, double at = 0.7) {
    return FrameRegion(mp4, at, 0, 200, 480, 120);
  }

  TempFolder sources_;
  ToolAppDir app_;
  std::string video_;
  MediaFacts facts_;
  JobSettings job_;
};

TEST_F(SubtitleRouteTest, ThePlainRouteBurnsTheSubtitleInWithTheNamedFont) {
  const std::string without = Encode("without.mp4");
  job_.settings.needsubtitle = true;
  const std::string with = Encode("with.mp4");
  EXPECT_GT(MeanDifference(Bottom(with), Bottom(without)), 4.0);
  EXPECT_LT(MeanDifference(FrameRegion(with, 0.7, 0, 0, 480, 150), FrameRegion(without, 0.7, 0, 0, 480, 150)), 2.0);
  EXPECT_LT(MeanDifference(Bottom(with, 1.4), Bottom(without, 1.4)), 2.0);  // after its time, gone again
  const std::string fonts = "/usr/share/fonts/truetype/nanum/";
  if (!std::filesystem::exists(fonts + "NanumMyeongjo.ttf")) GTEST_SKIP() << "fonts-nanum is not installed";
  job_.fontsdir = fonts;
  job_.settings.fontfile = "NanumMyeongjo.ttf";
  EXPECT_GT(MeanDifference(Bottom(Encode("myeongjo.mp4")), Bottom(with)), 3.0);
}

TEST_F(SubtitleRouteTest, TheColourRouteDrawsTheSsaColours) {
  job_.settings.needsubtitle = job_.settings.colorsubtitle = true;
  job_.preset.subtitlefontsize = 26;
  const ColourTable colours;
  const std::string red = Encode("red.mp4", [&](const std::string& video, const std::string& source,
                                                const SsaStyleMetrics& metrics) {
    WriteAvsScript(NativeFileSystem(), app_.Work(), "/nonexistent/plugins/", video,
                   SsaStyleFor(job_.settings, job_.preset, metrics.font_size, metrics.margin_v), colours, source);
  });
  auto is_red = [](int r, int g, int b) { return r > 150 && g < 90 && b < 90; };
  EXPECT_GT(CountPixels(Bottom(red), is_red), 150);
  EXPECT_EQ(CountPixels(Bottom(video_), is_red), 0);  // the source itself has no red
}

}  // namespace
}  // namespace clipvane::testing
