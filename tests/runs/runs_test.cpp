#include <gtest/gtest.h>

#include "runs/encode_commands.h"
#include "runs/job_outcome.h"
#include "runs/job_record.h"
#include "runs/leftovers.h"
#include "runs/power_run.h"
#include "runs/run_scripts.h"
#include "runs/slurm_cluster.h"
#include "support/fakes.h"
#include "support/memory_file_system.h"
#include "platform/system_services.h"

namespace clipvane {

namespace {

using Texts = std::vector<std::string>;
constexpr auto kNone = PowerAction::kNone;
using testing::MemoryFileSystem;

// A record's status: its state, owner and build.
JobStatus Status(JobState state, ProcessIdentity owner = {}, std::string build = "") {
  JobStatus status;
  status.state = state;
  status.owner = std::move(owner);
  status.build = std::move(build);
  return status;
}

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
    return files_.ReadWholeFile("D:\\Conv\\batch\\" + name + ".bat").value_or("-");
  }
  static std::string Calls(const Texts& names, const std::string& power = "") {
    std::string text;
    for (const std::string& name : names) text += "call \"D:\\Conv\\batch\\" + name + ".bat\"\r\n";
    return power.empty() ? text : text + "\"D:\\Conv\\clipvane\" " + power + "\r\n";
  }

  Workspace workspace_{"D:\\Conv\\", PathStyle::kWindows};
  MemoryFileSystem files_;
  Texts created_;
};

TEST_F(RunScriptsTest, KeepListOrderSplitIntoQueuesBySortedNameAndSayWhatWasCreated) {
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
  // Queues split by sorted index (any letter case), the power action takes index zero.
  EXPECT_TRUE(Make(4, {"e", "C", "a", "d", "b"}, PowerAction::kShutdown));
  EXPECT_EQ(File("encode_all"), Calls({"e", "C", "a", "d", "b"}, "shutdown"));
  const Texts four{Calls({"d"}, "shutdown"), Calls({"a", "e"}, "shutdown"), Calls({"b"}, "shutdown"),
                   Calls({"C"}, "shutdown")};
  EXPECT_EQ((Texts{File("encode_a41"), File("encode_a42"), File("encode_a43"), File("encode_a44")}), four);
  EXPECT_TRUE(Make(2, {"a", "b", "c", "d", "e"}, PowerAction::kSuspend));
  EXPECT_EQ(File("encode_al1") + File("encode_al2"), Calls({"b", "d"}, "suspend") + Calls({"a", "c", "e"}, "suspend"));
  // Queues without jobs get no script, and lose the one written before.
  EXPECT_TRUE(Make(4, {"x", "y", "z"}));
  EXPECT_EQ(File("encode_a43") + File("encode_a44"), Calls({"z"}) + "-");
  EXPECT_TRUE(Make(2, {"only"}, PowerAction::kShutdown));
  EXPECT_EQ(File("encode_al1") + File("encode_al2"), "-" + Calls({"only"}, "shutdown"));
}

// Rows of videos that are there, all 320x240 unless their file is gone; none selected
// unless told.
class FakeRows : public EncodeRows {
 public:
  FakeRows(MemoryFileSystem& files, Texts paths, std::vector<bool> selected = {})
      : files_(files), paths_(std::move(paths)), selected_(std::move(selected)) {
    for (const std::string& path : paths_) files_.files[path] = "video";
    selected_.resize(paths_.size(), true);
  }
  std::size_t RowCount() const override { return paths_.size(); }
  bool IsSelected(std::size_t row) const override { return selected_[row]; }
  std::string Path(std::size_t row) const override { return paths_[row]; }
  JobTarget Target(std::size_t row) const override {
    return LoneJobTarget(paths_[row], {"D:\\Conv\\incoming"}, PathStyle::kWindows);
  }
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

  std::string RecordOf(const std::string& video) const { return JobRecordPath(video, workspace_); }
  JobStatus Stored(const std::string& video) const { return StoredJobStatus(files_, RecordOf(video)); }
};

// The scripts a command started, in order.
Texts Scripts(const EncodeResult& result) {
  Texts scripts;
  for (const StartedScript& started : result.started) scripts.push_back(started.script);
  return scripts;
}

