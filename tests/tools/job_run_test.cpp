// Real job scripts, written by the project's builder, run with sh through the
// stand-ins; the MP4 files they leave are checked with ffprobe.
#include <gtest/gtest.h>

#include <cmath>

#include "jobs/geometry.h"
#include "tool_runs.h"

namespace clipvane::testing {
namespace {

// Test videos, made once for all cases.
class Sources {
 public:
  static const Sources& Get() {
    static const Sources sources;
    return sources;
  }
  std::string operator/(const std::string& name) const { return folder_ / name; }

 private:
  Sources() {
    const std::string tone = "sine=frequency=440:sample_rate=44100:duration=";
    MakeVideo(folder_ / "tv.avi", "testsrc2=size=640x480:rate=25:duration=1.5", tone + "1.5",
              "-c:v mpeg4 -q:v 5 -c:a pcm_s16le");
    MakeVideo(folder_ / "wide.mp4", "testsrc2=size=640x360:rate=30:duration=1.6", tone + "1.6",
              "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac");
    MakeVideo(folder_ / "film.mp4", "testsrc2=size=320x240:rate=24000/1001:duration=1.5", tone + "1.5",
              "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac");
    // Red above blue, so that the direction of the turn shows.
    MakeVideo(folder_ / "portrait.mp4",
              "color=red:size=240x160:rate=25:duration=1.2[top];color=blue:size=240x160:rate=25:duration=1.2[bottom];"
              "[top][bottom]vstack",
              tone + "1.2", "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac");
  }
  TempFolder folder_;
};

struct JobCase {
  std::string label;
  std::string source;
  int width, height;  // the source picture
  double source_rate;
  int qulity, platform;
  bool sync_routes;
  int out_width, out_height;  // the picture the job plans, after any turn
  double out_rate;
  bool red_top_turns_left = false;  // the red-above-blue source ends up red left, blue right
};

class JobRunTest : public ::testing::TestWithParam<JobCase> {};

TEST_P(JobRunTest, WritesAnMp4AtThePlannedSizeRateAndSound) {
  const JobCase& c = GetParam();
  const std::string source = Sources::Get() / c.source;
  ToolAppDir app;
  EncodeSettings settings = PresetSettings(c.qulity, c.platform);
  settings.subtitlesync = c.sync_routes;
  settings.audiosync = c.sync_routes;
  MediaFacts facts;
  facts.width = c.width;
  facts.height = c.height;
  facts.aspect = double(c.width) / c.height;
  facts.frameRate = c.source_rate;

  // The table's sizes are the planner's, turned where it turns.
  const PictureGeometry plan = PlanGeometry(facts, settings);
  const PictureSize planned = plan.rotate ? PictureSize{plan.expand.height, plan.expand.width} : plan.expand;
  EXPECT_EQ(planned.width, c.out_width);
  EXPECT_EQ(planned.height, c.out_height);

  const ToolAppDir::Run run = app.BuildAndRun(source, facts, settings);
  EXPECT_EQ(run.status, 0) << run.output;
  const MediaReport out = Probe(run.mp4);
  EXPECT_EQ(out.video_codec, "mpeg4") << run.output;
  EXPECT_EQ(out.width, c.out_width);
  EXPECT_EQ(out.height, c.out_height);
  EXPECT_NEAR(out.frame_rate, c.out_rate, 0.01);
  EXPECT_EQ(out.audio_codec, "aac");
  EXPECT_EQ(out.audio_profile, "LC");
  EXPECT_EQ(out.sample_rate, 48000);
  EXPECT_NEAR(out.duration, Probe(source).duration, 0.2);
  // Progress lines reach the script's output; every intermediate is gone.
  EXPECT_NE(run.output.find("(100%)"), std::string::npos) << run.output;
  EXPECT_EQ(app.TempFiles(), std::vector<std::string>{});
  if (c.red_top_turns_left) {  // turned counter-clockwise
    auto red = [](int r, int g, int b) { return r > 160 && g < 90 && b < 90; };
    auto blue = [](int r, int g, int b) { return b > 160 && r < 90 && g < 90; };
    EXPECT_GT(CountPixels(FrameRegion(run.mp4, 0.5, 10, 100, 40, 100), red), 3500);
    EXPECT_GT(CountPixels(FrameRegion(run.mp4, 0.5, 377, 100, 40, 100), blue), 3500);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, JobRunTest,
    ::testing::Values(
        // label, source, size, rate, quality, platform, sync, planned size and rate
        JobCase{"LavcFitsA43Picture", "tv.avi", 640, 480, 25, 1, 0, false, 427, 320, 25},
        JobCase{"XvidCapsTheRate", "wide.mp4", 640, 360, 30, 0, 0, false, 480, 270, 29},
        JobCase{"OddWidthWithXvidKeepsFilmRate", "film.mp4", 320, 240, 23.976, 0, 0, false, 427, 320, 23.976},
        JobCase{"NanoPadsToTheFullFrame", "wide.mp4", 640, 360, 30, 2, 1, false, 320, 240, 23},
        JobCase{"PortraitIsTurnedCounterClockwise", "portrait.mp4", 240, 320, 25, 1, 0, false, 427, 320, 25, true},
        JobCase{"SubtitleAndAudioSyncRoutes", "tv.avi", 640, 480, 25, 1, 0, true, 427, 320, 25}),
    [](const auto& test_info) { return test_info.param.label; });

}  // namespace
}  // namespace clipvane::testing
