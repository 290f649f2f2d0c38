// Real conversions on Windows (run under Wine): the program's own batch scripts, run
// by cmd.exe, with the stand-ins built for Windows and the release folder's
// ffmpeg.exe. The logic is tested natively; these prove the wiring.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "runs/run_scripts.h"
#include "subtitles/avs_script.h"
#include "subtitles/colour_table.h"
#include "subtitles/ssa_style.h"
#include "tool_runs.h"

namespace clipvane::testing {
namespace {

// "홍길동 휴가" (a holiday), a Korean name with a blank, in the ANSI code page.
const std::string kName = Utf8ToAnsi("\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 \xED\x9C\xB4\xEA\xB0\x80");
// "한글 자막" (Korean subtitle) in code page 949, as Korean SAMI files are written.
const std::string kKoreanCp949 = "\xC7\xD1\xB1\xDB \xC0\xDA\xB8\xB7";

std::string Sami(const std::string& text) {
  return "<SAMI>\r\n<BODY>\r\n<SYNC Start=300><P Class=KRCC>" + text + "\r\n<SYNC Start=1300><P Class=KRCC>&nbsp;\r\n"
         "</BODY>\r\n</SAMI>\r\n";
}

bool IsWhite(int r, int g, int b) { return r > 200 && g > 200 && b > 200; }
bool IsRed(int r, int g, int b) { return r > 150 && g < 90 && b < 90; }

class WineConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(CLIPVANE_FFMPEG_DIR).empty()) {
      GTEST_SKIP() << "CLIPVANE_WINDOWS_DEPS was not given: there is no ffmpeg.exe to convert with";
    }
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(FfmpegProgram())))
        << FfmpegProgram() << " is missing: the build copies it from CLIPVANE_WINDOWS_DEPS";
    app_.emplace();
  }

  // A dark grey 720x480 clip with sound and a subtitle file beside it; its probe facts.
  MediaFacts MakeClip(const std::string& video, double seconds, const std::string& sami) {
    const std::string length = std::to_string(seconds);
    MakeVideo(video, "color=c=0x303030:size=720x480:rate=24000/1001:duration=" + length,
              "sine=frequency=440:sample_rate=44100:duration=" + length, "-c:v mpeg4 -q:v 5 -c:a pcm_s16le");
    NativeFileSystem().ReplaceWholeFile(video.substr(0, video.rfind('.')) + ".smi", sami);
    MediaFacts facts;
    facts.width = 720;
    facts.height = 480;
    facts.aspect = 1.5;
    facts.frameRate = 23.976;
    return facts;
  }

  // The bottom band of the picture, where the subtitles are.
  static std::vector<unsigned char> Bottom(const std::string& mp4, double seconds) {
    return FrameRegion(mp4, seconds, 0, 220, 480, 100);
  }

  TempFolder sources_;
  std::optional<ToolAppDir> app_;  // made once FFmpeg is known to be there
};

TEST_F(WineConversionTest, PlainRouteJobScriptMakesThePlannedMp4WithTheSubtitleBurnedIn) {
  const std::string video = sources_ / (kName + ".avi");
  const MediaFacts facts = MakeClip(video, 2, Sami(kKoreanCp949 + " Subtitle"));
  JobSettings job = PresetSettings(1, 0);
  job.settings.needsubtitle = true;

  const ToolAppDir::Run run = app_->BuildAndRun(video, facts, job);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.mp4, app_->Path() + "incoming\\" + kName + ".mp4");
  const MediaReport out = Probe(run.mp4);
  EXPECT_EQ(out.video_codec, "mpeg4") << run.output;
  EXPECT_EQ(out.video_profile, "Simple Profile");
  EXPECT_EQ(out.width, 480);
  EXPECT_EQ(out.height, 320);
  EXPECT_NEAR(out.frame_rate, 23.976, 0.01);
  EXPECT_EQ(out.audio_codec, "aac");
  EXPECT_EQ(out.audio_profile, "LC");
  EXPECT_EQ(out.sample_rate, 48000);
  EXPECT_NEAR(out.duration, 2.0, 0.2);
  // Drawn while the subtitle is on, gone after; the job left nothing in temp.
  EXPECT_GT(CountPixels(Bottom(run.mp4, 0.8), IsWhite), 200);
  EXPECT_EQ(CountPixels(Bottom(run.mp4, 1.7), IsWhite), 0);
  EXPECT_TRUE(std::filesystem::is_empty(app_->Work().Temp()));
}