TEST_F(EncodeCommandsTest, SelectionStartsAtMostFourInListOrderAndNamesTheRest) {
  FakeRows rows(files_,
                {"D:\\V\\a.avi", "D:\\V\\b.avi", "D:\\V\\c.avi", "D:\\V\\d.avi", "D:\\V\\e.avi", "D:\\V\\f.avi"},
                {true, false, true, true, true, true});
  const EncodeResult result = EncodeSelection(rows, context_);
  EXPECT_EQ(Scripts(result), (Texts{"D:\\Conv\\batch\\a.bat", "D:\\Conv\\batch\\c.bat", "D:\\Conv\\batch\\d.bat",
                                    "D:\\Conv\\batch\\e.bat"}));
  EXPECT_EQ(shell_.opened, Scripts(result));
  EXPECT_EQ(result.scripted[1], (ScriptedJob{"D:\\V\\c.avi", 2, "D:\\Conv\\incoming\\c.mp4", "D:\\Conv\\batch\\c.log",
                                             "D:\\Conv\\batch\\c.bat", RecordOf("D:\\V\\c.avi")}));
  // (What each job's record says then: EveryStateOfARowAgainstEveryWayOfStartingIt.)
  EXPECT_EQ(rows.probed, (std::vector<std::size_t>{0, 2, 3, 4}));  // the fifth selected row is not looked at
  EXPECT_EQ(result.refused, (std::vector<Refusal>{{"D:\\V\\f.avi", RefusalReason::kNotStarted, 5}}));
  EXPECT_EQ(result.steps, forwarded_);
}

// One bad row stops nothing else: each is named with its reason, the others are
// scripted and started, by both kinds of command.
TEST_F(EncodeCommandsTest, VideosWithoutAJobAreRefusedWithTheirReasonAndTheOthersGoOn) {
  FakeRows rows(files_, {"D:\\Videos\\gone.avi", "D:\\Videos\\Encode_All.avi", "D:\\Videos\\locked.avi",
                         "D:\\Videos\\here.avi", "D:\\Videos\\unclaimed.avi"});
  files_.files.erase("D:\\Videos\\gone.avi");
  files_.unwritable.insert("D:\\Conv\\batch\\locked.bat");
  files_.unwritable.insert(RecordOf("D:\\Videos\\unclaimed.avi"));  // no claim can be written
  std::vector<Refusal> refused{{"D:\\Videos\\gone.avi", RefusalReason::kFileMissing, 0},
                               {"D:\\Videos\\Encode_All.avi", RefusalReason::kRunScriptName, 1},
                               {"D:\\Videos\\locked.avi", RefusalReason::kCannotScript, 2},
                               {"D:\\Videos\\unclaimed.avi", RefusalReason::kCannotScript, 4}};
  refused[2].detail = "Cannot write D:\\Conv\\batch\\locked.bat";
  refused[3].detail = "its record cannot be written: Cannot write " + RecordOf("D:\\Videos\\unclaimed.avi");
  const EncodeResult selection = EncodeSelection(rows, context_);
  EXPECT_EQ(selection.refused, refused);
  EXPECT_EQ(Scripts(selection), Texts{"D:\\Conv\\batch\\here.bat"});
  EXPECT_FALSE(files_.Exists("D:\\Conv\\batch\\Encode_All.bat"));
  // Of two queues, only the one that got a job is opened.
  const EncodeResult whole = EncodeWholeList(2, rows, PowerAction::kShutdown, context_);
  EXPECT_EQ(whole.refused, refused);
  EXPECT_EQ(Scripts(whole), Texts{"D:\\Conv\\batch\\encode_al2.bat"});
  EXPECT_EQ(Stored("D:\\Videos\\here.avi").owner, (ProcessIdentity{1002, ""}));  // in its queue
  // A script that does not start fails its jobs; the rows left out are as they were.
  shell_.fails = true;
  EncodeSelection(rows, context_);
  EXPECT_EQ(Stored("D:\\Videos\\here.avi").cause, "did not start: cmd: not found");
  EXPECT_EQ(Stored("D:\\Videos\\gone.avi"), JobStatus{});
}

