// clipvane-cli over a temporary program folder with real, tiny videos.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

class CliTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    videos_ = new testing::TempFolder;
    const std::string command = "cd '" + videos_->Path() +
                                "' && ffmpeg -loglevel error -f lavfi -i testsrc=size=160x120:rate=25 -t 1 "
                                "-c:v mpeg4 -y clip.avi && cp clip.avi other.avi && echo x > notes.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    videos_->WriteFile("clip.smi", "<SAMI><BODY><SYNC Start=0><P>hi</SAMI>");
  }
  static void TearDownTestSuite() { delete videos_; }

  int Run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    return RunCli(args, workspace_, out_, err_);
  }
  std::string Video(const std::string& name) { return videos_->Path() + name; }

  static testing::TempFolder* videos_;
  testing::TempFolder app_;
  Workspace workspace_{app_.Path(), PathStyle::kPosix};
  std::ostringstream out_, err_;
};

testing::TempFolder* CliTest::videos_ = nullptr;

TEST_F(CliTest, AddSaysWhyAPathWasRefusedAndKeepsTheList) {
  EXPECT_EQ(Run({"add", Video("clip.avi"), Video("notes.txt"), Video("CLIP.avi")}), 1);
  EXPECT_NE(err_.str().find("notes.txt: not a video"), std::string::npos) << err_.str();
  EXPECT_EQ(out_.str(), "1\t \tclip\tOK\n");
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app_ / "list.log"), Video("clip.avi") + "\r\n");

  EXPECT_EQ(Run({"add", Video("clip.avi")}), 1);
  EXPECT_NE(err_.str().find("already listed"), std::string::npos);
  EXPECT_EQ(Run({"add", Video("other.avi")}), 0);
  EXPECT_EQ(Run({"list"}), 0);
  EXPECT_EQ(out_.str(), "1\t \tclip\tOK\n2\t \tother\t-\n");
}

TEST_F(CliTest, InfoProbesTheVideo) {
  ASSERT_EQ(Run({"add", Video("clip.avi")}), 0);
  EXPECT_EQ(Run({"info", "1"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("160"), std::string::npos);
  EXPECT_EQ(out_.str().find("checking"), std::string::npos);  // status goes to stderr only
  EXPECT_EQ(err_.str(), "checking clip.avi\nchecked clip.avi\n");
  EXPECT_EQ(Run({"info", "2"}), 2);
  EXPECT_NE(err_.str().find("no row 2"), std::string::npos);
}

TEST_F(CliTest, RemoveTakesRowsOffWithoutTouchingFiles) {
  ASSERT_EQ(Run({"add", Video("clip.avi"), Video("other.avi")}), 0);
  EXPECT_EQ(Run({"remove", "1"}), 0);
  EXPECT_EQ(out_.str(), "1\t \tother\t-\n");
  EXPECT_TRUE(NativeFileSystem().Exists(Video("clip.avi")));
  EXPECT_EQ(Run({"remove", "0"}), 2);
  EXPECT_EQ(Run({"remove", "x"}), 2);
  EXPECT_EQ(Run({"list"}), 0);
  EXPECT_EQ(out_.str(), "1\t \tother\t-\n");
}

TEST_F(CliTest, EncodedRowsAreMarkedAndCleared) {
  ASSERT_EQ(Run({"add", Video("clip.avi"), Video("other.avi")}), 0);
  app_.WriteFile("incoming/clip.mp4", "done");
  EXPECT_EQ(Run({"refresh"}), 0);
  EXPECT_EQ(out_.str(), "1\t*\tclip\tOK\n2\t \tother\t-\n");
  EXPECT_EQ(Run({"clear-encoded"}), 0);
  EXPECT_EQ(out_.str(), "1\t \tother\t-\n");
}

TEST_F(CliTest, SettingsAreShownAndSavedWithTheStoresRules) {
  EXPECT_EQ(Run({"settings"}), 0);
  EXPECT_NE(out_.str().find("qulity=1\n"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("frame=480x320\n"), std::string::npos);

  EXPECT_EQ(Run({"settings", "qulity=0", "platform=1"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("video=xvid 700 kbit/s\n"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("frame=320x240\n"), std::string::npos);

  // The 640 frame on nano/Classic: saved, with the warning.
  EXPECT_EQ(Run({"settings", "display=3"}), 0);
  EXPECT_NE(err_.str().find("iPod touch"), std::string::npos) << err_.str();

  // A wrong pair saves nothing at all.
  EXPECT_EQ(Run({"settings", "display=0", "qulity=good"}), 2);
  EXPECT_EQ(Run({"settings", "title=Mine"}), 2);
  EXPECT_NE(err_.str().find("read only"), std::string::npos);
  EXPECT_EQ(Run({"settings", "colour=1"}), 2);
  EXPECT_EQ(Run({"settings"}), 0);
  EXPECT_NE(out_.str().find("display=3\n"), std::string::npos);
  EXPECT_NE(out_.str().find("qulity=0\n"), std::string::npos);
}

TEST_F(CliTest, MakeScriptsWritesJobAndRunScriptsWithoutStarting) {
  ASSERT_EQ(Run({"add", Video("clip.avi")}), 0);
  EXPECT_EQ(Run({"make-scripts"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), app_.Path() + "batch/encode_all.sh\n");
  const auto all = NativeFileSystem().ReadWholeFile(app_ / "batch/encode_all.sh");
  ASSERT_TRUE(all.has_value());
  EXPECT_EQ(*all, "sh '" + app_.Path() + "batch/clip.sh'\n");
  EXPECT_TRUE(NativeFileSystem().Exists(app_ / "batch/clip.sh"));
  EXPECT_FALSE(NativeFileSystem().Exists(app_ / "incoming/clip.mp4"));
}

TEST_F(CliTest, WrongUseIsAnErrorOnStderr) {
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Run({"frobnicate"}), 2);
  EXPECT_TRUE(out_.str().empty());
  EXPECT_EQ(Run({"encode-all", "--queues", "3"}), 2);
  EXPECT_EQ(Run({"encode-all", "--after", "reboot"}), 2);
  EXPECT_EQ(Run({"encode", "--fast", "1"}), 2);
  EXPECT_EQ(Run({"encode-all"}), 1);  // an empty list gives nothing to encode
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.str().find("encode-all"), std::string::npos);
  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(out_.str(), "clipvane-cli v1.4\n");
}

}  // namespace
}  // namespace clipvane
