#include <gtest/gtest.h>

#include <algorithm>

#include "runs/encode_commands.h"
#include "runs/job_outcome.h"
#include "runs/job_status.h"
#include "runs/leftovers.h"
#include "runs/run_scripts.h"
#include "support/fakes.h"
#include "support/memory_file_system.h"
#include "platform/system_services.h"

namespace clipvane {

namespace {

using Texts = std::vector<std::string>;
constexpr auto kNone = PowerAction::kNone;
using testing::MemoryFileSystem;

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
                                             "D:\\Conv\\batch\\c.bat", "D:\\Conv\\temp\\c.job"}));
  // Each job waits in the process its script became.
  EXPECT_EQ(files_.files.at("D:\\Conv\\temp\\c.job"), "state=waiting\npid=1002\n");
  EXPECT_EQ(rows.probed, (std::vector<std::size_t>{0, 2, 3, 4}));  // the fifth selected row is not looked at
  EXPECT_EQ(result.refused, (std::vector<Refusal>{{"D:\\V\\f.avi", RefusalReason::kNotStarted, 5}}));
  EXPECT_EQ(result.steps, forwarded_);
}

// One bad row stops nothing else: each is named with its reason, the others are
// scripted and started, by both kinds of command.
TEST_F(EncodeCommandsTest, VideosWithoutAJobAreRefusedWithTheirReasonAndTheOthersGoOn) {
  FakeRows rows(files_, {"D:\\Videos\\gone.avi", "D:\\Videos\\Encode_All.avi", "D:\\Videos\\locked.avi",
                         "D:\\Videos\\here.avi", "D:\\Videos\\busy.avi", "D:\\Videos\\queued.avi"});
  files_.files.erase("D:\\Videos\\gone.avi");
  files_.unwritable.insert("D:\\Conv\\batch\\locked.bat");
  // A job that runs now is not started again, nor one stopped while it waited in a
  // queue that has not reached it yet; a stop asked of an ended run is forgotten.
  const std::uint32_t alive = NativeProcessList().OwnProcessId();
  files_.files["D:\\Conv\\temp\\busy.job"] = FormatJobStatus({JobState::kRunning, -1, -1, -1, "", alive});
  files_.files["D:\\Conv\\temp\\queued.job"] = FormatJobStatus({JobState::kWaiting, -1, -1, -1, "", alive});
  ASSERT_TRUE(RequestStop(files_, "D:\\Conv\\temp\\queued.job"));
  EXPECT_EQ(ReadJobStatus(files_, "D:\\Conv\\temp\\queued.job").state, JobState::kStopped);  // at once
  files_.files["D:\\Conv\\temp\\here.stp"] = "";
  Refusal cannot_write{"D:\\Videos\\locked.avi", RefusalReason::kCannotScript, 2};
  cannot_write.detail = "Cannot write D:\\Conv\\batch\\locked.bat";
  const std::vector<Refusal> refused{{"D:\\Videos\\gone.avi", RefusalReason::kFileMissing, 0},
                                     {"D:\\Videos\\Encode_All.avi", RefusalReason::kRunScriptName, 1},
                                     cannot_write,
                                     {"D:\\Videos\\busy.avi", RefusalReason::kAlreadyRunning, 4},
                                     {"D:\\Videos\\queued.avi", RefusalReason::kAlreadyRunning, 5}};
  const EncodeResult selection = EncodeSelection(rows, context_);
  EXPECT_EQ(selection.refused, refused);
  EXPECT_EQ(Scripts(selection), Texts{"D:\\Conv\\batch\\here.bat"});
  EXPECT_FALSE(files_.Exists("D:\\Conv\\temp\\here.stp"));
  EXPECT_FALSE(files_.Exists("D:\\Conv\\batch\\busy.bat"));
  EXPECT_FALSE(files_.Exists("D:\\Conv\\batch\\Encode_All.bat"));
  // Of two queues, only the one that got a job is opened.
  const EncodeResult whole = EncodeWholeList(2, rows, PowerAction::kShutdown, context_);
  EXPECT_EQ(whole.refused, refused);
  EXPECT_EQ(Scripts(whole), Texts{"D:\\Conv\\batch\\encode_al2.bat"});
  EXPECT_EQ(files_.files.at("D:\\Conv\\temp\\here.job"), "state=waiting\npid=1002\n");  // in its queue
  // A script that does not start fails its jobs.
  shell_.fails = true;
  EncodeSelection(rows, context_);
  EXPECT_EQ(files_.files.at("D:\\Conv\\temp\\here.job"), "state=failed\ncause=did not start: cmd: not found\n");
}