// Every state a row's record can be in, against every way of starting its job: a job
// that holds its row is never started again (nor its script written anew), any other
// is claimed and, by the commands that start scripts, handed to the script's process;
// writing the scripts alone gives the record back as it was, with its new build.
TEST_F(EncodeCommandsTest, EveryStateOfARowAgainstEveryWayOfStartingIt) {
  const ProcessIdentity alive = OwnProcess(), gone{alive.id, "gone"};
  JobStatus failed = Status(JobState::kFailed);
  failed.cause = "earlier";
  // The record before, a stop asked for, whether the job holds its row.
  const std::tuple<JobStatus, bool, bool> cases[] = {
      {{}, false, false},
      {Status(JobState::kWaiting, alive), false, true},
      {Status(JobState::kRunning, alive), false, true},
      {Status(JobState::kRunning, gone), false, false},     // its owner died: ended
      {Status(JobState::kRunning, {1, ""}), false, false},  // a bare id, long silent: ended
      {Status(JobState::kWritten), false, false},
      {failed, true, false},                              // an old request is forgotten
      {Status(JobState::kStopped, alive), true, true},    // its queue has not reached it yet
      {Status(JobState::kStopped, alive), false, false},  // the queue passed it
      {Status(JobState::kStopped, gone), true, false}};   // the queue is gone
  const std::string video = "D:\\V\\a.avi", stop = StopRequestPath(RecordOf(video));
  for (const auto& [before, stop_requested, held] : cases)
    for (int way = 0; way < 3; ++way) {
      files_.files.clear();
      FakeRows rows(files_, {video});
      files_.files[RecordOf(video)] = FormatJobStatus(before);
      if (stop_requested) files_.files[stop] = "";
      const EncodeResult result = way == 0   ? EncodeSelection(rows, context_)
                                  : way == 1 ? EncodeWholeList(1, rows, kNone, context_)
                                             : MakeBatchFiles(rows, kNone, context_);
      const std::string said = FormatJobStatus(before) + " by " + std::to_string(way);
      EXPECT_EQ(result.refused.size(), held ? 1u : 0u) << said;
      EXPECT_EQ(files_.Exists("D:\\Conv\\batch\\a.bat"), !held) << said;
      JobStatus expected = before;
      // Waiting in the script the command started.
      if (!held && way < 2) expected = Status(JobState::kWaiting, result.started[0].process.Identity());
      if (!held) {
        expected.build = "qv1A2B";
        expected.video = video;
        expected.output = "D:\\Conv\\incoming\\a.mp4";
      }
      EXPECT_EQ(Stored(video), expected) << said;
      EXPECT_EQ(files_.Exists(stop), held && stop_requested) << said;
    }
}

// The changes a job's record takes, and those it refuses as they stand: nothing goes
// back to waiting but a claim, and a written or failed job stays so.
TEST(JobRecord, ChangesOnlyAlongTheLegalOnesAndSaysWhy) {
  using S = JobState;
  const std::tuple<S, S, bool> cases[] = {
      {S::kNone, S::kRunning, true},    {S::kWaiting, S::kRunning, true},  {S::kWritten, S::kRunning, true},
      {S::kRunning, S::kWritten, true}, {S::kWaiting, S::kWritten, false}, {S::kNone, S::kWritten, false},
      {S::kRunning, S::kFailed, true},  {S::kWritten, S::kFailed, false},  {S::kFailed, S::kFailed, false},
      {S::kWaiting, S::kStopped, true}, {S::kStopped, S::kStopped, true},  {S::kWritten, S::kStopped, false},
      {S::kFailed, S::kWaiting, false}, {S::kRunning, S::kNone, false}};
  testing::MemoryFileSystem files;
  const std::string path = "D:\\Conv\\temp\\a.1.job";
  for (const auto& [from, to, legal] : cases) {
    files.files[path] = FormatJobStatus(Status(from, {}, "qv1"));
    const JobChange changed = JobRecord(files, path, PathStyle::kWindows).Change(Status(to));
    EXPECT_EQ(changed.has_value(), legal) << JobStateWord(from) << " to " << JobStateWord(to);
    EXPECT_EQ(StoredJobStatus(files, path).state, legal ? to : from);
    if (legal) EXPECT_EQ(StoredJobStatus(files, path).build, "qv1");  // the build stays
    else EXPECT_EQ(JobChangeFailureText(changed.error()), "the job is " + JobStateWord(from) + " already");
  }
  files.unwritable.insert(path);
  const JobChange unwritten = JobRecord(files, path, PathStyle::kWindows).Change(testing::Job(JobState::kRunning, 50));
  ASSERT_FALSE(unwritten.has_value());
  EXPECT_EQ(JobChangeFailureText(unwritten.error()), "its record cannot be written: Cannot write " + path);
}

