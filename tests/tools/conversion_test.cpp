// Real conversions with the program's own job and run scripts, run as the desktop
// runs them (sh on Linux, cmd.exe under Wine with the stand-ins built for Windows and
// the release folder's ffmpeg.exe): the subtitle routes drawn into the picture, two
// queues side by side, a failing tool ending its script. The logic is tested natively.
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

// "홍길동 휴가 it's $HOME [1],2": a Korean name with blanks, a quote and brackets must
// survive the script, the AviSynth script and the filter graph.
const std::string kName = Utf8ToAnsi("\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 \xED\x9C\xB4\xEA\xB0\x80 it's $HOME [1],2");
// "한글 자막" (Korean subtitle) in code page 949, as Korean SAMI files are written.
const std::string kKoreanCp949 = "\xC7\xD1\xB1\xDB \xC0\xDA\xB8\xB7";

bool IsWhite(int r, int g, int b) { return r > 200 && g > 200 && b > 200; }
bool IsRed(int r, int g, int b) { return r > 150 && g < 90 && b < 90; }

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    if (std::string(CLIPVANE_FFMPEG_DIR).empty()) {
      GTEST_SKIP() << "CLIPVANE_WINDOWS_DEPS was not given: there is no ffmpeg.exe to convert with";
    }
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(FfmpegProgram())))
        << FfmpegProgram() << " is missing: the build copies it from CLIPVANE_WINDOWS_DEPS";
#endif
    app_.emplace();
  }

  // A dark grey 720x480 clip with sound and a subtitle, shown from 0.3 s to 1.3 s, beside it.
  MediaFacts MakeClip(const std::string& video, double seconds, const std::string& subtitle) {
    const std::string length = std::to_string(seconds);
    MakeVideo(video, "color=c=0x303030:size=720x480:rate=24000/1001:duration=" + length,
              "sine=frequency=440:sample_rate=44100:duration=" + length, "-c:v mpeg4 -q:v 5 -c:a pcm_s16le");
    NativeFileSystem().ReplaceWholeFile(video.substr(0, video.rfind('.')) + ".smi",
                                        "<SAMI>\r\n<BODY>\r\n<SYNC Start=300><P Class=KRCC>" + subtitle +
                                            "\r\n<SYNC Start=1300><P Class=KRCC>&nbsp;\r\n</BODY>\r\n</SAMI>\r\n");
    MediaFacts facts;
    facts.width = 720;
    facts.height = 480;
    facts.aspect = 1.5;
    facts.frameRate = 23.976;
    return facts;
  }
  // Runs the job, checks that it succeeded and left nothing in temp, and keeps its MP4
  // under `name`, so that the next run does not replace it.
  std::string Encode(const JobSettings& job, const std::string& name, AvsScriptWriter write_avs = nullptr) {
    const ToolAppDir::Run run = app_->BuildAndRun(video_, facts_, job, std::move(write_avs));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(std::filesystem::is_empty(FsPathOf(app_->Work().Temp())));
    std::filesystem::rename(FsPathOf(run.mp4), FsPathOf(sources_ / name));
    return sources_ / name;
  }
  // The bottom band of the picture, where the subtitles are.
  static std::vector<unsigned char> Bottom(const std::string& mp4, double seconds) {
    return FrameRegion(mp4, seconds, 0, 220, 480, 100);
  }

  TempFolder sources_;
  std::optional<ToolAppDir> app_;  // made once FFmpeg is known to be there
  std::string video_ = sources_ / (kName + ".avi");
  MediaFacts facts_;
};

TEST_F(ConversionTest, ThePlainRouteMakesThePlannedMp4WithTheSubtitleBurnedInWithTheNamedFont) {
  facts_ = MakeClip(video_, 2, kKoreanCp949 + " Subtitle");
  JobSettings job = PresetSettings(1, 0);
  job.settings.needsubtitle = true;
  const std::string mp4 = Encode(job, "plain.mp4");
  const MediaReport out = Probe(mp4);
  EXPECT_EQ(out.video_codec + " " + out.video_profile + " " + std::to_string(out.width) + "x" +
                std::to_string(out.height) + " " + out.audio_codec + " " + out.audio_profile + " " +
                std::to_string(out.sample_rate),
            "mpeg4 Simple Profile 480x320 aac LC 48000");
  EXPECT_NEAR(out.frame_rate, 23.976, 0.01);
  EXPECT_NEAR(out.duration, 2.0, 0.2);
  // Drawn while the subtitle is on, gone after.
  EXPECT_GT(CountPixels(Bottom(mp4, 0.8), IsWhite), 200);
  EXPECT_EQ(CountPixels(Bottom(mp4, 1.7), IsWhite), 0);
#ifndef _WIN32
  const std::string fonts = "/usr/share/fonts/truetype/nanum/";
  if (!std::filesystem::exists(fonts + "NanumMyeongjo.ttf")) GTEST_SKIP() << "fonts-nanum is not installed";
  job.fontsdir = fonts;
  job.settings.fontfile = "NanumMyeongjo.ttf";
  EXPECT_GT(MeanDifference(Bottom(Encode(job, "myeongjo.mp4"), 0.8), Bottom(mp4, 0.8)), 3.0);
#endif
}

