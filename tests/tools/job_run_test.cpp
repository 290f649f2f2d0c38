#include <filesystem>
#include <gtest/gtest.h>

#include "tool_runs.h"

namespace clipvane::testing {
namespace {

// Real job scripts, written by the project's builder, run with sh through the
// stand-ins; the MP4 files they leave are checked with ffprobe.
struct JobCase {
  std::string label, source, codecs;  // a lavfi source and what makes the file (H.264 in MP4 when empty)
  int width, height;
  double source_rate;
  int qulity, platform;
  bool sync_routes;
  int out_width, out_height;  // the picture the job plans, after any turn
  double out_rate;
  bool flash_and_click = false;  // the sound clicks one second in, as the picture flashes
};

// A click one second in, for a source that flashes white then.
const char* const kClick = "aevalsrc='if(between(t,1,1.01),0.8*sin(2*PI*1000*t),0)':s=44100:d=2";
const char* const kFlash =
    "color=black:size=320x240:rate=25:duration=2,drawbox=color=white:t=fill:enable='between(t,1,1.03)'";

class JobRunTest : public ::testing::TestWithParam<JobCase> {};

TEST_P(JobRunTest, WritesAnMp4AtThePlannedSizeRateAndSound) {
  const JobCase& c = GetParam();
  TempFolder sources;
  const std::string source = sources / (c.label + (c.codecs.empty() ? ".mp4" : ".avi"));
  MakeVideo(source, c.source, c.flash_and_click ? kClick : "sine=frequency=440:sample_rate=44100:duration=1.5",
            c.codecs);
  ToolAppDir app;
  JobSettings job = PresetSettings(c.qulity, c.platform);
  job.settings.subtitlesync = job.settings.audiosync = c.sync_routes;
  MediaFacts facts;
  facts.width = c.width;
  facts.height = c.height;
  facts.aspect = double(c.width) / c.height;
  facts.frameRate = c.source_rate;

  const ToolAppDir::Run run = app.BuildAndRun(source, facts, job);
  EXPECT_EQ(run.status, 0) << run.output;
  const MediaReport out = Probe(run.mp4);
  EXPECT_EQ(out.video_codec + " " + std::to_string(out.width) + "x" + std::to_string(out.height),
            "mpeg4 " + std::to_string(c.out_width) + "x" + std::to_string(c.out_height));
  EXPECT_NEAR(out.frame_rate, c.out_rate, 0.01);
  EXPECT_EQ(out.audio_codec + " " + out.audio_profile + " " + std::to_string(out.sample_rate), "aac LC 48000");
  EXPECT_NEAR(out.duration, Probe(source).duration, 0.2);
  // Picture and sound start together, and stay together where the source marks it.
  EXPECT_NEAR(out.audio_start, out.video_start, 0.04);
  if (c.flash_and_click) {
    const double flash = FlashTime(run.mp4);
    EXPECT_NEAR(flash, 1.0, 0.05);
    EXPECT_NEAR(ClickTime(run.mp4), flash, 0.04);
  }
  // Progress lines reach the script's output; every intermediate is gone.
  EXPECT_NE(run.output.find("(100%)"), std::string::npos) << run.output;
  EXPECT_TRUE(std::filesystem::is_empty(app.Work().Temp()));
  if (c.width < c.height) {  // red above blue, turned counter-clockwise: red left, blue right
    EXPECT_GT(CountPixels(FrameRegion(run.mp4, 0.5, 10, 100, 40, 100),
                          [](int r, int g, int b) { return r > 160 && g < 90 && b < 90; }), 3500);
    EXPECT_GT(CountPixels(FrameRegion(run.mp4, 0.5, 377, 100, 40, 100),
                          [](int r, int g, int b) { return b > 160 && r < 90 && g < 90; }), 3500);
  }
}

// The film rate and the 3:2 fit are in conversion_test.cpp, the Xvid encoder in
// tool_command_line_test.cpp.
INSTANTIATE_TEST_SUITE_P(
    Table, JobRunTest,
    ::testing::Values(
        JobCase{"NanoPadsToTheFullFrame", "testsrc2=size=640x360:rate=30:duration=1.5", "", 640, 360, 30, 2, 1, false,
                320, 240, 23},
        // Red above blue, so that the direction of the turn shows.
        JobCase{"PortraitIsTurnedCounterClockwise",
                "color=red:size=240x160:rate=25:duration=1.5[t];color=blue:size=240x160:rate=25:duration=1.5[b];"
                "[t][b]vstack",
                "", 240, 320, 25, 1, 0, false, 427, 320, 25},
        // A 4:3 picture fitted with lavc, and with Xvid at an odd width on the sync routes.
        JobCase{"ClickAtTheFlashStaysWithIt", kFlash, "-c:v mpeg4 -q:v 3 -c:a pcm_s16le", 320, 240, 25, 1, 0, false, 427,
                320, 25, true},
        JobCase{"ClickAtTheFlashOnTheSyncRoutes", kFlash, "-c:v mpeg4 -q:v 3 -c:a pcm_s16le", 320, 240, 25, 0, 0, true,
                427, 320, 25, true}),
    [](const auto& test_info) { return test_info.param.label; });

}  // namespace
}  // namespace clipvane::testing