// What ended jobs left goes as a command starts, as their records tell; what a job
// that holds its row needs stays, so does what a script written but never run
// prepared, and nothing of the user's is ever taken for a job's.
TEST(RemoveLeftovers, ClearsWhatEndedJobsLeftAsTheirRecordsTell) {
  MemoryFileSystem files;
  // Every file a build may leave: its record and stop request, its log, its
  // intermediates and its tools' partial files.
  const std::pair<std::string, const char*> kinds[] = {
      {"job", "temp\\%s.7.job"},      {"stp", "temp\\%s.7.stp"},
      {"tmp", "temp\\%s.tmp"},        {"srt", "temp\\%s.srt"},
      {"avi2", "temp\\%s.avi2"},      {"264", "temp\\%s.264"},
      {"ssa", "temp\\%s.ssa"},        {"aac", "temp\\.%s.aac.5f3e"},
      {"part", "incoming\\.%s.part"}, {"a2", "incoming\\..%s.part.a2.mp4"}};
  const auto path = [](const char* pattern, const std::string& build) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, build.c_str());
    return "D:\\Conv\\" + std::string(name);
  };
  const ProcessIdentity alive = OwnProcess();
  const std::string all = "job stp tmp srt avi2 264 ssa aac part a2 ";
  // A build, its record (none: no job's), whether its tools ran, the kinds that stay.
  const std::tuple<std::string, std::optional<JobStatus>, bool, std::string> builds[] = {
      {"qvA", Status(JobState::kRunning, alive), true, all},
      {"qvB", Status(JobState::kNone), false, "job tmp srt ssa "},         // its script was written and never ran
      {"qvC", Status(JobState::kRunning, {alive.id, "x"}), true, "job "},  // killed
      {"qvD", std::nullopt, true, "ssa "},                                 // whose, nobody knows
      {"qvE", Status(JobState::kStopped, alive), false, all},              // waits in a live queue, stopped
      {"qvE2", Status(JobState::kStopped), false, "job "},                 // taken out of a cluster's queue: never runs
      {"qvF", Status(JobState::kWritten), true, "job "},
      {"qv10", Status(JobState::kWritten, alive), true, all}};  // its script still clears its files, moves its log
  for (auto [build, record, ran, kept] : builds) {
    for (const auto& [kind, pattern] : kinds)
      files.files[path(pattern, build)] = kind == "tmp" && ran ? "mencoder: running" : "";
    if (record) {
      record->video = "D:\\V\\" + build + ".avi", record->build = build;
      files.files[path("temp\\%s.7.job", build)] = FormatJobStatus(*record);
    } else {
      files.RemoveFile(path("temp\\%s.7.job", build)), files.RemoveFile(path("temp\\%s.7.stp", build));
    }
  }
  const Texts users{"D:\\Conv\\incoming\\qvD.mp4", "D:\\Conv\\incoming\\.qvD.mp4", "D:\\Conv\\temp\\qvD.txt",
                    "D:\\Conv\\temp\\encode_all.bat.progress"};
  for (const std::string& user : users) files.files[user] = "the user's";
  RemoveLeftovers(Workspace("D:\\Conv\\", PathStyle::kWindows), files);
  for (const auto& [build, record, ran, kept] : builds) {
    std::string stayed;
    for (const auto& [kind, pattern] : kinds)
      if (files.Exists(path(pattern, build))) stayed += kind + " ";
    EXPECT_EQ(stayed, kept) << build;
  }
  for (const std::string& user : users) EXPECT_TRUE(files.Exists(user)) << user;
}

