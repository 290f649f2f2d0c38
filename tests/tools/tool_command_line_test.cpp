#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

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

  // Runs a tool with the arguments (already quoted where needed); keeps stderr.
  int RunTool(const std::string& tool, const std::string& args) {
    return Shell(Quoted(app_.Bin(tool)) + " " + args + " > " + Quoted(folder_ / "out.txt") + " 2> " +
                 Quoted(folder_ / "err.txt"));
  }
  std::string Errors() const { return NativeFileSystem().ReadWholeFile(folder_ / "err.txt").value_or(""); }

  TempFolder folder_;
  ToolAppDir app_;
  std::string source_ = folder_ / "source.mp4";
};

TEST_F(ToolCommandLineTest, WritesAnAviWithTheEncodersFourccAndAac) {
  for (const auto& [video_options, tag] :
       {std::pair{"-ovc xvid -xvidencopts bitrate=900:max_bframes=0:nogmc:noqpel -xvidopts deblock-chroma -vf-add "
                  "hqdn3d -sws 10", "XVID"},
        std::pair{"-ovc lavc -lavcopts vcodec=mpeg4 -lavcopts vbitrate=700 -ffourcc DIVX", "DIVX"}}) {
    ASSERT_EQ(RunTool("mencoder", "-noodml " + Quoted(source_) + " -oac faac -faacopts br=128:mpeg=4:object=2 -af "
                                  "volnorm -srate 48000 -vf-add harddup -ofps 25 " + video_options + " -o " +
                                  Quoted(folder_ / "out.avi")),
              0)
        << Errors();
    const MediaReport report = Probe(folder_ / "out.avi");
    EXPECT_EQ(report.video_codec + " " + report.video_tag + " " + report.audio_codec + " " +
                  std::to_string(report.sample_rate),
              std::string("mpeg4 ") + tag + " aac 48000");
  }
}

struct RefusalCase {
  std::string label, tool, args, message;
};

class RefusalTest : public ToolCommandLineTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, NamesWhatItRefusesAndFails) {
  const RefusalCase& c = GetParam();
  const std::string base = c.tool == "mencoder"
                               ? Quoted(source_) + " -ovc lavc -lavcopts vcodec=mpeg4 -oac faac -o " + Quoted(folder_ / "x.avi")
                               : "";
  EXPECT_NE(RunTool(c.tool, base + " " + c.args), 0);
  EXPECT_NE(Errors().find(c.message), std::string::npos) << Errors();
  EXPECT_FALSE(std::filesystem::exists(folder_ / "x.avi"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "x.mp4"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusalTest,
    ::testing::Values(
        RefusalCase{"UnknownOption", "mencoder", "-frobnicate", "unknown option -frobnicate"},
        RefusalCase{"UnknownVideoFilter", "mencoder", "-vf-add eq2=1.2", "unknown video filter 'eq2'"},
        RefusalCase{"OtherLavcCodec", "mencoder", "-lavcopts vcodec=h264", "vcodec=h264"},
        RefusalCase{"OtherAudioCodec", "mencoder", "-oac mp3lame", "-oac mp3lame"},
        RefusalCase{"XvidGmc", "mencoder", "-xvidencopts bitrate=900:gmc", "'gmc'"},
        RefusalCase{"OtherAudioFilter", "mencoder", "-af volume=5", "'volume=5'"},
        RefusalCase{"SyncCorrectionAmount", "mencoder", "-mc 0.5", "-mc 0.5"},
        RefusalCase{"OptionWithoutValue", "mencoder", "-ofps", "-ofps needs a value"},
        RefusalCase{"SecondInput", "mencoder", "other.avi", "more than one input file"},
        RefusalCase{"RawVideoThatEncodes", "mencoder", "-of rawvideo", "-of rawvideo"},
        RefusalCase{"MuxerOption", "mp4creator", "-hint " + Quoted("x.mp4"), "unknown option -hint"},
        RefusalCase{"MuxerUnknownStream", "mp4creator", "-c " + Quoted("x.mp3") + " " + Quoted("x.mp4"), "cannot tell"},
        RefusalCase{"MuxerBadRate", "mp4creator", "-c " + Quoted("x.m4v") + " -rate=fast " + Quoted("x.mp4"),
                    "-rate needs a frame rate"}),
    [](const auto& test_info) { return test_info.param.label; });

TEST_F(ToolCommandLineTest, FailedMuxLeavesTheMp4Untouched) {
  const std::string avi = folder_ / "a.avi", m4v = folder_ / "a.m4v", aac = folder_ / "a.aac", mp4 = folder_ / "a.mp4";
  ASSERT_EQ(RunTool("mencoder", "-noodml " + Quoted(source_) +
                                    " -oac faac -ovc lavc -lavcopts vcodec=mpeg4 -o " + Quoted(avi)), 0) << Errors();
  ASSERT_EQ(RunTool("mencoder", "-ovc copy -nosound -of rawvideo -o " + Quoted(m4v) + " " + Quoted(avi)), 0) << Errors();
  ASSERT_EQ(RunTool("mp4creator", "-c " + Quoted(m4v) + " -rate=25 " + Quoted(mp4)), 0) << Errors();
  const std::optional<std::string> before = NativeFileSystem().ReadWholeFile(mp4);
  std::ofstream(aac, std::ios::binary) << "this is not ADTS sound";
  EXPECT_NE(RunTool("mp4creator", "-c " + Quoted(aac) + " " + Quoted(mp4)), 0);
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(mp4), before);
  // Nothing but what we made is left in the folder.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 7) << "source, avi, m4v, mp4, aac, out.txt, err.txt";
}

}  // namespace
}  // namespace clipvane::testing
