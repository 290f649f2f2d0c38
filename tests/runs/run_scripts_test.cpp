#include "runs/run_scripts.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace clipvane {
namespace {

using testing::MemoryFileSystem;

class RunScriptsTest : public ::testing::Test {
 protected:
  RunScriptsTest() { files_.folders = {"D:\\Conv\\batch"}; }

  // Rows named by their job script's base name; "" for a row that gives no script.
  bool Make(int queue_count, const std::vector<std::string>& rows, PowerAction action = PowerAction::kNone) {
    RunScriptContext context{workspace_, ScriptDialect::kWindowsBatch, files_,
                             [this](const std::string& text) { status_.push_back(text); }, nullptr};
    return MakeRunScripts(
        queue_count, rows.size(),
        [&](std::size_t row) { return rows[row].empty() ? "" : "D:\\Conv\\batch\\" + rows[row] + ".bat"; },
        action, context);
  }

  std::string File(const std::string& name) {
    const auto found = files_.files.find("D:\\Conv\\batch\\" + name);
    return found == files_.files.end() ? "<none>" : found->second;
  }

  static std::string Calls(const std::vector<std::string>& names, const std::string& power = "") {
    std::string text;
    for (const std::string& name : names) text += "call \"D:\\Conv\\batch\\" + name + ".bat\"\r\n";
    return power.empty() ? text : text + "\"D:\\Conv\\clipvane\" " + power + "\r\n";
  }

  Workspace workspace_{"D:\\Conv\\", PathStyle::kWindows};
  MemoryFileSystem files_;
  std::vector<std::string> status_;
};

TEST_F(RunScriptsTest, EmptyListWritesNothing) {
  EXPECT_FALSE(Make(4, {}, PowerAction::kShutdown));
  EXPECT_TRUE(files_.files.empty());
}

TEST_F(RunScriptsTest, WholeListKeepsListOrderAndSaysWhatItCreated) {
  EXPECT_TRUE(Make(0, {"d", "B", "", "a"}));
  EXPECT_EQ(File("encode_all.bat"), Calls({"d", "B", "a"}));
  EXPECT_EQ(status_, (std::vector<std::string>{"created d.bat", "created B.bat", "created a.bat"}));
  EXPECT_EQ(File("encode_al1.bat"), "<none>");
}

TEST_F(RunScriptsTest, FourQueuesWithoutPowerActionSplitBySortedIndex) {
  EXPECT_TRUE(Make(4, {"e", "C", "a", "d", "b"}));
  EXPECT_EQ(File("encode_all.bat"), Calls({"e", "C", "a", "d", "b"}));
  EXPECT_EQ(File("encode_a41.bat"), Calls({"a", "e"}));
  EXPECT_EQ(File("encode_a42.bat"), Calls({"b"}));
  EXPECT_EQ(File("encode_a43.bat"), Calls({"C"}));
  EXPECT_EQ(File("encode_a44.bat"), Calls({"d"}));
  EXPECT_EQ(File("encode_al1.bat"), "<none>");  // the queue count decides which are written
}

TEST_F(RunScriptsTest, PowerActionTakesIndexZeroAndEndsEveryScript) {
  EXPECT_TRUE(Make(4, {"a", "b", "c", "d", "e"}, PowerAction::kShutdown));
  EXPECT_EQ(File("encode_all.bat"), Calls({"a", "b", "c", "d", "e"}, "shutdown"));
  EXPECT_EQ(File("encode_a41.bat"), Calls({"d"}, "shutdown"));
  EXPECT_EQ(File("encode_a42.bat"), Calls({"a", "e"}, "shutdown"));
  EXPECT_EQ(File("encode_a43.bat"), Calls({"b"}, "shutdown"));
  EXPECT_EQ(File("encode_a44.bat"), Calls({"c"}, "shutdown"));
  EXPECT_TRUE(Make(2, {"a", "b", "c", "d", "e"}, PowerAction::kSuspend));
  EXPECT_EQ(File("encode_al1.bat"), Calls({"b", "d"}, "suspend"));
  EXPECT_EQ(File("encode_al2.bat"), Calls({"a", "c", "e"}, "suspend"));
}

TEST_F(RunScriptsTest, QueuesWithoutJobsGetNoScriptAndLoseAnOldOne) {
  files_.files["D:\\Conv\\batch\\encode_a44.bat"] = "call \"old job\"\r\n";
  EXPECT_TRUE(Make(4, {"x", "y", "z"}));
  EXPECT_EQ(File("encode_a43.bat"), Calls({"z"}));
  EXPECT_EQ(File("encode_a44.bat"), "<none>");

  EXPECT_TRUE(Make(2, {"only"}, PowerAction::kShutdown));
  EXPECT_EQ(File("encode_al1.bat"), "<none>");
  EXPECT_EQ(File("encode_al2.bat"), Calls({"only"}, "shutdown"));
}

TEST_F(RunScriptsTest, NoJobsAtAll) {
  EXPECT_TRUE(Make(0, {"", ""}, PowerAction::kSuspend));
  EXPECT_EQ(File("encode_all.bat"), "\"D:\\Conv\\clipvane\" suspend\r\n");
  EXPECT_FALSE(Make(0, {"", ""}));
  EXPECT_EQ(File("encode_all.bat"), "");  // written, and empty
}

TEST_F(RunScriptsTest, SameBaseNameIsCalledTwice) {
  EXPECT_TRUE(Make(2, {"clip", "clip"}));
  EXPECT_EQ(File("encode_all.bat"), Calls({"clip", "clip"}));
  EXPECT_EQ(File("encode_al1.bat"), Calls({"clip"}));
  EXPECT_EQ(File("encode_al2.bat"), Calls({"clip"}));
}

TEST(RunScriptPaths, NameTheScriptsOfEachQueueCount) {
  const Workspace workspace("/app/", PathStyle::kPosix);
  EXPECT_EQ(RunScriptPaths(0, workspace, ScriptDialect::kPosixShell),
            std::vector<std::string>{"/app/batch/encode_all.sh"});
  EXPECT_EQ(RunScriptPaths(2, workspace, ScriptDialect::kPosixShell),
            (std::vector<std::string>{"/app/batch/encode_al1.sh", "/app/batch/encode_al2.sh"}));
  EXPECT_EQ(RunScriptPaths(4, workspace, ScriptDialect::kPosixShell).back(), "/app/batch/encode_a44.sh");
  EXPECT_EQ(RunScriptPaths(3, workspace, ScriptDialect::kPosixShell).size(), 1u);
}

}  // namespace
}  // namespace clipvane
