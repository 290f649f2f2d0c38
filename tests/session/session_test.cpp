#include <gtest/gtest.h>

#include "common/workspace.h"
#include "runs/job_status.h"
#include "session/encoder_census.h"
#include "session/program.h"
#include "session/run_modes.h"
#include "support/fakes.h"
#include "support/memory_file_system.h"

namespace clipvane {
namespace {

using testing::FakeProcessList;
const CensusNames kTools{{"mencoder.exe", "mp4creator.exe"}, "cmd.exe"};

// The census counts the processes other than this one (the first listed) by their
// executable's name in any letter case, a short alias by its first six characters and
// extension; it is busy while a tool runs under no fewer interpreters than tools.
TEST(EncoderCensus, IsBusyOnlyWhileToolsRunUnderEnoughInterpreters) {
  const std::string own = "clipvane.exe";
  const std::pair<std::vector<std::string>, bool> cases[] = {
      {{own, "mencoder.exe", "cmd.exe"}, true},
      {{own, "mencoder.exe", "mencoder.exe", "cmd.exe"}, false},
      {{own, "cmd.exe", "cmd.exe"}, false},
      {{own, "mencoder.exe", "mp4creator.exe", "cmd.exe", "cmd.exe"}, true},  // the tools add up
      {{own, "mencoder.exe", "mp4creator.exe", "cmd.exe"}, false},
      {{own, "mencoder.exe"}, false},
      {{"cmd.exe", "mencoder.exe"}, false},  // this process is no interpreter of a job
      {{own, "MENCOD~1.EXE", "MENCOD~2.EXE", "MP4CRE~1.EXE", "CMD.EXE", "cmd.exe", "Cmd.Exe"}, true},
      {{own, "MENCOD~1.EXE", "MENCOD~2.EXE", "MP4CRE~1.EXE", "cmd.exe", "cmd.exe"}, false},
      // Neither another extension, a plain prefix nor what only looks like an alias.
      {{own, "mencoder.com", "mencoder", "mencod.exe", "MENCO~12.EXE", "MENCOD~A.EXE", "MENCODE~1.EXE", "MENCOD~1.COM",
        "cmd.exe"},
       false}};
  for (const auto& c : cases) {
    FakeProcessList processes;
    for (const std::string& name : c.first) processes.Running(name);
    processes.own_id = processes.processes[0].id;
    EXPECT_EQ(EncoderCensus(processes, kTools), c.second) << "case " << &c - cases;
  }
}

// The queue that called the power action and queues at their own power line give
// way; any other script of the program's, between two tools or two jobs, is at work.
TEST(ScriptsAtWork, CountsTheProgramsScriptsButItsCallersAndThoseAtTheirLastLine) {
  const std::string batch = "D:\\Conv\\batch\\";
  const auto queue = [&](const std::string& name) { return "cmd.exe /c \"\"" + batch + name + ".bat\" \""; };
  // another process's name and command line, whether a queue is at its power line, busy?
  const std::tuple<std::string, std::string, bool, bool> cases[] = {
      {"", "", false, false},
      {"cmd.exe", queue("encode_al2"), false, true},  // the other queue is in a job
      {"cmd.exe", queue("encode_al2"), true, false},  // and now at its power line
      {"cmd.exe", "cmd.exe /c \"E:\\other\\batch\\x.bat\"", false, false},
      {"notepad.exe", "notepad.exe " + batch + "Holiday.bat", false, false},
      {"cmd.exe", "", false, false}};
  for (const auto& [name, command_line, at_power_line, busy] : cases) {
    testing::FakeProcessList processes;
    processes.Running("cmd.exe", 1, 0, queue("encode_al1"));             // id 100: the queue that called
    processes.Running("clipvane.exe", 1, 100, "clipvane.exe shutdown");  // id 101: this process
    processes.own_id = 101;
    if (!name.empty()) processes.Running(name, 1, 0, command_line);  // id 102
    if (at_power_line) processes.Running("clipvane.exe", 1, 102, "clipvane.exe shutdown");
    EXPECT_EQ(ScriptsAtWork(processes, "cmd.exe", batch), busy) << command_line << at_power_line;
  }
}

// The census and the clearing of ended jobs read the real list: names, parents and
// command lines. (Under Wine a program started from Linux has no parent to show.)
TEST(NativeProcessList, SeesThisProcessUnderItsOwnIdWithItsParentAndCommandLine) {
  const ProcessList& processes = NativeProcessList();
  std::string seen;
  for (const ProcessEntry& entry : processes.Snapshot())
    if (entry.id == processes.OwnProcessId())
      seen = entry.exe_name.substr(0, 14) +
             (entry.parent_id != 0 || kNativePathStyle == PathStyle::kWindows ? " with a parent " : " ") +
             (entry.command_line && entry.command_line->find("clipvane_session_tests") != std::string::npos ? "named"
                                                                                                            : "");
  EXPECT_EQ(seen, "clipvane_sessi with a parent named");  // Linux cuts names at 15
}

using testing::FakeMachine;
using Events = std::vector<std::string>;

// Exactly "shutdown" or "suspend" alone is the power-action mode: it waits, tests the
// encoders and acts. Anything else opens the window, which takes the arguments as
// files: a single video too, compared exactly.
TEST(RunProgram, OnlyAnExactPowerWordAloneWaitsTestsTheEncodersAndActs) {
  struct Case {
    std::vector<std::vector<std::string>> arguments;
    bool encoders_busy;
    Events events;             // none: the window opened
    bool all_stopped = false;  // the user stopped every job of the run
  };
  const Case cases[] = {
      {{{"shutdown"}}, false, {"sleep 10000", "power off"}},
      {{{"suspend"}}, false, {"sleep 10000", "suspend"}},
      {{{"shutdown"}, {"suspend"}}, true, {"sleep 10000"}},
      {{{"shutdown"}, {"suspend"}}, false, {"sleep 10000"}, true},
      {{{}, {"shutdown", "now"}, {"suspend", "suspend"}, {"one.avi"}, {"Shutdown"}, {" suspend"}, {""}}, false, {}}};
  for (const Case& c : cases)
    for (const std::vector<std::string>& arguments : c.arguments) {
      FakeMachine machine;
      FakeProcessList processes;
      if (c.encoders_busy) processes.Running("mencoder.exe").Running("cmd.exe");
      testing::MemoryFileSystem files;
      PowerRun run(files, Workspace("D:\\Conv\\", PathStyle::kWindows));
      run.Start(PowerAction::kShutdown, {});
      if (c.all_stopped) run.Hold();
      PowerActionServices services{machine, processes, machine, kTools, "", run};
      const bool window = c.events.empty();
      EXPECT_EQ(RunProgram(arguments, services, [] { return 7; }), window ? 7 : 0);
      EXPECT_EQ(machine.events, c.events)
          << arguments.size() << " arguments, [" << (arguments.empty() ? "" : arguments[0]) << "]";
    }
}

}  // namespace
}  // namespace clipvane