// The record both ways: what is written reads back as it was, and what the reader
// cannot take is passed over rather than misread.
TEST(JobStatus, ReadsBackWhatIsWrittenAndPassesOverWhatItCannotTake) {
  const std::pair<std::string, std::string> cases[] = {
      // as read, as FormatJobStatus gives it back
      {"state=running\npercent=45\nfps=120.5\nleft=32\npid=77\nstarted=9@ab\nbuild=qv1\nvideo=/v/a b.avi\n",
       "state=running\npercent=45\nfps=120.5\nleft=32\npid=77\nstarted=9@ab\nbuild=qv1\nvideo=/v/a b.avi\n"},
      {"state=waiting\r\npid=12\r\n", "state=waiting\npid=12\n"},
      {"state=running\npercent=5\npid=0\nslurm=12_3\nnode=n2\n",
       "state=running\npercent=5\npid=0\nslurm=12_3\nnode=n2\n"},
      {"state=failed\ncause=[aac] No space left: a=b\n", "state=failed\ncause=[aac] No space left: a=b\n"},
      {"state=stopped\npercent=5\npid=3\n", "state=stopped\npid=3\n"},
      {"state=written\nnew-key=1\npid=3\nstarted=1\n", "state=written\npid=3\nstarted=1\n"},
      {"state=failed\npid=3\n", "state=failed\ncause=\n"},
      {"state=running\npercent=4x\nfps=1,5\nleft=\npid=-1\n", "state=running\npid=0\n"},
      {"state=exploded\nbuild=qv2\n", "state=\nbuild=qv2\n"},
      {"", "state=\n"}};
  for (const auto& [text, written] : cases) EXPECT_EQ(FormatJobStatus(ParseJobStatus(text)), written) << text;
  EXPECT_EQ(FormatJobStatus(testing::Job(JobState::kFailed, -1, -1, -1, "two\r\nlines")),
            "state=failed\ncause=two  lines\n");
  EXPECT_EQ(StopRequestPath("D:\\Conv\\temp\\a.b.job"), "D:\\Conv\\temp\\a.b.stp");
  EXPECT_EQ(JobRecordsLock("D:\\Conv\\temp\\a.b.job", PathStyle::kWindows), "D:\\Conv\\jobs.lock");
}

// A live record is believed while its owner runs: the very process, not one given its
// id later; an owner whose start is not known, only while the record is not silent.
TEST(JobStatus, ALiveRecordWhoseOwnerIsGoneEndsWithoutAResult) {
  const JobStatus running = Status(JobState::kRunning, {77, "5@x"}, "qv1"), waiting = Status(JobState::kWaiting),
                  written = Status(JobState::kWritten);
  JobStatus unknown = running, ended = Status(JobState::kFailed, {}, "qv1"), ended_unbuilt = Status(JobState::kFailed);
  unknown.owner.started.clear();
  ended.cause = ended_unbuilt.cause = kEndedWithoutResult;
  const std::tuple<JobStatus, bool, double, JobStatus> cases[] = {{running, true, 60, running},
                                                                  {running, false, 0, ended},
                                                                  {unknown, false, kSilentSeconds - 1, unknown},
                                                                  {unknown, false, kSilentSeconds, ended},
                                                                  {waiting, false, 60, ended_unbuilt},
                                                                  {written, false, 600, written}};
  for (const auto& [status, alive, silent, seen] : cases) EXPECT_EQ(AsSeen(status, alive, silent), seen) << silent;
  // A cluster job's owner is its Slurm task, whose word holds however silent the record.
  JobStatus on_cluster = unknown, cancelled = ended;
  on_cluster.slurm = cancelled.slurm = "12_3";
  cancelled.cause = "Slurm ended it: CANCELLED";
  EXPECT_EQ(AsSeen(on_cluster, true, 600), on_cluster);
  EXPECT_EQ(AsSeen(on_cluster, false, 0, cancelled.cause), cancelled);
  // Asked to stop long ago (a memory file's time is 1970) and live: Slurm is to end it.
  MemoryFileSystem files;
  const std::tuple<std::string, JobStatus, bool> records[] = {{"C:\\t\\overdue.job", on_cluster, true},
                                                              {"C:\\t\\unasked.job", on_cluster, false},
                                                              {"C:\\t\\local.job", unknown, true},
                                                              {"C:\\t\\ended.job", cancelled, true}};
  std::vector<std::string> paths;
  for (const auto& [path, status, asked] : records) {
    files.files[path] = FormatJobStatus(status);
    if (asked) files.files[StopRequestPath(path)] = "";
    paths.push_back(path);
  }
  EXPECT_EQ(OverdueClusterStops(files, paths), std::vector<std::string>{"12_3"});
  // The process itself, and not another of its id.
  EXPECT_TRUE(IsRunning(OwnProcess()));
  EXPECT_FALSE(IsRunning({OwnProcess().id, "another start"}));
  EXPECT_FALSE(IsRunning({1, ""}));
}