// One MP4, one job, whatever command wrote it: of the listed videos that make one MP4
// only the one it was made from, or else the first, may write it; the others are
// refused naming that row, selected or not, and get no script.
TEST_F(EncodeCommandsTest, AVideoWhoseMp4AnotherListedRowMakesIsRefused) {
  FakeRows rows(files_,
                {"D:\\Videos\\good.avi", "D:\\Other\\GOOD.wmv", "D:\\Videos\\else.avi", "D:\\Videos\\c\\good.avi"},
                {false, true, true, true});
  const EncodeResult selection = EncodeSelection(rows, context_);
  const auto same_as = [](const std::string& path, std::size_t row, const std::string& owner, std::size_t owner_row) {
    return Refusal{path, RefusalReason::kSameResult, row, owner, owner_row};
  };
  EXPECT_EQ(selection.refused,
            (std::vector<Refusal>{same_as("D:\\Other\\GOOD.wmv", 1, "D:\\Videos\\good.avi", 0),
                                  same_as("D:\\Videos\\c\\good.avi", 3, "D:\\Videos\\good.avi", 0)}));
  EXPECT_EQ(Scripts(selection), Texts{"D:\\Conv\\batch\\else.bat"});
  // The MP4 standing now was made from the fourth row's video, as its job noted.
  files_.files["D:\\Conv\\incoming\\good.mp4"] = "mp4";
  files_.files["D:\\Conv\\incoming\\.sources\\good.mp4.txt"] = "D:\\Videos\\c\\good.avi\n";
  const EncodeResult whole = EncodeWholeList(2, rows, PowerAction::kNone, context_);
  EXPECT_EQ(whole.refused, (std::vector<Refusal>{same_as("D:\\Videos\\good.avi", 0, "D:\\Videos\\c\\good.avi", 3),
                                                 same_as("D:\\Other\\GOOD.wmv", 1, "D:\\Videos\\c\\good.avi", 3)}));
  EXPECT_EQ(files_.files.at("D:\\Conv\\batch\\encode_all.bat"),
            "call \"D:\\Conv\\batch\\else.bat\"\r\ncall \"D:\\Conv\\batch\\good.bat\"\r\n");
  EXPECT_NE(files_.files.at("D:\\Conv\\batch\\good.bat").find("D:\\Videos\\c\\good.avi"), std::string::npos);
}

// What ended jobs left goes as a command starts; what a running or waiting job needs
// stays, and nothing of the user's is ever taken for a job's.
TEST(RemoveLeftovers, ClearsEndedJobsAndKeepsRunningAndWaitingOnes) {
  MemoryFileSystem files;
  const Workspace workspace("D:\\Conv\\", PathStyle::kWindows);
  const auto put = [&](const std::string& path, const std::string& bytes = "") {
    files.files["D:\\Conv\\" + path] = bytes;
  };
  // qvA runs (a tool names its file); qvB waits (empty log, its script written); qvC
  // ran and was killed; qvD belongs to no script; qvE runs in a queue between tools.
  for (const char* job : {"qvA", "qvB", "qvC", "qvD", "qvE"}) {
    put("temp\\" + std::string(job) + ".tmp", std::string(job) == "qvC" ? "mencoder: running" : "");
    put("temp\\" + std::string(job) + ".smi");
    put("temp\\" + std::string(job) + ".avi");
  }
  for (const char* path :
       {"temp\\.qvD.avi.5f3e", "incoming\\.qvD.part", "incoming\\..qvD.part.a1", "incoming\\..qvD.part.a2.mp4"})
    put(path);
  const Texts users{"D:\\Conv\\incoming\\qvD.mp4", "D:\\Conv\\incoming\\.qvD.mp4", "D:\\Conv\\temp\\qvD.ssa",
                    "D:\\Conv\\temp\\qvD.avs", "D:\\Conv\\temp\\encode_all.bat.progress"};
  for (const std::string& path : users) files.files[path] = "the user's";
  put("batch\\b.bat", "\"D:\\Conv\\bin\\mencoder.exe\" -o \"D:\\Conv\\temp\\qvB.avi\"\r\n");
  put("batch\\c.bat", "2> \"D:\\Conv\\temp\\qvC.tmp\"\r\n");
  put("batch\\e.bat", "del \"D:\\Conv\\incoming\\.qvE.part\"\r\n");
  put("batch\\encode_all.bat", "call \"D:\\Conv\\batch\\e.bat\"\r\n");
  testing::FakeProcessList processes;
  processes.Running("mencoder.exe", 1, 0, "mencoder.exe -o D:\\Conv\\temp\\qvA.avi");
  processes.Running("cmd.exe", 1, 0, "cmd.exe /c \"\"D:\\Conv\\batch\\encode_all.bat\" \"");
  processes.Running("notepad.exe");  // unreadable, and none of ours
  const std::vector<std::string> ours{"mencoder.exe", "mp4creator.exe", "cmd.exe", "ffmpeg.exe"};
  Texts removed = RemoveLeftovers(workspace, ScriptDialect::kWindowsBatch, files, processes, ours);
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (Texts{"D:\\Conv\\incoming\\..qvD.part.a1", "D:\\Conv\\incoming\\..qvD.part.a2.mp4",
                            "D:\\Conv\\incoming\\.qvD.part", "D:\\Conv\\temp\\.qvD.avi.5f3e", "D:\\Conv\\temp\\qvB.avi",
                            "D:\\Conv\\temp\\qvC.avi", "D:\\Conv\\temp\\qvC.smi", "D:\\Conv\\temp\\qvC.tmp",
                            "D:\\Conv\\temp\\qvD.avi", "D:\\Conv\\temp\\qvD.smi", "D:\\Conv\\temp\\qvD.tmp"}));
  for (const std::string& path : users) EXPECT_TRUE(files.Exists(path)) << path;
  // A process of ours whose command line cannot be read might be running anything.
  put("temp\\qvF.avi");
  processes.Running("mp4creator.exe");
  EXPECT_TRUE(RemoveLeftovers(workspace, ScriptDialect::kWindowsBatch, files, processes, ours).empty());
}

