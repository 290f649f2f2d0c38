#include <gtest/gtest.h>

#include "runs/encode_commands.h"
#include "runs/run_scripts.h"
#include "support/fakes.h"
#include "support/memory_file_system.h"

namespace clipvane {
namespace {

using Texts = std::vector<std::string>;
constexpr auto kNone = PowerAction::kNone;

class RunScriptsTest : public ::testing::Test {
 protected:
  RunScriptsTest() { files_.folders = {"D:\\Conv\\batch"}; }

  // Rows named by their job script's base name; "" for a row that gives no script.
  bool Make(int queue_count, const Texts& rows, PowerAction action = kNone) {
    RunScriptContext context{workspace_, ScriptDialect::kWindowsBatch, files_,
                             [this](const ProgressStep& step) { created_.push_back(step.file); }};
    return MakeRunScripts(
        queue_count, rows.size(),
        [&](std::size_t row) { return rows[row].empty() ? "" : "D:\\Conv\\batch\\" + rows[row] + ".bat"; }, action,
        context);
  }
  std::string File(const std::string& name) {
    const auto found = files_.files.find("D:\\Conv\\batch\\" + name + ".bat");
    return found == files_.files.end() ? "-" : found->second;
  }
  static std::string Calls(const Texts& names, const std::string& power = "") {
    std::string text;
    for (const std::string& name : names) text += "call \"D:\\Conv\\batch\\" + name + ".bat\"\r\n";
    return power.empty() ? text : text + "\"D:\\Conv\\clipvane\" " + power + "\r\n";
  }

  Workspace workspace_{"D:\\Conv\\", PathStyle::kWindows};
  testing::MemoryFileSystem files_;
  Texts created_;
};

TEST_F(RunScriptsTest, TheWholeListKeepsListOrderAndSaysWhatItCreated) {
  EXPECT_FALSE(Make(4, {}, PowerAction::kShutdown));  // an empty list writes nothing
  EXPECT_TRUE(files_.files.empty());
  EXPECT_TRUE(Make(0, {"d", "B", "", "a"}));
  EXPECT_EQ(File("encode_all"), Calls({"d", "B", "a"}));
  EXPECT_EQ(created_, (Texts{"d.bat", "B.bat", "a.bat"}));
  EXPECT_EQ(File("encode_al1"), "-");  // the queue count decides which are written
  // No jobs at all: the power action alone, or an empty script.
  EXPECT_TRUE(Make(0, {"", ""}, PowerAction::kSuspend));
  EXPECT_EQ(File("encode_all"), "\"D:\\Conv\\clipvane\" suspend\r\n");
  EXPECT_FALSE(Make(0, {"", ""}));
  EXPECT_EQ(File("encode_all"), "");  // written, and empty
}

TEST_F(RunScriptsTest, QueuesSplitBySortedIndexAndThePowerActionTakesIndexZero) {
  EXPECT_TRUE(Make(4, {"e", "C", "a", "d", "b"}));
  EXPECT_EQ(File("encode_all"), Calls({"e", "C", "a", "d", "b"}));
  EXPECT_EQ(File("encode_a41") + File("encode_a42") + File("encode_a43") + File("encode_a44"),
            Calls({"a", "e", "b", "C", "d"}));
  EXPECT_TRUE(Make(4, {"a", "b", "c", "d", "e"}, PowerAction::kShutdown));
  EXPECT_EQ(File("encode_all"), Calls({"a", "b", "c", "d", "e"}, "shutdown"));
  const Texts four{Calls({"d"}, "shutdown"), Calls({"a", "e"}, "shutdown"), Calls({"b"}, "shutdown"),
                   Calls({"c"}, "shutdown")};
  EXPECT_EQ((Texts{File("encode_a41"), File("encode_a42"), File("encode_a43"), File("encode_a44")}), four);
  EXPECT_TRUE(Make(2, {"a", "b", "c", "d", "e"}, PowerAction::kSuspend));
  EXPECT_EQ(File("encode_al1") + File("encode_al2"), Calls({"b", "d"}, "suspend") + Calls({"a", "c", "e"}, "suspend"));
}

TEST_F(RunScriptsTest, QueuesWithoutJobsGetNoScriptAndLoseAnOldOne) {
  files_.files["D:\\Conv\\batch\\encode_a44.bat"] = "call \"old job\"\r\n";
  EXPECT_TRUE(Make(4, {"x", "y", "z"}));
  EXPECT_EQ(File("encode_a43") + File("encode_a44"), Calls({"z"}) + "-");
  EXPECT_TRUE(Make(2, {"only"}, PowerAction::kShutdown));
  EXPECT_EQ(File("encode_al1") + File("encode_al2"), "-" + Calls({"only"}, "shutdown"));
  EXPECT_TRUE(Make(2, {"clip", "clip"}));  // one base name twice: called twice
  EXPECT_EQ(File("encode_al1") + File("encode_al2"), Calls({"clip", "clip"}));
}

using testing::MemoryFileSystem;

// Rows named after their videos in D:\Videos; all 320x240 unless their file is gone.
class FakeRows : public EncodeRows {
 public:
  FakeRows(MemoryFileSystem& files, Texts paths, std::vector<bool> selected)
      : files_(files), paths_(std::move(paths)), selected_(std::move(selected)) {
    for (const std::string& path : paths_) files_.files[path] = "video";
  }
  std::size_t RowCount() const override { return paths_.size(); }
  bool IsSelected(std::size_t row) const override { return selected_[row]; }
  std::string ProbedPath(std::size_t row, MediaFacts& facts, const Progress& progress) override {
    probed.push_back(row);
    Report(progress, ProgressStep::Kind::kChecked, paths_[row]);
    facts.height = files_.Exists(paths_[row]) ? 240 : 0;
    facts.width = facts.height ? 320 : 0;
    return paths_[row];
  }
  std::vector<std::size_t> probed;

