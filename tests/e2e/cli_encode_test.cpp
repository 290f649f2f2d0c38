// Whole conversions through the command-line front end: real job and run scripts run
// by sh, the stand-in tools over FFmpeg, outputs checked with ffprobe.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "cli/cli.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

std::string Capture(const std::string& command) {
  std::string text;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    ::pclose(pipe);
  }
  return text;
}

class CliEncodeTest : public ::testing::Test {
 protected:
  CliEncodeTest() {
    // A program folder of our own: the built tools, and in the program's place a
    // recorder, so that a power action is only ever written down.
    const std::string setup = "mkdir -p '" + app_.Path() + "bin' && cp '" CLIPVANE_BUILD_DIR "/bin/mencoder' '" +
                              CLIPVANE_BUILD_DIR "/bin/mp4creator' '" + app_.Path() + "bin/'";
    EXPECT_EQ(std::system(setup.c_str()), 0);
    app_.WriteFile("clipvane", "#!/bin/sh\necho \"$@\" >> '" + app_.Path() + "power.log'\n");
    EXPECT_EQ(std::system(("chmod +x '" + app_.Path() + "clipvane'").c_str()), 0);
  }

  std::string MakeVideo(const std::string& name, const std::string& size = "160x120") {
    // Made under a plain name, then renamed: the name may hold what a shell would not take.
    const std::string made = videos_.Path() + "made.avi";
    const std::string command = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=" + size +
                                ":rate=25 -f lavfi -i sine=frequency=500 -t 1 -c:v mpeg4 -c:a mp3 -shortest '" +
                                made + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string path = videos_.Path() + name;
    EXPECT_EQ(std::rename(made.c_str(), path.c_str()), 0);
    return path;
  }

  int Run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    return RunCli(args, workspace_, out_, err_);
  }

  std::string Probe(const std::string& mp4, const std::string& entries) {
    std::string quoted = "'";
    for (char c : mp4) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return Capture("ffprobe -v error -show_entries " + entries + " -of default=noprint_wrappers=1 " + quoted + "'");
  }

  testing::TempFolder app_, videos_;
  Workspace workspace_{app_.Path(), PathStyle::kPosix};
  std::ostringstream out_, err_;
};

TEST_F(CliEncodeTest, EncodesSelectedVideosAndCleansUp) {
  const std::string a = MakeVideo("first.avi");
  const std::string b = MakeVideo("second clip's.avi", "120x160");  // portrait, awkward name
  ASSERT_EQ(Run({"add", a, b}), 0) << err_.str();
  ASSERT_EQ(Run({"encode", "1", "2", "--wait"}), 0) << err_.str() << out_.str();

  EXPECT_NE(out_.str().find(a + "\twritten "), std::string::npos) << out_.str();
  const std::string first = app_.Path() + "incoming/first.mp4";
  EXPECT_EQ(Probe(first, "stream=codec_name,width,height,sample_rate"),
            "codec_name=mpeg4\nwidth=427\nheight=320\ncodec_name=aac\nsample_rate=48000\n");
  // The portrait picture fills the frame and is turned to lie in it.
  EXPECT_EQ(Probe(app_.Path() + "incoming/second clip's.mp4", "stream=width,height"),
            "width=480\nheight=320\n");
  // The jobs deleted their intermediates; only their scripts stay.
  EXPECT_EQ(Capture("ls -A '" + app_.Path() + "temp'"), "");
  EXPECT_EQ(Run({"list"}), 0);
  EXPECT_EQ(out_.str(), "1\t*\tfirst\t-\n2\t*\tsecond clip's\t-\n");
}

TEST_F(CliEncodeTest, TwoQueuesRunSideBySideAndEachEndsWithThePowerAction) {
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) ASSERT_EQ(Run({"add", MakeVideo(name)}), 0);
  ASSERT_EQ(Run({"encode-all", "--queues", "2", "--after", "shutdown", "--wait"}), 0) << err_.str() << out_.str();
  for (const char* name : {"a", "b", "c"})
    EXPECT_TRUE(NativeFileSystem().Exists(app_.Path() + "incoming/" + name + ".mp4")) << name;
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app_.Path() + "power.log"), "shutdown\nshutdown\n");
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app_.Path() + "batch/encode_al1.sh"),
            "sh '" + app_.Path() + "batch/b.sh'\n'" + app_.Path() + "clipvane' shutdown\n");
  EXPECT_EQ(Capture("ls -A '" + app_.Path() + "temp'"), "");
}

TEST_F(CliEncodeTest, AMissingResultIsReportedAndFailsTheCommand) {
  ASSERT_EQ(Run({"add", MakeVideo("lost.avi")}), 0);
  // Without the muxer no MP4 can appear.
  std::remove((app_.Path() + "bin/mp4creator").c_str());
  EXPECT_EQ(Run({"encode-all", "--wait"}), 1);
  EXPECT_NE(out_.str().find("lost.avi\tmissing"), std::string::npos) << out_.str();
}

}  // namespace
}  // namespace clipvane