// Slurm's answers as the record takes them, and the submission as sbatch gets it.
TEST(SlurmCluster, ReadsSlurmsWordAndSubmitsTheJobScriptsAsArguments) {
  const auto queue =
      ParseSlurmQueue("12_0|RUNNING|None|n2\n12_1|PENDING|JobArrayTaskLimit|\n12_2|TIMEOUT|None|n1\nbad\n");
  ASSERT_EQ(queue.size(), 3u);
  EXPECT_EQ(queue.at("12_0").life, SlurmWord::Life::kLive);
  EXPECT_EQ(queue.at("12_0").node, "n2");
  EXPECT_EQ(queue.at("12_1").reason, "JobArrayTaskLimit");
  EXPECT_EQ(queue.at("12_2").life, SlurmWord::Life::kEnded);
  const SlurmWord job = ParseSlurmJob("JobId=13 ArrayJobId=12 JobState=COMPLETING Reason=TimeLimit BatchHost=n1\n");
  EXPECT_EQ(job.state + " " + job.reason + " " + job.node, "COMPLETING TimeLimit n1");
  const std::pair<SlurmWord, std::string> causes[] = {
      {job, "Slurm ended it: TIMEOUT (its time limit passed)"},
      {ParseSlurmJob("JobState=COMPLETING Reason=None"), "Slurm ended it: CANCELLED (cancelled)"},
      {queue.at("12_2"), "Slurm ended it: TIMEOUT (its time limit passed)"},
      {ParseSlurmJob("JobState=NODE_FAIL Reason=NodeDown"), "Slurm ended it: NODE_FAIL (its node failed, NodeDown)"},
      {{SlurmWord::Life::kEnded, "", "", ""}, "Slurm ended it: its Slurm job is no longer known"}};
  for (const auto& [word, cause] : causes) EXPECT_EQ(SlurmEndCause(word), cause);

  const std::pair<std::string, std::vector<std::string>> options[] = {
      {"", {}},
      {" -p video  --time=2:00:00 ", {"-p", "video", "--time=2:00:00"}},
      {"--comment=\"two words\" -A\tlab", {"--comment=two words", "-A", "lab"}}};
  for (const auto& [line, words] : options) EXPECT_EQ(SlurmOptionWords(line), words) << line;
  SlurmSubmission submission{
      "/c/batch/slurm_task.sh", {"/c/batch/a b.sh", "/c/batch/$(x).sh"}, 2, {"--array=9"}, "/c/", "11"};
  EXPECT_EQ(
      SbatchArguments(submission),
      (std::vector<std::string>{"sbatch", "--job-name=clipvane", "--array=9", "--dependency=afterany:11", "--parsable",
                                "--array=0-1%2", "--requeue", "--output=/dev/null", "--error=/dev/null", "--chdir=/c/",
                                "/c/batch/slurm_task.sh", "/c/batch/a b.sh", "/c/batch/$(x).sh"}));
}

