#include "platform/child_processes.h"

#include <gtest/gtest.h>

#include "platform/detached_launch.h"
#include "platform/file_system.h"
#include "platform/signal_relay.h"
#include "platform/system_services.h"
#include "platform/windows_command_line.h"
#include "support/temp_folder.h"

#include <map>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace clipvane {
namespace {

// The helper program built beside the tests.
std::string Helper() { return ProgramBesideThisOne("clipvane_process_helper"); }

// Reads the ids a helper notes in `file` ("parent" and "child") until there are `count`.
std::map<std::string, unsigned long> NotedIds(const std::string& file, std::size_t count) {
  std::map<std::string, unsigned long> ids;
  testing::Eventually([&] {
    std::istringstream lines(NativeFileSystem().ReadWholeFile(file).value_or(""));
    std::string what;
    for (unsigned long id; lines >> what >> id;) ids[what] = id;
    return ids.size() >= count;
  });
  return ids;
}

TEST(ChildProcesses, ReturnEachStatusOrWhyItDidNotStartGiveStdoutOfASuccessOnlyAndTakeArgumentsAsGiven) {
  EXPECT_EQ(RunChild({Helper(), "exit", "3"}, {Discarded(), Discarded()}).value(), 3);
  const auto missing = RunChild({"clipvane-no-such-program"}, {Discarded(), Discarded()});
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().program, "clipvane-no-such-program");
  EXPECT_EQ(CaptureOutput({Helper(), "streams", "result", ""}), "result");
  EXPECT_EQ(CaptureOutput({Helper(), "exit", "1"}), std::nullopt);
  EXPECT_EQ(CaptureOutput({Helper(), "stdin"}), "read 0");  // a child reads the null device
  // Arguments arrive as they were given.
  const std::string korean = "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 \xED\x9C\xB4\xEA\xB0\x80.avi";
  const std::vector<std::string> argv{Helper(),   "args",         "plain",      "",
                                      "a b",      "tab\there",    "say \"hi\"", "C:\\My Videos\\",
                                      "a\\\\\"b", "50% & <more>", korean};
  std::string expected;
  for (auto arg = argv.begin() + 2; arg != argv.end(); ++arg) expected += *arg + "\n";
  EXPECT_EQ(CaptureOutput(argv), expected);
}

// Each stream of each child reaches its own reader; a child reads the output of the one
// started before it, and only it, or nothing when that one never started.
TEST(ChildProcesses, DeliverEachStreamToItsOwnReaderAndPipeOnlyIntoTheNextChild) {
  for (const bool writer_starts : {true, false}) {
    std::string said[5];
    const auto to = [&said](int i) { return DeliveredTo([&said, i](const std::string& chunk) { said[i] += chunk; }); };
    ChildProcesses children;
    EXPECT_EQ(children
                  .Start({writer_starts ? Helper() : "clipvane-no-such-program", "streams", "twelve bytes", "a log"},
                         {ToNextChild(), to(0)})
                  .has_value(),
              writer_starts);
    EXPECT_EQ(children.Start({Helper(), "stdin"}, {to(1), Inherited()}).value(), 1u);  // numbered all the same
    EXPECT_TRUE(children.Start({Helper(), "stdin"}, {to(2), Inherited()}));
    EXPECT_TRUE(children.Start({Helper(), "streams", "video", "log"}, {to(3), to(4)}));
    EXPECT_TRUE(children.Start({Helper(), "exit", "5"}));
    EXPECT_EQ(children.WaitAll(), (std::vector<int>{writer_starts ? 0 : 127, 0, 0, 0, 5}));
    EXPECT_EQ(said[0] + "|" + said[1] + "|" + said[2] + "|" + said[3] + "|" + said[4],
              writer_starts ? "a log|read 12|read 0|video|log" : "|read 0|read 0|video|log");
  }
}

TEST(LaunchDetached, StartsAProgramThatWritesBothStreamsToAFileMadeAfreshOrSaysWhyNot) {
  testing::TempFolder temp;
  const std::string said = temp.WriteFile("said.txt", "what an earlier start said, which goes");
  const auto launched = LaunchDetached({Helper(), "streams", "out", "err"}, said);
  ASSERT_TRUE(launched.has_value()) << launched.error().Text();
  auto text = [&] { return NativeFileSystem().ReadWholeFile(said).value_or(""); };
  testing::Eventually([&] { return text().size() == 6; });
  // The two streams reach the file in no fixed order.
  EXPECT_TRUE(text() == "outerr" || text() == "errout") << text();
  // An output file that cannot be made, or no such program: said before anything runs.
  const auto no_file = LaunchDetached({Helper(), "exit", "0"}, temp / "no-such-folder/said.txt");
  ASSERT_FALSE(no_file.has_value());
  EXPECT_NE(no_file.error().reason.find("no-such-folder"), std::string::npos) << no_file.error().reason;
  const auto no_program = LaunchDetached({"clipvane-no-such-program"});
  ASSERT_FALSE(no_program.has_value());
  EXPECT_EQ(no_program.error().program, "clipvane-no-such-program");
}

