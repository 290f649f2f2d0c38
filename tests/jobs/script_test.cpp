#include "jobs/script.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

struct QuoteCase {
  ScriptDialect dialect;
  std::string path, quoted;
};

class QuotePathTest : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(QuotePathTest, QuotesEveryPathSafely) {
  EXPECT_EQ(QuotePath(GetParam().dialect, GetParam().path), GetParam().quoted);
}

constexpr auto kBatch = ScriptDialect::kWindowsBatch;
constexpr auto kSh = ScriptDialect::kPosixShell;

INSTANTIATE_TEST_SUITE_P(Table, QuotePathTest,
                         ::testing::Values(QuoteCase{kBatch, "C:\\a b\\x.avi", "\"C:\\a b\\x.avi\""},
                                           QuoteCase{kBatch, "C:\\100%\\%PATH%.avi", "\"C:\\100%%\\%%PATH%%.avi\""},
                                           QuoteCase{kBatch, "C:\\R&B's.avi", "\"C:\\R&B's.avi\""},
                                           QuoteCase{kSh, "/a b/x.avi", "'/a b/x.avi'"},
                                           QuoteCase{kSh, "/it's", "'/it'\\''s'"},
                                           QuoteCase{kSh, "/$HOME/`id`/\"q\"", "'/$HOME/`id`/\"q\"'"}));

TEST(RenderScript, CallLinesSurviveTheCallsSecondExpansion) {
  EXPECT_EQ(RenderScript(kBatch, "D:\\", {CallStep("D:\\batch\\100%.bat"), DeleteStep("D:\\100%.mp4")}),
            "call \"D:\\batch\\100%%%%.bat\"\r\ndel \"D:\\100%%.mp4\"\r\n");
  EXPECT_EQ(RenderScript(kSh, "/", {CallStep("/batch/100%.sh")}), "sh '/batch/100%.sh'\n");
}

TEST(RenderScript, EndsEveryLineInTheDialectsWay) {
  const std::vector<ScriptStep> steps{DeleteStep("X"), CallStep("Y"),
                                      ToolStep("mp4creator", {Opt("-c"), PathArg("Z")})};
  EXPECT_EQ(RenderScript(kBatch, "D:\\Conv\\", steps),
            "del \"X\"\r\ncall \"Y\"\r\n\"D:\\Conv\\bin\\mp4creator.exe\" -c \"Z\"\r\n");
  EXPECT_EQ(RenderScript(kSh, "/c/", steps), "rm -f 'X'\nsh 'Y'\n'/c/bin/mp4creator' -c 'Z'\n");
  EXPECT_EQ(ScriptExtension(kBatch), ".bat");
  EXPECT_EQ(ScriptExtension(kSh), ".sh");
}

#ifndef _WIN32
// The shell itself is the judge of the quoting: a script that deletes files with
// every awkward character in their names must delete exactly those files.
TEST(RenderScript, ShellRunsTheLinesOnAwkwardFileNames) {
  testing::TempFolder temp;
  const std::vector<std::string> names{"it's.avi", "$HOME.avi", "a b & c.avi", "`touch pwned`.avi",
                                       "100%.avi", "semi;colon.avi", "\xED\x95\x9C.avi", "-dash.avi"};
  std::vector<ScriptStep> steps;
  for (const std::string& name : names) steps.push_back(DeleteStep(temp.WriteFile(name, "x")));
  temp.WriteFile("keep.avi", "x");
  NativeFileSystem().ReplaceWholeFile(temp / "job.sh", RenderScript(kSh, temp.Path(), steps));

  const std::string command = "cd '" + temp.Path() + "' && sh ./job.sh";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const std::string& name : names) EXPECT_FALSE(NativeFileSystem().Exists(temp / name)) << name;
  EXPECT_TRUE(NativeFileSystem().Exists(temp / "keep.avi"));
  EXPECT_FALSE(NativeFileSystem().Exists(temp / "pwned"));
}
#endif

}  // namespace
}  // namespace clipvane
