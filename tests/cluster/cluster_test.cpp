// The list's jobs on a real two-node Slurm cluster on this machine
// (tests/cluster/local_cluster.sh): submitted as one job array, seen and stopped from
// fresh processes, requeued when a node goes down, ended by Slurm from outside.
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "e2e/e2e_fixture.h"
#include "base/text.h"
#include "runs/job_record.h"
#include "runs/slurm_cluster.h"

namespace clipvane::testing {
namespace {

// The cluster of the whole suite, started once: its slurm.conf, or why there is none.
struct LocalCluster {
  TempFolder folder;
  std::string conf, why;
  LocalCluster() {
    const ProgramRun started = RunProgram({CLIPVANE_CLUSTER_SCRIPT, "start", folder.Path()});
    if (started.status == 0) conf = TrimBlanks(started.output);
    else why = started.status == 77 ? "the Slurm packages are not installed: " + started.errors : started.errors;
  }
  ~LocalCluster() { static_cast<void>(RunProgram({CLIPVANE_CLUSTER_SCRIPT, "stop", folder.Path()})); }
  std::string Log() const { return ReadFileOrNothing(NativeFileSystem(), folder / "log/slurmctld.log"); }
};
LocalCluster* cluster = nullptr;

bool Eventually(const std::function<bool()>& holds, int seconds) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!holds()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return true;
}

class ClusterTest : public CliEncodeTest {
 protected:
  static void SetUpTestSuite() { cluster = new LocalCluster; }
  static void TearDownTestSuite() { delete cluster; }
  void SetUp() override {
    if (cluster->conf.empty()) GTEST_SKIP() << "no cluster: " << cluster->why;
    if (OnLocalOnlyStorage(app.Path())) GTEST_SKIP() << "the temporary folder is on tmpfs, which no node shares";
    ::setenv("SLURM_CONF", cluster->conf.c_str(), 1);
  }
  void TearDown() override {
    // Whatever a test left of its tasks; a node it set down comes back.
    static_cast<void>(RunProgram({"scancel", "--name=clipvane"}));
    for (const char* node : {"n1", "n2"})
      static_cast<void>(RunProgram({"scontrol", "update", std::string("nodename=") + node, "state=resume"}));
  }

  // `clipvane-cli status` from a process of its own: the line of each row.
  std::vector<std::string> StatusLines() { return NonEmptyLines(RunProgram({app / "clipvane-cli", "status"}).output); }
  JobStatus Record(std::size_t row) {
    return ReadJobStatus(NativeFileSystem(), JobRecordPath(videos_ / names_[row], workspace));
  }
  // Videos in the list, each `seconds` long at 1280x720: long enough to be seen running.
  void AddVideos(int count, int seconds) {
    for (int i = 0; i < count; ++i) {
      names_.push_back("IMG_000" + std::to_string(i + 1) + ".avi");
      MakeVideo(names_.back(), "1280x720", seconds);
    }
    ASSERT_EQ(Cli({"add", videos_.Path()}), 0) << err.str();
  }
  // The row's running task and its node, once it runs.
  bool RunsOnANode(std::size_t row) {
    return Eventually([&] { return Record(row).state == JobState::kRunning && !Record(row).node.empty(); }, 60);
  }
  std::vector<std::string> TempLeft() {
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(app / "temp"))
      if (entry.path().extension() != ".job") left.push_back(entry.path().filename().string());
    return left;
  }

  std::vector<std::string> names_;
};

TEST_F(ClusterTest, TheWholeListRunsAsOneArrayOnBothNodesAndIsSeenFromAFreshProcess) {
  AddVideos(3, 12);
  const pid_t waiting = StartInBackground({"encode-all", "--on", "slurm", "--wait"}, app / "wait.txt");
  // From a process of its own, a running job names its node and percentage.
  std::string seen;
  EXPECT_TRUE(Eventually(
      [&] {
        for (const std::string& line : StatusLines())
          if (line.find(": running ") != std::string::npos && line.find('%') != std::string::npos) seen = line;
        return !seen.empty();
      },
      60));
  EXPECT_TRUE(seen.find("\tn1: running") != std::string::npos || seen.find("\tn2: running") != std::string::npos)
      << seen;
  EXPECT_NE(seen.find("(slurm="), std::string::npos) << seen;
  int status = -1;
  ASSERT_EQ(::waitpid(waiting, &status, 0), waiting);
  EXPECT_EQ(WEXITSTATUS(status), 0) << ReadFileOrNothing(NativeFileSystem(), app / "wait.txt");
  std::set<std::string> nodes;
  for (std::size_t row = 0; row < names_.size(); ++row) {
    EXPECT_EQ(Record(row).state, JobState::kWritten) << row;
    nodes.insert(Record(row).node);
    EXPECT_NEAR(Probe(app / ("incoming/IMG_000" + std::to_string(row + 1) + ".mp4")).duration, 12, 0.2) << row;
  }
  EXPECT_EQ(nodes, (std::set<std::string>{"n1", "n2"}));
  // One submission for the whole list.
  const std::string log = cluster->Log();
  std::size_t submissions = 0;
  for (std::size_t at = log.find("_slurm_rpc_submit_batch_job"); at != std::string::npos;
       at = log.find("_slurm_rpc_submit_batch_job", at + 1))
    ++submissions;
  EXPECT_EQ(submissions, 1u);
  EXPECT_TRUE(TempLeft().empty());
  // A written job may run again; one that is pending or running may not, by either route.
  ASSERT_EQ(Cli({"encode-all", "--on", "slurm", "--queues", "1"}), 0) << err.str();
  EXPECT_TRUE(Says({"encode", "3"}, 1, "already running"));
  EXPECT_TRUE(Says({"encode-all", "--on", "slurm"}, 1, "already running"));
  EXPECT_EQ(Cli({"stop", "--all"}), 0) << err.str();
}

