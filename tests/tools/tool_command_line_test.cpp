// The stand-ins called directly: what they write, what they refuse, and the encoder
// they pick. (How a planned picture fits each device's frame: tests/jobs, PlanGeometry;
// that the stand-ins draw it so, on every device: the conversions here and in tests/e2e.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "mencoder_command.h"
#include "mencoder_inputs.h"
#include "tool_runs.h"

namespace clipvane::testing {
namespace {

class ToolCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeVideo(source_, "testsrc2=size=320x240:rate=25:duration=1", "sine=frequency=440:duration=1");
  }

  // Runs a tool with option words and then the given arguments; keeps its stderr.
  int RunTool(const std::string& tool, const std::string& options, const std::vector<std::string>& args = {}) {
    std::vector<std::string> argv = Words(app_.Bin(tool) + " " + options);
    argv.insert(argv.end(), args.begin(), args.end());
    const ProgramRun run = RunProgram(argv);
    errors_ = run.errors;
    return run.status;
  }

  TempFolder folder_;
  ToolAppDir app_;
  std::string source_ = folder_ / "source.mp4";
  std::string errors_;
};

TEST_F(ToolCommandLineTest, WritesAnAviWithTheEncodersFourccAndAac) {
  for (const auto& [video_options, tag] :
       {std::pair{"-ovc xvid -xvidencopts bitrate=900:max_bframes=0:nogmc:noqpel -xvidopts deblock-chroma -vf-add "
                  "hqdn3d -sws 10",
                  "XVID"},
        std::pair{"-ovc lavc -lavcopts vcodec=mpeg4 -lavcopts vbitrate=700 -ffourcc DIVX", "DIVX"}}) {
    const std::string options = std::string(
                                    "-oac faac -faacopts br=128:mpeg=4:object=2 -af volnorm -srate 48000 "
                                    "-vf-add harddup -ofps 25 -lavcopts threads=2 ") +
                                video_options;
    const std::string avi = folder_ / "out.avi";
    ASSERT_EQ(RunTool("mencoder", options, {"-noodml", source_, "-o", avi}), 0) << errors_;
    const MediaReport report = Probe(avi);
    EXPECT_EQ(report.video_codec + " " + report.video_tag + " " + report.audio_codec + " " +
                  std::to_string(report.sample_rate),
              std::string("mpeg4 ") + tag + " aac 48000");

    // Picture and sound are encoded side by side; one ffmpeg command doing both gives
    // the very same packets.
    std::vector<std::string> args = Words(options);
    args.insert(args.end(), {source_, "-o", avi});
    const tools::ParsedRequest parsed = tools::ParseMencoderCommandLine(args);
    ASSERT_EQ(parsed.error, "");
    tools::PreparedInputs inputs;
    inputs.ffmpeg = FfmpegProgram();
    inputs.media = source_;
    inputs.output = folder_ / "one.avi";
    const auto one = tools::BuildFfmpegCommand(parsed.request, inputs, tools::EncoderLayout::kOneCommand);
    ASSERT_EQ(one.children.size(), 1u);
    ASSERT_EQ(RunProgram(one.children.front()).status, 0);
    EXPECT_NE(PacketList(avi).find("\n1,"), std::string::npos) << "no sound";
    EXPECT_EQ(PacketList(avi), PacketList(inputs.output)) << tag;  // the line above: not empty
  }
}

TEST_F(ToolCommandLineTest, NamesWhatItRefusesAndFailsLeavingNothingHalfWritten) {
  // The encoder's arguments come after a plain encode of the source to x.avi.
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {"mencoder", {"-frobnicate"}, "unknown option -frobnicate"},
      {"mencoder", {"-vf-add", "eq2=1.2"}, "unknown video filter 'eq2'"},
      {"mencoder", {"-lavcopts", "vcodec=h264"}, "vcodec=h264"},
      {"mencoder", {"-oac", "mp3lame"}, "-oac mp3lame"},
      {"mencoder", {"-xvidencopts", "bitrate=900:gmc"}, "'gmc'"},
      {"mencoder", {"-af", "volume=5"}, "'volume=5'"},
      {"mencoder", {"-mc", "0.5"}, "-mc 0.5"},
      {"mencoder", {"-ofps"}, "-ofps needs a value"},
      {"mencoder", {"other.avi"}, "more than one input file"},
      {"mencoder", {"-of", "rawvideo"}, "-of rawvideo"},
      {"mencoder", {"-vf-add", "crop=2000:2000"}, "nothing written to"},  // the picture's encode fails
      {"mencoder", {"-x264encopts", "crf=23:bframes=3"}, "'bframes=3'"},
      {"mencoder", {"-x264encopts", "level=7"}, "no H.264 level 7"},
      {"mp4creator", {"-hint", "x.mp4"}, "unknown option -hint"},
      {"mp4creator", {"-c", "x.mp3", "x.mp4"}, "cannot tell"},
      {"mp4creator", {"-c", "x.m4v", "-rate=5000", "x.mp4"}, "-rate needs a frame rate of 0.01 to 1000"}};
  for (const auto& [tool, args, message] : cases) {
    std::vector<std::string> all = args;
    if (tool == "mencoder") all.insert(all.begin(), {source_, "-o", folder_ / "x.avi"});
    EXPECT_NE(RunTool(tool, tool == "mencoder" ? "-ovc lavc -lavcopts vcodec=mpeg4 -oac faac" : "", all), 0) << message;
    EXPECT_NE(errors_.find(message), std::string::npos) << errors_;
    // Nothing half-written is left, under the output's name or beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 1) << "only source.mp4";
  }
}

TEST(XvidEncoder, FallsBackToFFmpegsOwnMpeg4AtAnOddSizeOrWithoutXvidAndSaysSo) {
  for (const auto& [width, has_xvid, encoder] :
       {std::tuple{480, true, "libxvid"}, {427, true, "mpeg4"}, {480, false, "mpeg4"}}) {
    const tools::ParsedRequest parsed =
        tools::ParseMencoderCommandLine({"in.avi", "-oac", "faac", "-ovc", "xvid", "-vf-add",
                                         "scale=" + std::to_string(width) + ":320", "-o", "out.avi"});
    ASSERT_EQ(parsed.error, "");
    tools::PreparedInputs inputs;
    inputs.media = "in.avi";
    inputs.has_xvid = has_xvid;
    const tools::FfmpegCommand command = tools::BuildFfmpegCommand(parsed.request, inputs);
    // The children's arguments in start order: the picture's encoder comes first.
    std::vector<std::string> argv;
    for (const auto& child : command.children) argv.insert(argv.end(), child.begin(), child.end());
    const auto codec = std::find(argv.begin(), argv.end(), "-c:v");
    ASSERT_NE(codec, argv.end());
    EXPECT_EQ(*(codec + 1), encoder) << width << has_xvid;
    // Either way the stream is tagged as Xvid, and a fallback is said in the log.
    EXPECT_NE(std::find(argv.begin(), argv.end(), "XVID"), argv.end());
    EXPECT_EQ(command.notes.size(), std::string(encoder) == "mpeg4" ? 1u : 0u);
  }
  EXPECT_TRUE(tools::HasEncoder(FfmpegProgram(), "mpeg4"));
  EXPECT_FALSE(tools::HasEncoder(FfmpegProgram(), "no_such_encoder"));
  EXPECT_FALSE(tools::HasEncoder("clipvane-no-such-ffmpeg", "mpeg4"));
}

}  // namespace
}  // namespace clipvane::testing
