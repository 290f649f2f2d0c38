#include "runs/encode_commands.h"

#include <gtest/gtest.h>

#include "platform/platform_error.h"
#include "platform/text_encoding.h"
#include "support/fakes.h"
#include "support/memory_file_system.h"

namespace clipvane {
namespace {

using testing::MemoryFileSystem;
using testing::RecordingNotifier;
using testing::RecordingShell;

TEST(StartButtonRoute, FollowsTheSelectionCount) {
  EXPECT_EQ(StartButtonRoute(4, 6), StartRoute::kEncodeSelection);
  EXPECT_EQ(StartButtonRoute(5, 6), StartRoute::kNothing);
  EXPECT_EQ(StartButtonRoute(3, 3), StartRoute::kEncodeSelection);  // all of few: started directly
  EXPECT_EQ(StartButtonRoute(10, 10), StartRoute::kSingleQueue);
  EXPECT_EQ(StartButtonRoute(0, 0), StartRoute::kSingleQueue);
  EXPECT_EQ(StartButtonRoute(0, 3), StartRoute::kNothing);
}

// Rows named after their videos in D:\Videos; all 320x240 unless their file is gone.
class FakeRows : public EncodeRows {
 public:
  FakeRows(MemoryFileSystem& files, std::vector<std::string> names, std::vector<bool> selected)
      : files_(files), names_(std::move(names)), selected_(std::move(selected)) {
    for (const std::string& name : names_) files_.files[Path(name)] = "video";
  }
  static std::string Path(const std::string& name) { return "D:\\Videos\\" + name + ".avi"; }
  std::size_t RowCount() const override { return names_.size(); }
  bool IsSelected(std::size_t row) const override { return selected_[row]; }
  std::string ProbedPath(std::size_t row, MediaFacts& facts) override {
    probed.push_back(row);
    const std::string path = Path(names_[row]);
    if (files_.Exists(path)) {
      facts.width = 320;
      facts.height = 240;
    }
    return path;
  }
  std::vector<std::size_t> probed;

 private:
  MemoryFileSystem& files_;
  std::vector<std::string> names_;
  std::vector<bool> selected_;
};

class EncodeCommandsTest : public ::testing::Test {
 protected:
  EncodeCommandsTest() { files_.folders = {"D:\\Conv\\temp", "D:\\Conv\\batch", "D:\\Conv\\incoming"}; }

  EncodeCommandContext Context() { return EncodeCommandContext(jobs_, shell_, notifier_); }

