// Whole conversions through the command-line front end: real job and run scripts run
// by sh, the stand-in tools over FFmpeg.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cli/cli_runner.h"
#include "media/mediainfo_report.h"

namespace clipvane {
namespace {

namespace fs = std::filesystem;

class CliEncodeTest : public ::testing::Test, protected testing::CliRunner {
 protected:
  CliEncodeTest() {
    // The built tools, and in the program's place a recorder, so that a power action
    // is only ever written down.
    fs::create_directory(app / "bin");
    for (const char* tool : {"mencoder", "mp4creator"})
      fs::copy_file(fs::path(CLIPVANE_BUILD_DIR) / "bin" / tool, app / ("bin/" + std::string(tool)));
    fs::permissions(app.WriteFile("clipvane", "#!/bin/sh\necho \"$@\" >> '" + app / "power.log'\n"),
                    fs::perms::owner_exec, fs::perm_options::add);
  }
  // Made under a plain name, then renamed: the name may hold what a shell would not take.
  std::string MakeVideo(const std::string& name, const std::string& size = "160x120") {
    const std::string made = videos_.Path() + "made.avi", path = videos_.Path() + name;
    EXPECT_EQ(std::system(("ffmpeg -loglevel error -y -f lavfi -i testsrc=size=" + size + ":rate=25 -f lavfi -i "
                           "sine=frequency=500 -t 1 -c:v mpeg4 -c:a mp3 -shortest '" + made + "'").c_str()), 0);
    EXPECT_EQ(std::rename(made.c_str(), path.c_str()), 0);
    return path;
  }
  testing::TempFolder videos_;
};

TEST_F(CliEncodeTest, EncodesSelectedVideosAndTheListInQueuesThatEndWithThePowerAction) {
  const std::string a = MakeVideo("first.avi");
  ASSERT_EQ(Cli({"add", a, MakeVideo("second clip's.avi", "120x160"), MakeVideo("c.avi")}), 0) << err.str();
  ASSERT_EQ(Cli({"encode", "1", "2", "--wait"}), 0) << err.str() << out.str();
  EXPECT_NE(out.str().find(a + "\twritten "), std::string::npos) << out.str();
  // The probe's picture reached the plan: the portrait clip fills the frame, turned.
  const MediaFacts turned = ParseMediaInfoReport(mediainfo->Inform(app / "incoming/second clip's.mp4"));
  EXPECT_EQ(std::to_string(turned.width) + "x" + std::to_string(turned.height), "480x320");
  EXPECT_TRUE(fs::is_empty(app / "temp"));  // the jobs deleted their intermediates

  ASSERT_EQ(Cli({"encode-all", "--queues", "2", "--after", "shutdown", "--wait"}), 0) << err.str() << out.str();
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app.Path() + "power.log"), "shutdown\nshutdown\n");
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app.Path() + "batch/encode_al1.sh"),
            "sh '" + app.Path() + "batch/first.sh'\n'" + app.Path() + "clipvane' shutdown\n");
  EXPECT_EQ(Cli({"list"}), 0);
  EXPECT_EQ(out.str(), "1\t*\tfirst\t-\n2\t*\tsecond clip's\t-\n3\t*\tc\t-\n");

  std::remove((app.Path() + "bin/mp4creator").c_str());  // without the muxer no MP4 can appear
  std::remove((app.Path() + "incoming/c.mp4").c_str());
  EXPECT_EQ(Cli({"encode", "3", "--wait"}), 1);
  EXPECT_NE(out.str().find("c.avi\tmissing"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace clipvane