 private:
  MemoryFileSystem& files_;
  Texts paths_;
  std::vector<bool> selected_;
};

Texts Videos(std::initializer_list<const char*> names) {
  Texts paths;
  for (const char* name : names) paths.push_back(std::string("D:\\Videos\\") + name + ".avi");
  return paths;
}

class EncodeCommandsTest : public ::testing::Test {
 protected:
  EncodeCommandsTest() { files_.folders = {"D:\\Conv\\temp", "D:\\Conv\\batch", "D:\\Conv\\incoming"}; }

  Workspace workspace_{"D:\\Conv\\", PathStyle::kWindows};
  MemoryFileSystem files_;
  EncodeSettings settings_;
  EncoderPreset preset_;
  JobContext jobs_{{workspace_, ScriptDialect::kWindowsBatch, settings_, preset_, ""}, files_, nullptr};
  testing::RecordingShell shell_;
  std::vector<ProgressStep> forwarded_;
  EncodeCommandContext context_{jobs_, shell_, [this](const ProgressStep& step) { forwarded_.push_back(step); }};
};

TEST_F(EncodeCommandsTest, SelectionStartsAtMostFourInListOrder) {
  FakeRows rows(files_, Videos({"a", "b", "c", "d", "e", "f"}), {true, false, true, true, true, true});
  const EncodeResult result = EncodeSelection(rows, context_);
  EXPECT_EQ(result.started, (Texts{"D:\\Conv\\batch\\a.bat", "D:\\Conv\\batch\\c.bat", "D:\\Conv\\batch\\d.bat",
                                   "D:\\Conv\\batch\\e.bat"}));
  EXPECT_EQ(shell_.opened, result.started);
  EXPECT_EQ(result.scripted, Videos({"a", "c", "d", "e"}));
  EXPECT_EQ(rows.probed, (std::vector<std::size_t>{0, 2, 3, 4}));  // the fifth selected row is not looked at
  EXPECT_EQ(result.steps, forwarded_);
  EXPECT_EQ(result.steps.size(), 4u);
}

TEST_F(EncodeCommandsTest, VideosWithoutAJobAreRefusedWithTheirReasonAndTheOthersGoOn) {
  files_.files["D:\\Conv\\incoming\\clip.mp4"] = "video";
  FakeRows rows(files_, {"D:\\Videos\\gone.avi", "D:\\Conv\\incoming\\clip.mp4", "D:\\Videos\\here.avi"},
                {true, true, true});
  files_.files.erase("D:\\Videos\\gone.avi");
  const EncodeResult selection = EncodeSelection(rows, context_);
  const std::vector<Refusal> refused{{"D:\\Videos\\gone.avi", RefusalReason::kFileMissing},
                                     {"D:\\Conv\\incoming\\clip.mp4", RefusalReason::kSourceIsOutput}};
  EXPECT_EQ(selection.refused, refused);
  EXPECT_EQ(selection.started, Texts{"D:\\Conv\\batch\\here.bat"});
  const EncodeResult whole = EncodeWholeList(1, rows, PowerAction::kNone, context_);
  EXPECT_EQ(whole.refused, refused);
  EXPECT_EQ(whole.scripted, Texts{"D:\\Videos\\here.avi"});
  EXPECT_TRUE(files_.Exists("D:\\Conv\\incoming\\clip.mp4"));
}

// Making scripts without starting them, an empty list and a failed write run through
// the main window's model; here the queues opened.
TEST_F(EncodeCommandsTest, WholeListCommandsOpenOnlyTheQueuesThatGotJobs) {
  FakeRows rows(files_, Videos({"only"}), {false});
  const EncodeResult two = EncodeWholeList(2, rows, PowerAction::kShutdown, context_);
  EXPECT_EQ(two.started, Texts{"D:\\Conv\\batch\\encode_al2.bat"});
  EXPECT_EQ(two.steps.back(), (ProgressStep{ProgressStep::Kind::kCreated, "only.bat"}));
  EXPECT_EQ(EncodeWholeList(1, rows, PowerAction::kNone, context_).started, Texts{"D:\\Conv\\batch\\encode_all.bat"});
}

}  // namespace
}  // namespace clipvane
