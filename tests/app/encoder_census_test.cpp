#include "app/encoder_census.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace clipvane {
namespace {

using testing::FakeProcessList;

const CensusNames kWindowsNames{{"mencoder.exe", "mp4creator.exe"}, "cmd.exe"};

struct CensusCase {
  std::string label;
  std::vector<std::pair<std::string, int>> running;
  bool busy;
};

class EncoderCensusTest : public ::testing::TestWithParam<CensusCase> {};

TEST_P(EncoderCensusTest, IsBusyOnlyWhileToolsRunUnderEnoughInterpreters) {
  FakeProcessList processes;
  for (const auto& [name, count] : GetParam().running) processes.Running(name, count);
  EXPECT_EQ(EncoderCensus(processes, kWindowsNames), GetParam().busy);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EncoderCensusTest,
    ::testing::Values(
        CensusCase{"OneMencoderOneCmd", {{"mencoder.exe", 1}, {"cmd.exe", 1}}, true},
        CensusCase{"TwoMencodersOneCmd", {{"mencoder.exe", 2}, {"cmd.exe", 1}}, false},
        CensusCase{"NoToolTenCmd", {{"cmd.exe", 10}}, false},
        CensusCase{"Nothing", {}, false},
        CensusCase{"ToolsAddUp", {{"mencoder.exe", 1}, {"mp4creator.exe", 1}, {"cmd.exe", 2}}, true},
        CensusCase{"ToolsAddUpBeyondCmd", {{"mencoder.exe", 1}, {"mp4creator.exe", 1}, {"cmd.exe", 1}}, false},
        CensusCase{"CapitalsCount", {{"MENCODER.EXE", 1}, {"CMD.EXE", 1}}, true},
        CensusCase{"ShortAliasCounts", {{"MP4CRE~1.EXE", 1}, {"cmd.exe", 1}}, true},
        CensusCase{"ShortAliasOfMencoder", {{"MENCOD~1.EXE", 2}, {"cmd.exe", 1}}, false},
        CensusCase{"ToolWithoutInterpreter", {{"mencoder.exe", 1}}, false},
        CensusCase{"OtherProgramsDoNotCount", {{"mencoder.com", 1}, {"mencoder", 1}, {"cmd.exe", 1}}, false}),
    [](const auto& test_info) { return test_info.param.label; });

TEST(CountProcesses, SkipsTheProgramsOwnProcess) {
  FakeProcessList processes;
  processes.Running("clipvane.exe", 3);
  processes.own_id = processes.processes[1].id;
  EXPECT_EQ(CountProcesses("clipvane.exe", processes), 2);
  EXPECT_EQ(CountProcesses("CLIPVANE.EXE", processes), 2);
}

TEST(CountProcesses, MatchesShortAliasesByTheirFirstSixCharactersAndExtension) {
  FakeProcessList processes;
  processes.Running("MENCOD~1.EXE").Running("MENCOD~2.EXE").Running("MP4CRE~1.EXE").Running("MENCOD~1.COM");
  EXPECT_EQ(CountProcesses("mencoder.exe", processes), 2);
  EXPECT_EQ(CountProcesses("mp4creator.exe", processes), 1);
  // A long name never matches a plain prefix of itself.
  processes.processes.clear();
  processes.Running("mencod.exe");
  EXPECT_EQ(CountProcesses("mencoder.exe", processes), 0);
}

TEST(CountProcesses, TakesAFreshSnapshotPerCount) {
  FakeProcessList processes;
  processes.Running("cmd.exe");
  CountProcesses("cmd.exe", processes);
  CountProcesses("cmd.exe", processes);
  EXPECT_EQ(processes.snapshots, 2);
}

struct ShortNameCase {
  std::string name;
  bool is_short;
};

class IsShortFileNameTest : public ::testing::TestWithParam<ShortNameCase> {};

TEST_P(IsShortFileNameTest, RecognisesEightThreeAliases) {
  EXPECT_EQ(IsShortFileName(GetParam().name), GetParam().is_short) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Table, IsShortFileNameTest,
                         ::testing::Values(ShortNameCase{"MENCOD~1.EXE", true},
                                           ShortNameCase{"MENCOD~1", true},
                                           ShortNameCase{"C:\\TOOLS\\MENCOD~1.EXE", true},
                                           ShortNameCase{"MENCO~12.EXE", false},
                                           ShortNameCase{"MENCOD~A.EXE", false},
                                           ShortNameCase{"MENCODE~1.EXE", false},
                                           ShortNameCase{"mencoder.exe", false},
                                           ShortNameCase{"A~1.EXE", false},
                                           ShortNameCase{"", false}));

TEST(NativeProcessList, SeesThisProcessUnderItsOwnId) {
  const ProcessList& processes = NativeProcessList();
  bool found = false;
  for (const ProcessEntry& entry : processes.Snapshot())
    if (entry.id == processes.OwnProcessId()) found = entry.exe_name.find("clipvane_app_t") == 0;  // Linux cuts names at 15
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace clipvane