// The run's power action goes ahead once, after its last job, and never once held.
TEST(PowerRun, IsTakenOnceAfterTheLastJobAndNeverOnceHeld) {
  testing::MemoryFileSystem files;
  const Workspace workspace("D:\\Conv\\", PathStyle::kWindows);
  const std::string job = "D:\\Conv\\temp\\a.1.job";
  PowerRun run(files, workspace);
  EXPECT_TRUE(run.Take());  // a script run by hand: no run on record
  run.Start(PowerAction::kShutdown, {job});
  testing::SayJob(files, job, Status(JobState::kRunning));
  EXPECT_FALSE(run.Take());  // its last job still runs: that queue's end takes it
  files.files[job] = "state=written\n";
  EXPECT_TRUE(run.Take());
  EXPECT_FALSE(run.Take());  // the other queue's end
  EXPECT_FALSE(run.Hold());  // too late
  run.Start(PowerAction::kSuspend, {job});
  EXPECT_TRUE(run.Hold());  // during the wait after the last job
  EXPECT_FALSE(run.Take());
  run.Start(PowerAction::kNone, {job});
  EXPECT_FALSE(files.Exists(workspace.PowerRunFile()));
}

TEST(JudgeResult, BelievesOnlyANewMp4WithOneVideoAndOneAudioTrackOfTheSourcesLength) {
  const TrackSummary source{true, 1, 1, 60.0};
  const std::tuple<bool, TrackSummary, TrackSummary, JobOutcome> cases[] = {
      // a new file?, source, result
      {true, source, {true, 1, 1, 60.9}, JobOutcome::kWritten},
      {true, {true, 1, 1, 0}, {true, 1, 1, 3}, JobOutcome::kWritten},  // a source of unknown length
      {false, source, {true, 1, 1, 60}, JobOutcome::kNoNewResult},
      {true, source, {false, 0, 0, 0}, JobOutcome::kUnreadable},
      {true, source, {true, 2, 2, 60}, JobOutcome::kVideoTracks},  // two jobs muxed into one file
      {true, source, {true, 2, 1, 60}, JobOutcome::kVideoTracks},  // one track too many of each kind
      {true, source, {true, 1, 2, 60}, JobOutcome::kAudioTracks},
      {true, source, {true, 1, 0, 60}, JobOutcome::kAudioTracks},      // video only
      {true, source, {true, 1, 1, 58.9}, JobOutcome::kLengthDiffers},  // cut short
      {true, {true, 1, 1, 0}, {true, 1, 1, 0}, JobOutcome::kLengthDiffers}};
  for (const auto& [new_file, from, result, outcome] : cases)
    EXPECT_EQ(JudgeResult(new_file, from, result), outcome) << result.seconds << " " << result.video_tracks;
}

// The reason is the cause: the weightiest line a tool or the system wrote, not what
// the encoder said last as it gave up; else the last line that says anything.
TEST(CauseLine, NamesTheFirstCauseTheToolsGaveOrElseTheirLastWords) {
  const std::pair<std::string, std::string> cases[] = {
      {"mencoder: running ffmpeg -i '/v/not found.avi'\nInput #0, avi, from '/v/not found.avi':\n"
       "mencoder: cannot read the subtitle file /t/qv1.smi; encoding without it\n"
       "[aac] av_interleaved_write_frame(): No space left on device\nError writing trailer: No space left on device\n"
       "mencoder: ffmpeg ended with status 1\nmencoder: nothing written to /t/qv1.avi\n",
       "[aac] av_interleaved_write_frame(): No space left on device"},
      {"Stream map '0:a:0' matches no streams.\nTo ignore this, add a trailing '?' to the map.\n",
       "Stream map '0:a:0' matches no streams."},
      // A cause a tool named outright comes before a note that reads like one.
      {"mencoder: cannot read the subtitle file /t/a b.smi; encoding without it\nmencoder: nothing written to "
       "/t/qv1.avi\nmencoder: cause: [Parsed_crop_0] Invalid too big\n",
       "[Parsed_crop_0] Invalid too big"},
      {"mencoder: running ffmpeg -i '/v/x: cause: y.avi'\nlast words\n", "last words"},
      {"Pos:  1.0s  25f ( 50%)\r", ""},
      {"", ""},
      {"  last words  \nPos: 2.0s\r\n\n", "last words"}};
  for (const auto& [log, line] : cases) EXPECT_EQ(CauseLine(log), line);
}

}  // namespace
}  // namespace clipvane
