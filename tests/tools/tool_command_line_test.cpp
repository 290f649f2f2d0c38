#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "mencoder_command.h"
#include "platform/file_system.h"
#include "tool_runs.h"

namespace clipvane::testing {
namespace {

// The stand-ins called directly: what they write, and what they refuse.
class ToolCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeVideo(source_, "testsrc2=size=320x240:rate=25:duration=1", "sine=frequency=440:duration=1");
  }

  // Runs a tool with option words and then the given arguments; keeps its stderr.
  int RunTool(const std::string& tool, const std::string& options, const std::vector<std::string>& args = {}) {
    std::vector<std::string> argv = Words(options);
    argv.insert(argv.begin(), app_.Bin(tool));
    argv.insert(argv.end(), args.begin(), args.end());
    const ProgramRun run = RunProgram(argv);
    errors_ = run.errors;
    return run.status;
  }
  const std::string& Errors() const { return errors_; }

  TempFolder folder_;
  ToolAppDir app_;
  std::string source_ = folder_ / "source.mp4";
  std::string errors_;
};

TEST_F(ToolCommandLineTest, WritesAnAviWithTheEncodersFourccAndAac) {
  for (const auto& [video_options, tag] :
       {std::pair{"-ovc xvid -xvidencopts bitrate=900:max_bframes=0:nogmc:noqpel -xvidopts deblock-chroma -vf-add "
                  "hqdn3d -sws 10", "XVID"},
        std::pair{"-ovc lavc -lavcopts vcodec=mpeg4 -lavcopts vbitrate=700 -ffourcc DIVX", "DIVX"}}) {
    const std::string options = std::string("-oac faac -faacopts br=128:mpeg=4:object=2 -af volnorm -srate 48000 "
                                            "-vf-add harddup -ofps 25 -lavcopts threads=2 ") + video_options;
    const std::string avi = folder_ / "out.avi";
    ASSERT_EQ(RunTool("mencoder", options, {"-noodml", source_, "-o", avi}), 0) << Errors();
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
    EXPECT_EQ(PacketDifference(avi, inputs.output), "") << tag;
  }
}

struct RefusalCase {
  std::string label, tool;
  std::vector<std::string> args;
  std::string message;
};

class RefusalTest : public ToolCommandLineTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, NamesWhatItRefusesAndFails) {
  const RefusalCase& c = GetParam();
  std::vector<std::string> args = c.args;
  if (c.tool == "mencoder") args.insert(args.begin(), {source_, "-o", folder_ / "x.avi"});
  EXPECT_NE(RunTool(c.tool, c.tool == "mencoder" ? "-ovc lavc -lavcopts vcodec=mpeg4 -oac faac" : "", args), 0);
  EXPECT_NE(Errors().find(c.message), std::string::npos) << Errors();
  // Nothing half-written is left, under the output's name or beside it.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) files.push_back(entry.path().filename().string());
  EXPECT_EQ(files, std::vector<std::string>{"source.mp4"});
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusalTest,
    ::testing::Values(
        RefusalCase{"UnknownOption", "mencoder", {"-frobnicate"}, "unknown option -frobnicate"},
        RefusalCase{"UnknownVideoFilter", "mencoder", {"-vf-add", "eq2=1.2"}, "unknown video filter 'eq2'"},
        RefusalCase{"OtherLavcCodec", "mencoder", {"-lavcopts", "vcodec=h264"}, "vcodec=h264"},
        RefusalCase{"OtherAudioCodec", "mencoder", {"-oac", "mp3lame"}, "-oac mp3lame"},
        RefusalCase{"XvidGmc", "mencoder", {"-xvidencopts", "bitrate=900:gmc"}, "'gmc'"},
        RefusalCase{"OtherAudioFilter", "mencoder", {"-af", "volume=5"}, "'volume=5'"},
        RefusalCase{"SyncCorrectionAmount", "mencoder", {"-mc", "0.5"}, "-mc 0.5"},
        RefusalCase{"OptionWithoutValue", "mencoder", {"-ofps"}, "-ofps needs a value"},
        RefusalCase{"SecondInput", "mencoder", {"other.avi"}, "more than one input file"},
        RefusalCase{"RawVideoThatEncodes", "mencoder", {"-of", "rawvideo"}, "-of rawvideo"},
        RefusalCase{"PictureEncodeFails", "mencoder", {"-vf-add", "crop=2000:2000"}, "nothing written to"},
        RefusalCase{"MuxerOption", "mp4creator", {"-hint", "x.mp4"}, "unknown option -hint"},
        RefusalCase{"MuxerUnknownStream", "mp4creator", {"-c", "x.mp3", "x.mp4"}, "cannot tell"},
        RefusalCase{"MuxerBadRate", "mp4creator", {"-c", "x.m4v", "-rate=fast", "x.mp4"}, "-rate needs a frame rate"}),
    [](const auto& test_info) { return test_info.param.label; });

TEST_F(ToolCommandLineTest, FailedMuxLeavesTheMp4Untouched) {
  const std::string avi = folder_ / "a.avi", m4v = folder_ / "a.m4v", aac = folder_ / "a.aac", mp4 = folder_ / "a.mp4";
  ASSERT_EQ(RunTool("mencoder", "-noodml -oac faac -ovc lavc -lavcopts vcodec=mpeg4", {source_, "-o", avi}), 0)
      << Errors();
  ASSERT_EQ(RunTool("mencoder", "-ovc copy -nosound -of rawvideo", {"-o", m4v, avi}), 0) << Errors();
  ASSERT_EQ(RunTool("mp4creator", "-rate=25", {"-c", m4v, mp4}), 0) << Errors();
  const std::optional<std::string> before = NativeFileSystem().ReadWholeFile(mp4);
  std::ofstream(aac, std::ios::binary) << "this is not ADTS sound";
  EXPECT_NE(RunTool("mp4creator", "", {"-c", aac, mp4}), 0);
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(mp4), before);
  // Nothing but what we made is left in the folder.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 5) << "source, avi, m4v, mp4, aac";
}

}  // namespace
}  // namespace clipvane::testing
