#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/file_system.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace clipvane {
namespace {

// The helper program built beside the tests.
std::string Helper() { return ProgramBesideThisOne("clipvane_process_helper"); }

TEST(ProgramBesideThisOne, FindsAProgramBesideTheRunningOneAndLeavesOthersToPath) {
  EXPECT_NE(Helper(), "clipvane_process_helper");
  EXPECT_TRUE(Helper().find("clipvane_process_helper") != std::string::npos) << Helper();
  EXPECT_EQ(ProgramBesideThisOne("no-such-program"), "no-such-program");
}

struct StatusCase {
  std::string label;
  std::vector<std::string> args;  // after the helper; empty: a program that is not there
  int status;
};

class ChildStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ChildStatusTest, ReturnsTheExitStatus) {
  std::vector<std::string> argv{"clipvane-no-such-program"};
  if (!GetParam().args.empty()) {
    argv = {Helper()};
    argv.insert(argv.end(), GetParam().args.begin(), GetParam().args.end());
  }
  EXPECT_EQ(RunChild(argv, {Discarded(), Discarded()}), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Table, ChildStatusTest,
                         ::testing::Values(StatusCase{"Success", {"exit", "0"}, 0},
                                           StatusCase{"Failure", {"exit", "3"}, 3},
                                           StatusCase{"NotStarted", {}, 127}),
                         [](const auto& test_info) { return test_info.param.label; });

TEST(ChildProcesses, DeliversEachStreamOfEachChildToItsOwnReader) {
  std::string out[2], err[2];
  ChildProcesses children;
  for (int i = 0; i < 2; ++i) {
    children.Start({Helper(), "streams", "video " + std::to_string(i), "log " + std::to_string(i)},
                   {DeliveredTo([&out, i](const std::string& chunk) { out[i] += chunk; }),
                    DeliveredTo([&err, i](const std::string& chunk) { err[i] += chunk; })});
  }
  children.Start({Helper(), "exit", "5"});
  EXPECT_EQ(children.WaitAll(), (std::vector<int>{0, 0, 5}));
  EXPECT_EQ(out[0], "video 0");
  EXPECT_EQ(out[1], "video 1");
  EXPECT_EQ(err[0], "log 0");
  EXPECT_EQ(err[1], "log 1");
}

struct PipeCase {
  std::string label;
  std::vector<std::string> writer;  // the child whose output goes into the next one
  std::vector<int> statuses;        // writer, reader, and a third child started after them
  std::string read;                 // what the reader got
};

class ChildPipeTest : public ::testing::TestWithParam<PipeCase> {};

TEST_P(ChildPipeTest, TheNextChildReadsTheOutputAndOnlyIt) {
  std::string read, third;
  ChildProcesses children;
  std::vector<std::string> writer{GetParam().writer};
  if (writer.size() > 1) writer.front() = Helper();
  children.Start(writer, {ToNextChild(), Discarded()});
  children.Start({Helper(), "stdin"}, {DeliveredTo([&read](const std::string& chunk) { read += chunk; }), Inherited()});
  children.Start({Helper(), "stdin"}, {DeliveredTo([&third](const std::string& chunk) { third += chunk; }), Inherited()});
  EXPECT_EQ(children.WaitAll(), GetParam().statuses);
  EXPECT_EQ(read, GetParam().read);
  EXPECT_EQ(third, "read 0");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChildPipeTest,
    ::testing::Values(PipeCase{"Written", {"helper", "streams", "twelve bytes", "and a log"}, {0, 0, 0}, "read 12"},
                      PipeCase{"WriterNeverStarted", {"clipvane-no-such-program"}, {127, 0, 0}, "read 0"}),
    [](const auto& test_info) { return test_info.param.label; });

TEST(CaptureOutput, GivesStdoutOfASuccessOnly) {
  EXPECT_EQ(CaptureOutput({Helper(), "streams", "result", ""}), "result");
  EXPECT_EQ(CaptureOutput({Helper(), "exit", "1"}), std::nullopt);
}

TEST(ChildProcesses, ChildReadsTheNullDevice) {
  EXPECT_EQ(CaptureOutput({Helper(), "stdin"}), "read 0");
}

TEST(ChildProcesses, ArgumentsArriveAsTheyWereGiven) {
  const std::vector<std::string> args = {"plain", "", "a b", "tab\there", "say \"hi\"", "C:\\My Videos\\",
                                         "a\\\\\"b", "50% & <more>", "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 \xED\x9C\xB4\xEA\xB0\x80.avi"};
  std::vector<std::string> argv{Helper(), "args"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string expected;
  for (const std::string& arg : args) {
    for (unsigned char c : arg) {
      static const char kHex[] = "0123456789abcdef";
      expected += kHex[c >> 4];
      expected += kHex[c & 15];
    }
    expected += "\n";
  }
  EXPECT_EQ(CaptureOutput(argv), expected);
}

TEST(StartDetached, StartsAProgramThatRunsOnItsOwn) {
  testing::TempFolder temp;
  const std::string marker = temp / "done.txt";
  ASSERT_TRUE(StartDetached({Helper(), "write", marker}));
  for (int i = 0; i < 200 && NativeFileSystem().ReadWholeFile(marker) != "done"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(marker), "done");
  EXPECT_FALSE(StartDetached({"clipvane-no-such-program"}));
}

TEST(StartDetached, SendsOutputAndErrorsToAFileMadeAfresh) {
  testing::TempFolder temp;
  const std::string said = temp.WriteFile("said.txt", "what an earlier start said, which goes");
  ASSERT_TRUE(StartDetached({Helper(), "streams", "out", "err"}, said));
  auto text = [&] { return NativeFileSystem().ReadWholeFile(said).value_or(""); };
  for (int i = 0; i < 200 && text().size() != 6; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // The two streams reach the file in no fixed order.
  EXPECT_TRUE(text() == "outerr" || text() == "errout") << text();
  EXPECT_FALSE(StartDetached({Helper(), "exit", "0"}, temp / "no-such-folder/said.txt"));
}

#ifndef _WIN32
TEST(ChildProcesses, PassesATerminationOnToTheChildren) {
  ChildProcesses children;
  // Once the child is waiting, this process is told to stop; the child gets the same
  // signal and ends, and this process lives on to report it.
  children.Start({Helper(), "wait"}, {DeliveredTo([](const std::string& chunk) {
                                        if (chunk.find("ready") != std::string::npos) ::kill(::getpid(), SIGTERM);
                                      }),
                                      Inherited()});
  EXPECT_EQ(children.WaitAll(), std::vector<int>{128 + SIGTERM});
}
#endif

}  // namespace
}  // namespace clipvane