// The status file both ways: what a tool writes reads back as it was, and what the
// reader cannot take is passed over rather than misread.
TEST(JobStatus, ReadsBackWhatIsWrittenAndPassesOverWhatItCannotTake) {
  EXPECT_EQ(ParseJobStatus("state=running\npercent=45\nfps=120.5\nleft=32\npid=77\n"),
            (JobStatus{JobState::kRunning, 45, 120.5, 32, "", 77}));
  const std::pair<std::string, std::string> cases[] = {
      // as read, as FormatJobStatus gives it back
      {"state=running\npercent=45\nfps=120.5\nleft=32\npid=77\n",
       "state=running\npercent=45\nfps=120.5\nleft=32\npid=77\n"},
      {"state=waiting\r\npid=12\r\n", "state=waiting\npid=12\n"},
      {"state=failed\ncause=[aac] No space left: a=b\n", "state=failed\ncause=[aac] No space left: a=b\n"},
      {"state=stopped\npercent=5\npid=3\n", "state=stopped\npid=3\n"},
      {"state=written\nnew-key=1\n", "state=written\n"},
      {"state=running\npercent=4x\nfps=1,5\nleft=\npid=-1\n", "state=running\npid=0\n"},
      {"state=exploded\n", "state=\n"},
      {"", "state=\n"}};
  for (const auto& [text, written] : cases) EXPECT_EQ(FormatJobStatus(ParseJobStatus(text)), written) << text;
  EXPECT_EQ(FormatJobStatus(JobStatus{JobState::kFailed, -1, -1, -1, "two\r\nlines", 0}),
            "state=failed\ncause=two  lines\n");
  EXPECT_EQ(StopRequestPath("D:\\Conv\\temp\\a.b.job"), "D:\\Conv\\temp\\a.b.stp");
}

// A live status whose process has gone is believed only for a while; an ended one stands.
TEST(JobStatus, ALiveStatusWhoseProcessIsGoneEndsWithoutAResultOnceItIsSilent) {
  const JobStatus running{JobState::kRunning, 40, -1, -1, "", 0}, waiting{JobState::kWaiting, -1, -1, -1, "", 0};
  const JobStatus written{JobState::kWritten, -1, -1, -1, "", 0},
      ended{JobState::kFailed, -1, -1, -1, kEndedWithoutResult, 0};
  const std::tuple<JobStatus, bool, double, JobStatus> cases[] = {{running, true, 60, running},
                                                                  {running, false, kSilentSeconds - 1, running},
                                                                  {running, false, kSilentSeconds, ended},
                                                                  {waiting, false, 60, ended},
                                                                  {written, false, 600, written}};
  for (const auto& [status, alive, silent, seen] : cases) EXPECT_EQ(AsSeen(status, alive, silent), seen) << silent;
}

TEST(JudgeResult, BelievesOnlyANewMp4WithOneVideoAndOneAudioTrackOfTheSourcesLength) {
  const TrackSummary source{true, 1, 1, 60.0};
  const std::tuple<bool, TrackSummary, TrackSummary, JobOutcome> cases[] = {
      // a new file?, source, result
      {true, source, {true, 1, 1, 60.9}, JobOutcome::kWritten},
      {true, {true, 1, 1, 0}, {true, 1, 1, 3}, JobOutcome::kWritten},  // a source of unknown length
      {false, source, {true, 1, 1, 60}, JobOutcome::kNoNewResult},
      {true, source, {false, 0, 0, 0}, JobOutcome::kUnreadable},
      {true, source, {true, 2, 2, 60}, JobOutcome::kVideoTracks},      // two jobs muxed into one file
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
      {"Pos:  1.0s  25f ( 50%)\r", ""},
      {"", ""},
      {"  last words  \nPos: 2.0s\r\n\n", "last words"}};
  for (const auto& [log, line] : cases) EXPECT_EQ(CauseLine(log), line);
}

}  // namespace
}  // namespace clipvane