TEST_F(WineConversionTest, ColourRouteDrawsTheSsaFileOfTheAviSynthScript) {
  const std::string video = sources_ / (kName + ".avi");
  const MediaFacts facts = MakeClip(video, 2, Sami("<font color=\"#ff0000\">" + kKoreanCp949 + "</font>"));
  JobSettings job = PresetSettings(1, 0);
  job.settings.needsubtitle = job.settings.colorsubtitle = true;
  job.preset.subtitlefontsize = 26;
  const ColourTable colours;
  // The program's own SSA writer and AviSynth script, as the window's jobs write them.
  const AvsScriptWriter write_avs = [&](const std::string& path, const std::string& source, const SsaStyleMetrics& m) {
    WriteAvsScript(NativeFileSystem(), app_->Work(), app_->Path() + "bin\\", path,
                   SsaStyleFor(job.settings, job.preset, m.font_size, m.margin_v), colours, source);
  };
  const ToolAppDir::Run run = app_->BuildAndRun(video, facts, job, write_avs);
  EXPECT_EQ(run.status, 0) << run.output;
  const MediaReport out = Probe(run.mp4);
  EXPECT_EQ(out.width, 480) << run.output;
  EXPECT_EQ(out.height, 320);
  EXPECT_GT(CountPixels(Bottom(run.mp4, 0.8), IsRed), 150) << run.output;
  EXPECT_EQ(CountPixels(Bottom(run.mp4, 1.7), IsRed), 0);
  EXPECT_TRUE(std::filesystem::is_empty(app_->Work().Temp()));
}

TEST_F(WineConversionTest, TwoQueuesOfTheRunScriptsConvertSideBySide) {
  // "첫째" and "둘째" (first and second).
  const std::vector<std::string> videos = {sources_ / Utf8ToAnsi("\xEC\xB2\xAB\xEC\xA7\xB8.avi"),
                                           sources_ / Utf8ToAnsi("\xEB\x91\x98\xEC\xA7\xB8.avi")};
  std::vector<MediaFacts> facts;
  for (const std::string& video : videos) facts.push_back(MakeClip(video, 1, Sami(kKoreanCp949)));
  const JobSettings job = PresetSettings(1, 0);
  const JobSetup setup{app_->Work(), ScriptDialect::kWindowsBatch, job.settings, job.preset, job.fontsdir};
  JobContext jobs{setup, NativeFileSystem(), nullptr};
  RunScriptContext context{app_->Work(), ScriptDialect::kWindowsBatch, NativeFileSystem(), {}};
  ASSERT_TRUE(MakeRunScripts(
      2, videos.size(), [&](std::size_t row) { return BuildJobScript(videos[row], facts[row], jobs).script; },
      PowerAction::kNone, context));

  const std::vector<ToolAppDir::Run> runs = app_->RunScripts(RunScriptPaths(2, app_->Work(), ScriptDialect::kWindowsBatch));
  ASSERT_EQ(runs.size(), 2u);
  for (std::size_t i = 0; i < videos.size(); ++i) {
    EXPECT_EQ(runs[i].status, 0) << runs[i].output;
    const MediaReport out = Probe(app_->Work().OutputPath(videos[i]));
    EXPECT_EQ(out.width, 480) << videos[i];
    EXPECT_NEAR(out.duration, 1.0, 0.2) << videos[i];
  }
  EXPECT_TRUE(std::filesystem::is_empty(app_->Work().Temp()));
}

struct FailingToolCase {
  std::string label, tool;
  std::vector<std::string> options;  // before the broken input
  std::string message;               // in the tool's messages
};

class FailingToolTest : public WineConversionTest, public ::testing::WithParamInterface<FailingToolCase> {};

TEST_P(FailingToolTest, ReturnsANonZeroErrorlevelThroughTheStandIn) {
  const FailingToolCase& c = GetParam();
  // Files that exist but hold no media: the stand-in accepts the line, FFmpeg fails.
  const std::string broken = sources_.WriteFile("broken.aac", "this is no media file");
  const std::string log = sources_ / "tool.log";
  std::vector<ScriptArg> args;
  for (const std::string& option : c.options) args.push_back(option.find('.') == std::string::npos ? Opt(option) : PathArg(sources_ / option));
  args.push_back(PathArg(broken));
  if (c.tool == "mp4creator") args.push_back(PathArg(sources_ / "out.mp4"));
  const std::string script = sources_.WriteFile(
      "fail.bat", RenderScript(ScriptDialect::kWindowsBatch, app_->Path(), {ToolStep(c.tool, args, Redirect::kErrors, log)}) +
                      "exit /b %errorlevel%\r\n");

  const ToolAppDir::Run run = app_->RunScripts({script}).front();
  EXPECT_NE(run.status, 0) << run.output;
  const std::optional<std::string> messages = NativeFileSystem().ReadWholeFile(log);
  ASSERT_TRUE(messages);
  EXPECT_NE(messages->find(c.message), std::string::npos) << *messages;
  EXPECT_FALSE(NativeFileSystem().Exists(sources_ / "out.mp4"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailingToolTest,
    ::testing::Values(FailingToolCase{"Encoder", "mencoder", {"-ovc", "frameno", "-oac", "copy", "-of", "rawaudio", "-o", "out.aac"},
                                      "ffmpeg ended with status"},
                      FailingToolCase{"Muxer", "mp4creator", {"-c"}, "could not add"}),
    [](const auto& test_info) { return test_info.param.label; });

}  // namespace
}  // namespace clipvane::testing