#ifndef _WIN32
// What a later command needs to stop a started script with everything it runs: the id
// is the program's own, and its session's and process group's, and the program is no
// child of ours (no zombie waits for us).
TEST(LaunchDetached, GivesTheProcessGroupThatStopsTheProgramWithItsChildren) {
  testing::TempFolder temp;
  const auto launched = LaunchDetached({Helper(), "parent", temp / "ids"});
  ASSERT_TRUE(launched.has_value()) << launched.error().Text();
  const auto ids = NotedIds(temp / "ids", 2);
  ASSERT_EQ(ids.size(), 2u);
  const auto group = static_cast<pid_t>(launched->id);
  EXPECT_EQ(ids.at("parent"), launched->id);
  EXPECT_EQ(::getsid(group), group);
  EXPECT_EQ(::getpgid(static_cast<pid_t>(ids.at("child"))), group);
  EXPECT_EQ(::waitpid(group, nullptr, WNOHANG), -1);
  EXPECT_EQ(::kill(-group, SIGTERM), 0);
}

TEST(SignalRelay, PassesATerminationOnToTheChildrenAndLetsItEndAProcessWithoutAny) {
  {
    SignalRelay relay;
    ChildProcesses children(&relay);
    // Once the child is waiting, this process is told to stop; the child gets the same
    // signal and ends, and this process lives on to report it.
    EXPECT_TRUE(children.Start({Helper(), "wait"}, {DeliveredTo([](const std::string& chunk) {
                                                      if (chunk.find("ready") != std::string::npos)
                                                        ::kill(::getpid(), SIGTERM);
                                                    }),
                                                    Inherited()}));
    EXPECT_EQ(children.WaitAll(), std::vector<int>{128 + SIGTERM});
    EXPECT_EQ(relay.FirstSignal(), SIGTERM);
  }
  // With no child to pass it on to, a stop ends the process as it would without a relay.
  EXPECT_EQ(RunChild({Helper(), "relay"}).value(), 128 + SIGTERM);
}
#endif

// Whatever ends a process, the children it started end with it: a killed encoder leaves
// no FFmpeg working on for no one (a job object on Windows, the parent-death signal on
// Linux).
TEST(ChildProcesses, AKilledParentTakesItsChildrenWithIt) {
  testing::TempFolder temp;
  ChildProcesses parent;
  ASSERT_TRUE(parent.Start({Helper(), "parent", temp / "ids"}, {Discarded(), Discarded()}));
  std::map<std::string, unsigned long> started = NotedIds(temp / "ids", 2);
  ASSERT_EQ(started.size(), 2u);
#ifdef _WIN32
  HANDLE killed = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(started["parent"]));
  ASSERT_TRUE(killed && TerminateProcess(killed, 9));
  CloseHandle(killed);
#else
  ::kill(static_cast<pid_t>(started["parent"]), SIGKILL);
#endif
  EXPECT_TRUE(testing::Eventually([&] { return !ProcessIsAlive(started["child"]); }));
  parent.WaitAll();
}

// The runtime's reading rules: blanks and empty arguments in quotes, \" for a quote,
// backslashes doubled only before a quote (that they read back is ArgumentsArrive...
// under Wine); here the form: nothing quoted without need, the program name plainly.
TEST(WindowsCommandLine, QuotesAsTheRuntimeReadsItBack) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"ffmpeg", "-i", "a.avi"}, "ffmpeg -i a.avi"},
      {{"x", "C:\\Conv\\bin\\", "\\\\server\\share"}, "x C:\\Conv\\bin\\ \\\\server\\share"},
      {{"x", "C:\\My Videos\\", "a b\\\\", "C:\\My Videos\\a.avi"},
       "x \"C:\\My Videos\\\\\" \"a b\\\\\\\\\" \"C:\\My Videos\\a.avi\""},
      // A subtitle filter graph and the command interpreter's characters pass as they are.
      {{"x", "-vf", "ass=filename='C\\:/t.ssa',setsar=1", "50%", "a&b|c<d>e^f"},
       "x -vf ass=filename='C\\:/t.ssa',setsar=1 50% a&b|c<d>e^f"},
      {{"C:\\Program Files\\Conv\\bin\\ffmpeg.exe", "-y"}, "\"C:\\Program Files\\Conv\\bin\\ffmpeg.exe\" -y"},
      {{"C:\\Conv\\bin\\ffmpeg.exe"}, "C:\\Conv\\bin\\ffmpeg.exe"}};
  for (const auto& [argv, line] : cases) EXPECT_EQ(WindowsCommandLine(argv), line);
}

}  // namespace
}  // namespace clipvane