TEST_F(ClusterTest, StopEndsTheRunningTaskAndCancelsThePendingOnesLeavingOnlyTheRecords) {
  AddVideos(3, 30);
  ASSERT_EQ(Cli({"encode-all", "--on", "slurm", "--queues", "1"}), 0) << err.str();
  ASSERT_TRUE(RunsOnANode(0));
  EXPECT_EQ(Record(1).state, JobState::kWaiting);
  EXPECT_EQ(Cli({"stop", "--all"}), 0) << err.str() << out.str();
  for (std::size_t row = 0; row < names_.size(); ++row) EXPECT_EQ(Record(row).state, JobState::kStopped) << row;
  EXPECT_TRUE(Eventually([&] { return ProcessesOf(app.Path()).empty(); }, 20));
  EXPECT_TRUE(TempLeft().empty()) << TempLeft().front();
  EXPECT_FALSE(std::filesystem::exists(app / "incoming/IMG_0001.mp4"));
}

TEST_F(ClusterTest, ANodeSetDownRequeuesItsJobAndTheEarlierMp4StaysUntilTheNewOneIsChecked) {
  // The earlier MP4, from a short take of the video.
  names_.push_back("IMG_0001.avi");
  MakeVideo(names_[0], "160x120", 2);
  ASSERT_EQ(Cli({"add", videos_.Path()}), 0);
  ASSERT_EQ(Cli({"encode", "1", "--on", "slurm", "--wait"}), 0) << err.str();
  const std::string mp4 = app / "incoming/IMG_0001.mp4";
  const std::string earlier = ReadFileOrNothing(NativeFileSystem(), mp4);
  MakeVideo(names_[0], "1280x720", 40);

  ASSERT_EQ(Cli({"encode", "1", "--on", "slurm"}), 0) << err.str();
  ASSERT_TRUE(RunsOnANode(0));
  ASSERT_TRUE(Eventually([&] { return Record(0).percent >= 5; }, 60));
  const JobStatus running = Record(0);
  ASSERT_EQ(RunProgram({"scontrol", "update", "nodename=" + running.node, "state=down", "reason=test"}).status, 0);
  // The failed try took away what it made; the earlier MP4 is untouched.
  EXPECT_TRUE(Eventually([&] { return Record(0).state == JobState::kWaiting; }, 30)) << FormatJobStatus(Record(0));
  EXPECT_EQ(ReadFileOrNothing(NativeFileSystem(), mp4), earlier);
  EXPECT_TRUE(TempLeft().empty()) << TempLeft().front();
  EXPECT_TRUE(Eventually([&] { return Record(0).state == JobState::kWritten; }, 240)) << FormatJobStatus(Record(0));
  EXPECT_NEAR(Probe(mp4).duration, 40, 0.2);
  EXPECT_NE(cluster->Log().find("Requeuing JobId=" + running.slurm.substr(0, running.slurm.find('_'))),
            std::string::npos);
}

TEST_F(ClusterTest, AJobCancelledFromOutsideReadsAsFailedWithSlurmsReason) {
  AddVideos(1, 30);
  ASSERT_EQ(Cli({"encode-all", "--on", "slurm"}), 0) << err.str();
  ASSERT_TRUE(RunsOnANode(0));
  ASSERT_EQ(RunProgram({"scancel", Record(0).slurm}).status, 0);
  EXPECT_TRUE(Eventually([&] { return !IsLive(Record(0).state); }, 30));
  EXPECT_EQ(Record(0).state, JobState::kFailed);
  EXPECT_EQ(Record(0).cause, "Slurm ended it: CANCELLED (cancelled)");
}

TEST_F(ClusterTest, ARunTheClusterCannotTakeIsRefusedBeforeAnythingStarts) {
  AddVideos(1, 1);
  const std::string conf = cluster->conf;
  // The same cluster's settings with a controller nobody answers at.
  std::string settings;
  for (const std::string& line : NonEmptyLines(ReadFileOrNothing(NativeFileSystem(), conf)))
    settings += (line.rfind("SlurmctldPort=", 0) == 0 ? "SlurmctldPort=1" : line) + "\n";
  const std::string down = app.WriteFile("down.conf", settings);
  const std::string path = std::getenv("PATH");
  const struct {
    std::vector<std::string> args;
    std::string conf, path, said;
  } cases[] = {
      {{"encode-all", "--on", "slurm", "--after", "shutdown"}, conf, path, "--after does not apply"},
      {{"encode", "1", "--on", "slurm"}, conf, app.Path(), "sbatch is not found"},
      {{"encode-all", "--on", "slurm"}, down, path, "the Slurm cluster does not answer"},
  };
  for (const auto& [args, slurm_conf, search, said] : cases) {
    ::setenv("SLURM_CONF", slurm_conf.c_str(), 1);
    ::setenv("PATH", search.c_str(), 1);
    EXPECT_TRUE(Says(args, 1, said));
    ::setenv("PATH", path.c_str(), 1);
    ::setenv("SLURM_CONF", conf.c_str(), 1);
    EXPECT_EQ(Record(0).state, JobState::kNone) << said;
    EXPECT_FALSE(std::filesystem::exists(app / "batch/IMG_0001.sh")) << said;
  }
}

}  // namespace
}  // namespace clipvane::testing