TEST_F(ConversionTest, TheColourRouteDrawsTheSsaFileOfTheAviSynthScript) {
  facts_ = MakeClip(video_, 2, "<font color=\"#ff0000\">" + kKoreanCp949 + "</font>");
  JobSettings job = PresetSettings(1, 0);
  job.settings.needsubtitle = job.settings.colorsubtitle = true;
  job.preset.subtitlefontsize = 26;
  const ColourTable colours;
  // The program's own SSA writer and AviSynth script, as the window's jobs write them.
  const std::string mp4 = Encode(job, "colour.mp4", [&](const std::string& path, const std::string& source,
                                                         const SsaStyleMetrics& m) {
    WriteAvsScript(NativeFileSystem(), app_->Work(), app_->Work().Bin() + Separator(kNativePathStyle), path,
                   SsaStyleFor(job.settings, job.preset, m.font_size, m.margin_v), colours, source);
  });
  EXPECT_EQ(Probe(mp4).width, 480);
  EXPECT_GT(CountPixels(Bottom(mp4, 0.8), IsRed), 150);
  EXPECT_EQ(CountPixels(Bottom(mp4, 1.7), IsRed), 0);
}

TEST_F(ConversionTest, TwoQueuesOfTheRunScriptsConvertSideBySide) {
  // "첫째" and "둘째" (first and second).
  const std::vector<std::string> videos = {sources_ / Utf8ToAnsi("\xEC\xB2\xAB\xEC\xA7\xB8.avi"),
                                           sources_ / Utf8ToAnsi("\xEB\x91\x98\xEC\xA7\xB8.avi")};
  std::vector<MediaFacts> facts;
  for (const std::string& video : videos) facts.push_back(MakeClip(video, 1, kKoreanCp949));
  const JobSettings job = PresetSettings(1, 0);
  const JobSetup setup{app_->Work(), kNativeScriptDialect, job.settings, job.preset, job.fontsdir};
  JobContext jobs{setup, NativeFileSystem(), nullptr};
  RunScriptContext context{app_->Work(), kNativeScriptDialect, NativeFileSystem(), {}};
  ASSERT_TRUE(MakeRunScripts(
      2, videos.size(), [&](std::size_t row) { return BuildJobScript(videos[row], facts[row], jobs).script; },
      PowerAction::kNone, context));

  const std::vector<ToolAppDir::Run> runs = app_->RunScripts(RunScriptPaths(2, app_->Work(), kNativeScriptDialect));
  ASSERT_EQ(runs.size(), 2u);
  for (std::size_t i = 0; i < videos.size(); ++i) {
    EXPECT_EQ(runs[i].status, 0) << runs[i].output;
    const MediaReport out = Probe(app_->Work().OutputPath(videos[i]));
    EXPECT_EQ(out.width, 480) << videos[i];
    EXPECT_NEAR(out.duration, 1.0, 0.2) << videos[i];
  }
}

// Files that exist but hold no media: the stand-in accepts the line, FFmpeg fails,
// and the failure ends the script.
TEST_F(ConversionTest, AFailingToolEndsItsScriptWithAFailureThroughTheStandIn) {
  const std::string broken = sources_.WriteFile("broken.aac", "this is no media file");
  for (const auto& [tool, options, message] :
       {std::tuple<std::string, std::string, std::string>{"mencoder", "-ovc frameno -oac copy -of rawaudio -o",
                                                         "ffmpeg ended with status"},
        {"mp4creator", "-c", "could not add"}}) {
    std::vector<ScriptArg> args;
    for (const std::string& word : Words(options)) args.push_back(Opt(word));
    if (tool == "mencoder") args.push_back(PathArg(sources_ / "out.aac"));
    args.push_back(PathArg(broken));
    if (tool == "mp4creator") args.push_back(PathArg(sources_ / "out.mp4"));
    const std::string log = sources_ / "tool.log";
    const std::string script = sources_.WriteFile(
        "fail" + ScriptExtension(kNativeScriptDialect),
        RenderScript(kNativeScriptDialect, app_->Path(), {Checked(ToolStep(tool, args, Redirect::kErrors, log))}));
    const ToolAppDir::Run run = app_->RunScripts({script}).front();
    EXPECT_NE(run.status, 0) << tool << run.output;
    EXPECT_NE(NativeFileSystem().ReadWholeFile(log).value_or("").find(message), std::string::npos) << tool;
    EXPECT_FALSE(NativeFileSystem().Exists(sources_ / "out.mp4"));
  }
}

}  // namespace
}  // namespace clipvane::testing