  Workspace workspace_{"D:\\Conv\\", PathStyle::kWindows};
  MemoryFileSystem files_;
  EncodeSettings settings_;
  JobContext jobs_{workspace_, ScriptDialect::kWindowsBatch, files_, settings_, nullptr};
  RecordingShell shell_;
  RecordingNotifier notifier_;
};

TEST_F(EncodeCommandsTest, SelectionStartsAtMostFourInListOrder) {
  FakeRows rows(files_, {"a", "b", "c", "d", "e", "f"}, {true, false, true, true, true, true});
  auto context = Context();
  EXPECT_EQ(EncodeSelection(rows, context), 4);
  EXPECT_EQ(shell_.opened, (std::vector<std::string>{"D:\\Conv\\batch\\a.bat", "D:\\Conv\\batch\\c.bat",
                                                     "D:\\Conv\\batch\\d.bat", "D:\\Conv\\batch\\e.bat"}));
  EXPECT_EQ(rows.probed, (std::vector<std::size_t>{0, 2, 3, 4}));  // the fifth selected row is not looked at
  EXPECT_TRUE(notifier_.shown.empty());
}

TEST_F(EncodeCommandsTest, AVanishedVideoIsNamedAndSkipped) {
  FakeRows rows(files_, {"gone", "here"}, {true, true});
  files_.files.erase(FakeRows::Path("gone"));
  auto context = Context();
  EXPECT_EQ(EncodeSelection(rows, context), 1);
  ASSERT_EQ(notifier_.shown.size(), 1u);
  EXPECT_EQ(notifier_.shown[0].text, Utf8ToAnsi(u8"D:\\Videos\\gone.avi\r\r선택한 파일이 존재하지 않습니다."));
  EXPECT_EQ(notifier_.shown[0].caption, Utf8ToAnsi(u8"알림"));
  EXPECT_EQ(shell_.opened, std::vector<std::string>{"D:\\Conv\\batch\\here.bat"});
}

TEST_F(EncodeCommandsTest, WholeListOpensOnlyTheQueuesThatGotJobs) {
  FakeRows rows(files_, {"only"}, {false});
  auto context = Context();
  EXPECT_TRUE(EncodeWholeList(2, rows, PowerAction::kShutdown, context));
  EXPECT_EQ(shell_.opened, std::vector<std::string>{"D:\\Conv\\batch\\encode_al2.bat"});
  shell_.opened.clear();
  EXPECT_TRUE(EncodeWholeList(1, rows, PowerAction::kNone, context));
  EXPECT_EQ(shell_.opened, std::vector<std::string>{"D:\\Conv\\batch\\encode_all.bat"});
}

TEST_F(EncodeCommandsTest, EmptyListStartsNothingAndSaysNothing) {
  FakeRows rows(files_, {}, {});
  auto context = Context();
  EXPECT_FALSE(EncodeWholeList(4, rows, PowerAction::kShutdown, context));
  EXPECT_FALSE(MakeBatchFiles(rows, PowerAction::kNone, context));
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_TRUE(notifier_.shown.empty());
}

TEST_F(EncodeCommandsTest, MakeBatchFilesWritesAndSaysSoWithoutStarting) {
  FakeRows rows(files_, {"a", "b"}, {false, false});
  auto context = Context();
  EXPECT_TRUE(MakeBatchFiles(rows, PowerAction::kNone, context));
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_TRUE(files_.Exists("D:\\Conv\\batch\\encode_all.bat"));
  ASSERT_EQ(notifier_.shown.size(), 1u);
  EXPECT_EQ(notifier_.shown[0].text, Utf8ToAnsi(u8"인코딩을 위한 배치파일(.bat)들이 생성되었습니다."));
}

TEST_F(EncodeCommandsTest, AWholeListRunShowsItsProgressAndFreesTheListEvenWhenAWriteFails) {
  FakeRows rows(files_, {"a", "b"}, {false, false});
  std::vector<std::string> events;
  auto context = Context();
  context.set_status = [&](const std::string& text) { events.push_back(text); };
  context.process_messages = [&] { events.push_back("pump"); };
  context.set_busy = [&](bool busy) { events.push_back(busy ? "busy" : "free"); };
  EXPECT_TRUE(EncodeWholeList(1, rows, PowerAction::kNone, context));
  EXPECT_EQ(events, (std::vector<std::string>{"busy", "created a.bat", "pump", "created b.bat", "pump", "free"}));

  events.clear();
  files_.unwritable.insert("D:\\Conv\\batch\\encode_all.bat");
  EXPECT_THROW(EncodeWholeList(1, rows, PowerAction::kNone, context), PlatformError);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front(), "busy");
  EXPECT_EQ(events.back(), "free");

  events.clear();
  FakeRows empty(files_, {}, {});
  EXPECT_FALSE(EncodeWholeList(1, empty, PowerAction::kShutdown, context));
  EXPECT_TRUE(events.empty());  // an empty list disables nothing
}

TEST_F(EncodeCommandsTest, AVideoInsideIncomingIsRefusedWithAReason) {
  files_.files["D:\\Conv\\incoming\\clip.mp4"] = "video";
  FakeRows rows(files_, {"a"}, {true});
  class IncomingRows : public FakeRows {
   public:
    using FakeRows::FakeRows;
    std::string ProbedPath(std::size_t row, MediaFacts& facts) override {
      FakeRows::ProbedPath(row, facts);
      return "D:\\Conv\\incoming\\clip.mp4";
    }
  } incoming(files_, {"a"}, {true});
  auto context = Context();
  EXPECT_EQ(EncodeSelection(incoming, context), 0);
  EXPECT_TRUE(EncodeWholeList(1, rows, PowerAction::kNone, context));  // the other list still runs
  ASSERT_EQ(notifier_.shown.size(), 1u);
  EXPECT_NE(notifier_.shown[0].text.find("D:\\Conv\\incoming\\clip.mp4"), std::string::npos);
  EXPECT_TRUE(files_.Exists("D:\\Conv\\incoming\\clip.mp4"));
}

}  // namespace
}  // namespace clipvane
