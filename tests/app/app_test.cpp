#include <gtest/gtest.h>

#include "app/encoder_census.h"
#include "app/program.h"
#include "app/run_modes.h"
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
  // Neither a plain prefix nor what only looks like an alias.
  processes.processes.clear();
  for (const char* name : {"mencod.exe", "MENCO~12.EXE", "MENCOD~A.EXE", "MENCODE~1.EXE"})
    processes.Running(name);
  EXPECT_EQ(CountProcesses("mencoder.exe", processes), 0);
}

TEST(NativeProcessList, SeesThisProcessUnderItsOwnId) {
  const ProcessList& processes = NativeProcessList();
  bool found = false;
  for (const ProcessEntry& entry : processes.Snapshot())
    if (entry.id == processes.OwnProcessId()) found = entry.exe_name.find("clipvane_app_t") == 0;  // Linux cuts names at 15
  EXPECT_TRUE(found);
}

using testing::FakeMachine;
using Events = std::vector<std::string>;

TEST(RunProgram, ExactlyOneArgumentIsThePowerActionModeAnyOtherCountTheWindow) {
  FakeMachine machine;
  FakeProcessList processes;
  PowerActionServices services{machine, processes, machine, {{"mencoder.exe"}, "cmd.exe"}};
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"shutdown", "now"}, {"a", "b", "c"}})
    EXPECT_EQ(RunProgram(arguments, services, [] { return 7; }), 7);
  EXPECT_TRUE(machine.events.empty());
}

TEST(RunProgram, OneArgumentWaitsTestsTheEncodersAndActsOnlyOnAnExactWord) {
  struct Case {
    std::vector<std::string> arguments;
    bool encoders_busy;
    Events events;
  };
  const Case cases[] = {{{"shutdown"}, false, {"sleep 10000", "power off"}},
                        {{"suspend"}, false, {"sleep 10000", "suspend"}},
                        {{"shutdown", "suspend"}, true, {"sleep 10000"}},
                        {{"Shutdown", "SUSPEND", "shutdown ", " suspend", "C:\\x.avi", ""}, false, {"sleep 10000"}}};
  for (const Case& c : cases)
    for (const std::string& argument : c.arguments) {
      FakeMachine machine;
      FakeProcessList processes;
      if (c.encoders_busy) processes.Running("mencoder.exe").Running("cmd.exe");
      PowerActionServices services{machine, processes, machine, {{"mencoder.exe", "mp4creator.exe"}, "cmd.exe"}};
      EXPECT_EQ(RunProgram({argument}, services, [] { return 2; }), 0);
      EXPECT_EQ(machine.events, c.events) << "argument [" << argument << "]";
      EXPECT_EQ(processes.snapshots, c.encoders_busy ? 3 : 2);  // the census ran after the wait
    }
}

}  // namespace
}  // namespace clipvane
