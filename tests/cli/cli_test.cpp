// clipvane-cli over a temporary program folder with real, tiny videos.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/cli_runner.h"

namespace clipvane {
namespace {

const std::string kOther = "\xED\x9C\xB4\xEA\xB0\x80 \xEC\x98\x81\xEC\x83\x81.avi";  // 휴가 영상.avi

class CliTest : public ::testing::Test, protected testing::CliRunner {
 protected:
  static void SetUpTestSuite() {
    videos_ = new testing::TempFolder;
    // The second video has a Korean name and AAC sound, whose packet rate MediaInfo
    // reports as a frame rate of the audio section.
    const std::string command = "cd '" + videos_->Path() +
                                "' && ffmpeg -loglevel error -f lavfi -i testsrc=size=160x120:rate=25 -t 1 "
                                "-c:v mpeg4 -y clip.avi && ffmpeg -loglevel error -f lavfi -i "
                                "testsrc=size=192x108:rate=24000/1001 -f lavfi -i sine -t 1 -c:v mpeg4 -c:a aac -y "
                                "'" + kOther + "' && echo x > notes.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    videos_->WriteFile("clip.smi", "<SAMI><BODY><SYNC Start=0><P>hi</SAMI>");
  }
  static void TearDownTestSuite() { delete videos_; }

  std::string Video(const std::string& name) { return videos_->Path() + name; }

  static inline testing::TempFolder* videos_ = nullptr;  // the suite's videos
};

TEST_F(CliTest, ListCommandsSayWhatTheyRefuseAndNeverTouchAFile) {
  EXPECT_EQ(Cli({"add", Video("clip.avi"), Video("notes.txt"), Video("CLIP.avi"), Video(kOther)}), 1);
  EXPECT_NE(err.str().find("notes.txt: not a video"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("CLIP.avi: already listed"), std::string::npos) << err.str();
  const std::string other = kOther.substr(0, kOther.size() - 4);
  EXPECT_EQ(out.str(), "1\t \tclip\tOK\n2\t \t" + other + "\t-\n");
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app / "list.log"), Video("clip.avi") + "\r\n" + Video(kOther) + "\r\n");
  // The library opens a Korean name; the picture comes from the video section, not the sound's.
  EXPECT_EQ(Cli({"info", "2"}), 0) << err.str();
  EXPECT_NE(out.str().find("width                                    : 192 pixels\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("frame rate                               : 23.976"), std::string::npos);
  EXPECT_EQ(out.str().find('\r'), std::string::npos);
  EXPECT_EQ(err.str(), "checking " + kOther + "\nchecked " + kOther + "\n");  // the steps go to stderr only
  for (const char* row : {"0", "x", "3"}) EXPECT_EQ(Cli({"remove", row}), 2) << row;
  EXPECT_NE(err.str().find("no row 3"), std::string::npos);
  app.WriteFile("incoming/" + other + ".mp4", "done");
  EXPECT_EQ(Cli({"refresh"}), 0);
  EXPECT_EQ(out.str(), "1\t \tclip\tOK\n2\t*\t" + other + "\t-\n");
  EXPECT_EQ(Cli({"clear-encoded"}), 0);
  EXPECT_EQ(Cli({"remove", "1"}), 0);
  EXPECT_EQ(Cli({"list"}), 0);
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(NativeFileSystem().Exists(Video("clip.avi")) && NativeFileSystem().Exists(Video(kOther)));
}

TEST_F(CliTest, SettingsAreShownAndSavedWithTheStoresRules) {
  EXPECT_EQ(Cli({"settings"}), 0);
  EXPECT_NE(out.str().find("qulity=1\nplatform=0\n"), std::string::npos) << out.str();
  EXPECT_EQ(Cli({"settings", "qulity=0", "platform=1"}), 0) << err.str();
  EXPECT_NE(out.str().find("frame=320x240\nvideo=xvid 700 kbit/s\n"), std::string::npos) << out.str();
  // The 640 frame on nano/Classic: saved, with the warning, and again at the next start.
  EXPECT_EQ(Cli({"settings", "display=3"}), 0);
  EXPECT_NE(err.str().find("iPod touch"), std::string::npos) << err.str();
  // A wrong pair saves nothing at all.
  for (const char* pair : {"qulity=good", "title=Mine", "colour=1"}) EXPECT_EQ(Cli({"settings", "display=0", pair}), 2);
  EXPECT_NE(err.str().find("not a setting"), std::string::npos);
  EXPECT_EQ(Cli({"settings"}), 0);
  EXPECT_NE(err.str().find("iPod touch"), std::string::npos);
  EXPECT_NE(out.str().find("display=3\n"), std::string::npos);
}

TEST_F(CliTest, MakeScriptsWritesJobAndRunScriptsAndEncodeNamesWhatItLeavesOut) {
  ASSERT_EQ(Cli({"add", Video("clip.avi")}), 0);
  EXPECT_EQ(Cli({"make-scripts"}), 0) << err.str();
  EXPECT_EQ(out.str(), app.Path() + "batch/encode_all.sh\n");
  EXPECT_EQ(err.str().find(".bat"), std::string::npos) << err.str();
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app / "batch/encode_all.sh"), "sh '" + app.Path() + "batch/clip.sh'\n");
  EXPECT_FALSE(NativeFileSystem().Exists(app / "incoming/clip.mp4"));
  // A video that is its own result: the job would delete it before reading it.
  app.WriteFile("MP4.ini", "[default]\nvideofileext=mp4\n");
  const std::string own = app.WriteFile("incoming/clip.mp4", NativeFileSystem().ReadWholeFile(Video("clip.avi")).value());
  ASSERT_EQ(Cli({"add", own}), 0);
  EXPECT_EQ(Cli({"encode", "1"}), 1);
  EXPECT_NE(err.str().find("not started: " + own + ": the video is its own result file"), std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find("nothing started"), std::string::npos);
  EXPECT_TRUE(NativeFileSystem().Exists(own));
}

TEST_F(CliTest, WrongUseIsAnErrorOnStderr) {
  EXPECT_EQ(Cli({}), 2);
  EXPECT_EQ(Cli({"frobnicate"}), 2);
  EXPECT_TRUE(out.str().empty());
  EXPECT_FALSE(NativeFileSystem().Exists(app / "batch"));  // an unknown command opens no list
  for (const std::vector<std::string>& args : {std::vector<std::string>{"encode-all", "--queues", "3"},
                                              {"encode-all", "--after", "reboot"}, {"encode", "--fast", "1"}})
    EXPECT_EQ(Cli(args), 2) << args[1];
  EXPECT_EQ(Cli({"encode-all"}), 1);  // an empty list gives nothing to encode
  EXPECT_EQ(Cli({"--help"}), 0);
  EXPECT_NE(out.str().find("encode-all"), std::string::npos);
  EXPECT_EQ(Cli({"--version"}), 0);
  EXPECT_EQ(out.str(), "clipvane-cli v1.4\n");
}

}  // namespace
}  // namespace clipvane
