#include <algorithm>
#include <functional>
#include <set>
#include <gtest/gtest.h>

#include "session/session.h"
#include "platform/file_system.h"
#include "platform/ini_profile.h"
#include "platform/text_encoding.h"
#include "runs/encode_commands.h"
#include "settings/settings_store.h"
#include "support/program_folder.h"
#include "ui/main_window_model.h"
#include "ui/file_information.h"
#include "ui/notices.h"
#include "ui/options_dialog_model.h"
#include "ui/job_texts.h"
#include "ui/run_follower.h"

namespace clipvane::testing {
namespace {

// The program folder of the support, and a session over it.
class UiFixture : public ::testing::Test, public ProgramFolder {
 protected:
  std::string Sep() const { return std::string(1, Separator(kNativePathStyle)); }
  std::string BatchFile(const std::string& name) const {
    return temp / ("batch" + Sep() + name + ScriptExtension(kNativeScriptDialect));
  }
  // The program's start over these rows, once the folder is set up.
  void Start(const std::vector<std::string>& rows = {}) {
    StartOver(rows, "C:\\Fonts");
    session = std::make_unique<Session>(*program, services);
  }

  CoreServices services{files, shell, library};
  std::unique_ptr<Session> session;
};

using M = MenuCommand;
using Texts = std::vector<std::string>;

Texts TextsOf(const std::vector<Notice>& notices) {
  Texts texts;
  for (const Notice& notice : notices) texts.push_back(AnsiToUtf8(notice.text));
  return texts;
}

// The rows a command left out, in the product's words: a selection tells each in a box
// of its own and those beyond the four started together; a whole list tells each
// reason in one box and starts every row it can.
TEST(Notices, AnEncodeResultIsToldAsTheProductAlwaysHas) {
  EncodeResult result;
  result.refused = {{"D:\\gone.avi", RefusalReason::kFileMissing},
                    {"D:\\broken.avi", RefusalReason::kNoPicture},
                    {"D:\\a.mp4", RefusalReason::kSourceIsOutput},
                    {"D:\\b.mp4", RefusalReason::kSourceIsOutput},
                    {"D:\\notes.avi", RefusalReason::kNoVideoStream},
                    {"D:\\dot.avi", RefusalReason::kPictureTooSmall},
                    {"D:\\encode_all.avi", RefusalReason::kRunScriptName},
                    {"D:\\x.avi", RefusalReason::kCannotScript},
                    {"D:\\v.avi", RefusalReason::kAlreadyRunning},
                    {"D:\\5.avi", RefusalReason::kNotStarted},
                    {"D:\\6.avi", RefusalReason::kNotStarted}};
  result.refused[7].detail = "Access is denied.";
  const std::string same = u8"변환할 동영상이 결과 파일과 같은 파일이라 건너뜁니다: D:\\",
                    no_picture = u8"동영상 정보를 구하지 못해 건너뜁니다: D:\\broken.avi",
                    no_video = u8"영상이 없는 파일이라 건너뜁니다: D:\\notes.avi",
                    too_small = u8"화면이 너무 작아(가로세로 16 픽셀 미만) 건너뜁니다: D:\\dot.avi",
                    run_name =
                        u8"배치 파일 이름이 일괄 인코딩 배치 파일과 같아 건너뜁니다. 동영상 파일 이름을 바꿔 주세요.",
                    not_scripted = u8"인코딩 배치 파일을 만들지 못해 건너뜁니다: Access is denied.",
                    running = u8"이미 인코딩 중입니다.";
  EXPECT_EQ(
      TextsOf(SelectionNotices(result)),
      (Texts{u8"D:\\gone.avi\r\r선택한 파일이 존재하지 않습니다.", no_picture, same + "a.mp4", same + "b.mp4", no_video,
             too_small, "D:\\encode_all.avi\r\r" + run_name, "D:\\x.avi\r\r" + not_scripted, "D:\\v.avi\r\r" + running,
             u8"한 번에 4개까지만 인코딩합니다. 다음 동영상은 시작하지 않았습니다:\r\rD:\\5.avi\rD:\\6.avi"}));
  EXPECT_EQ(SelectionNotices(result)[0].caption, Utf8ToAnsi(u8"알림"));
  result.written = true;
  EXPECT_EQ(TextsOf(WholeListNotices(result, true, ScriptDialect::kWindowsBatch)),
            (Texts{same + "a.mp4\r" + same + "b.mp4", no_picture + "\r" + no_video + "\r" + too_small,
                   "D:\\encode_all.avi: " + run_name, "D:\\x.avi: " + not_scripted, "D:\\v.avi: " + running,
                   u8"인코딩을 위한 배치파일(.bat)들이 생성되었습니다."}));
  EXPECT_TRUE(WholeListNotices(EncodeResult{}, true, kNativeScriptDialect).empty());  // nothing written, nothing said
}

// Writes down what the model asks of its window, with the state shown at that moment.
class RecordingView : public MainWindowView {
 public:
  explicit RecordingView(const std::unique_ptr<MainWindowModel>& model) : model_(model) {}
  Texts events;
  void RowsChanged() override { events.push_back("rows"); }
  void StateChanged() override { events.push_back(model_->ListEnabled() ? "state" : "state busy"); }
  void StatusChanged() override { events.push_back(model_->StatusText()); }
  void Breathe() override {
    events.push_back("breathe");
    if (on_breathe) on_breathe();
  }
  std::function<void()> on_breathe;  // what the user does while the window breathes
  void ShowFileInformation(const std::string& report) override { events.push_back("report " + report); }
  void JobsChanged() override { events.push_back("jobs"); }

 private:
  const std::unique_ptr<MainWindowModel>& model_;
};

class MainWindowModelTest : public UiFixture {
 protected:
  // `rows` videos v0.avi... in list.log, the window created over them, `selected` selected;
  // the jobs an earlier window started (which never ran) forgotten.
  void Create(int rows, int selected = 0) {
    ForgetStartedJobs(files, workspace);
    shell.opened.clear();
    std::vector<std::string> paths;
    for (int i = 0; i < rows; ++i) paths.push_back(Video("v" + std::to_string(i) + ".avi"));
    Start(paths);
    model = std::make_unique<MainWindowModel>(*session, opener, dialogs, picker);
    model->Attach(view);
    follower = std::make_unique<RunFollower>(*session, notifier);
    model->AttachFollower(*follower);
    model->Created();
    for (int row = 0; row < selected; ++row) model->RowStateChanged(static_cast<std::size_t>(row), true, false);
    view.events.clear();
  }
  std::string StatusFile(int row) { return JobRecordPath(Video("v" + std::to_string(row) + ".avi"), workspace); }
  // Writes a row's status as its tools would, in a process that lives.
  void Say(int row, const JobStatus& status) { SayJob(files, StatusFile(row), status); }
  // Each row's marker, progress and result, after the window's timer looked.
  std::string Look() {
    model->FollowJobs();
    std::string shown;
    for (std::size_t row = 0; row < session->List().RowCount(); ++row)
      shown += session->List().Row(row).encoded_marker + "|" + AnsiToUtf8(follower->ProgressText(row)) + "|" +
               AnsiToUtf8(follower->ResultText(row)) + ";";
    return shown;
  }
  std::unique_ptr<MainWindowModel> model;
  RecordingView view{model};
  std::unique_ptr<RunFollower> follower;
};

TEST_F(MainWindowModelTest, StartButtonAndMenuFollowTheSelection) {
  // Of none selected, all enable the start button; the menu then offers only the list
  // commands, the script folder and what sits in the batch submenu. Rows `first`... are
  // selected; stop selected takes a live job of a selected row, stop all any live job.
  struct Case {
    int rows, selected;
    bool start_enabled;
    std::set<M> disabled;
    int first = 0;
    std::set<int> live = {};
  };
  const Case cases[] = {
      {0, 0, true, {M::kOpenWithLinkedProgram, M::kDelete, M::kMakeBatchFiles, M::kEncodeSelection, M::kEncodeAllMenu}},
      {10, 0, false, {M::kOpenWithLinkedProgram, M::kDelete, M::kEncodeSelection}},
      {10, 4, true, {}},
      {10, 5, false, {M::kEncodeSelection}},
      {10, 10, true, {M::kEncodeSelection}},  // all selected still means at most 4 directly
      {3, 1, true, {M::kStopSelected}, 1, {0, 2}},
      {3, 1, true, {}, 1, {1}}};
  for (auto [rows, selected, start_enabled, disabled, first, live] : cases) {
    disabled.insert(M::kOpenLog);                                        // no job left its log
    if (live.empty()) disabled.insert({M::kStopSelected, M::kStopAll});  // none runs
    Create(rows);
    for (int row = first; row < first + selected; ++row)
      model->RowStateChanged(static_cast<std::size_t>(row), true, false);
    for (int row : live) Say(row, Job(row == 2 ? JobState::kRunning : JobState::kWaiting));  // both live
    model->Run(M::kRefresh);  // a change of the list, also when it is empty
    model->MenuOpening();
    EXPECT_EQ(model->StartButton(),
              (StartButtonState{start_enabled, Utf8ToAnsi(u8"시작 (") + std::to_string(selected) + ")"}));
    for (std::size_t i = 0; i < kMenuCommandCount; ++i)
      EXPECT_EQ(model->IsEnabled(static_cast<M>(i)), !disabled.count(static_cast<M>(i)))
          << selected << " of " << rows << " from " << first << ", " << live.size() << " live, " << i;
  }
}

// The creation makes the folders and chooses no power action; the menu's states last
// until it opens again. A double click probes the selected row and shows its report, and
// a missing library is told once.
TEST_F(MainWindowModelTest, CreationMenuStatesAndTheDoubleClick) {
  Create(3);
  EXPECT_EQ(model->StartButton(), (StartButtonState{false, Utf8ToAnsi(u8"시작")}));  // as designed, no count
  EXPECT_TRUE(files.IsDirectory(temp / "incoming") && files.IsDirectory(temp / "batch") &&
              model->IsChecked(M::kNothingAfterwards) && model->IsEnabled(M::kEncodeSelection));
  model->DoubleClicked();  // nothing selected: nothing happens
  model->MenuOpening();    // nothing selected: Del is disabled until the next opening
  model->RowStateChanged(1, true, true);
  model->Run(M::kDelete);
  EXPECT_EQ(model->List().RowCount(), 3u);
  model->RowStateChanged(1, true, false);
  EXPECT_FALSE(model->List().FocusedRow().has_value());
  model->RowStateChanged(7, true, true);                       // a row the list does not have
  EXPECT_EQ(view.events, (Texts{"state", "state", "state"}));  // a selection repaints no row
  view.events.clear();
  model->DoubleClicked();
  ASSERT_EQ(view.events.size(), 4u);
  EXPECT_EQ(Texts(view.events.begin(), view.events.begin() + 3), (Texts{"checking v1.avi", "checked v1.avi", "rows"}));
  EXPECT_NE(view.events[3].find("width : 640 pixels\r\n"), std::string::npos) << view.events[3];
  model->MenuOpening();
  model->Run(M::kDelete);
  EXPECT_EQ(model->List().RowCount(), 2u);
  library.problem = MediaInfoProblem::kMissing;
  library.reports.clear();  // the library reads nothing then
  model->Run(M::kRefresh);  // two rows to probe, one box
  EXPECT_EQ(dialogs.shown, std::vector<Notice>{MediaInfoNotice(MediaInfoProblem::kMissing)});
}

// A script the shell could not start is told in a box with the system's words: a
// video's job by the video, a whole-list run by its run script.
TEST_F(MainWindowModelTest, TheStartButtonEncodesTheSelectionOrTheWholeListAndTellsAScriptThatDidNotStart) {
  // Few, all selected: directly, without the power action; five of six: nothing; all of
  // many: the single queue.
  for (const auto& [rows, selected, opened] :
       {std::tuple{3, 3, Texts{"v0", "v1", "v2"}}, {6, 5, Texts{}}, {10, 10, Texts{"encode_all"}}}) {
    Create(rows, selected);
    model->Run(M::kShutdownAfterwards);
    model->StartClicked();
    Texts expected;
    for (const std::string& name : opened) expected.push_back(BatchFile(name));
    EXPECT_EQ(shell.opened, expected) << rows << " rows, " << selected << " selected";
  }
  EXPECT_TRUE(dialogs.shown.empty());
  Create(1, 1);
  shell.fails = true;
  model->StartClicked();
  model->MenuOpening();
  model->Run(M::kEncodeAllSingle);
  const std::string not_started = u8"인코딩 배치 파일을 실행하지 못했습니다: cmd: not found";
  EXPECT_EQ(TextsOf(dialogs.shown), (Texts{AnsiToUtf8(Video("v0.avi")) + "\r\r" + not_started,
                                           AnsiToUtf8(BatchFile("encode_all")) + ": " + not_started}));
}

TEST_F(MainWindowModelTest, AWholeListRunKeepsTheListBusyShowsItsStepsAndThenSaysSo) {
  Create(2);
  model->Run(M::kMakeBatchFiles);
  const std::string ext = ScriptExtension(kNativeScriptDialect);
  EXPECT_EQ(view.events,
            (Texts{"state busy", "checking v0.avi", "checked v0.avi", "created v0" + ext, "breathe", "checking v1.avi",
                   "checked v1.avi", "created v1" + ext, "breathe", "state", "rows", "state"}));
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_EQ(dialogs.shown,
            (std::vector<Notice>{{Utf8ToAnsi(u8"인코딩을 위한 배치파일(" + ext + u8")들이 생성되었습니다."),
                                  Utf8ToAnsi(u8"알림")}}));  // .sh on Linux
  files.RemoveFile(BatchFile("encode_all"));
  files.MakeFolders(BatchFile("encode_all"));  // a folder where the script goes: the write fails
  model->Run(M::kEncodeAllSingle);
  EXPECT_EQ(dialogs.Last().icon, Notice::Icon::kError);
  EXPECT_TRUE(model->ListEnabled() && model->IsEnabled(M::kMakeBatchFiles));
}

TEST_F(MainWindowModelTest, ThePowerActionEndsTheQueuesAndFoldersVideosAndTheWebPageOpenThroughTheDesktop) {
  Create(5, 1);
  model->Run(M::kSuspendAfterwards);
  model->Run(M::kShutdownAfterwards);
  EXPECT_TRUE(model->IsChecked(M::kShutdownAfterwards));
  EXPECT_FALSE(model->IsChecked(M::kSuspendAfterwards) || model->IsChecked(M::kNothingAfterwards));
  model->Run(M::kEncodeAllFourQueues);
  EXPECT_EQ(shell.opened.size(), 4u);  // which queue gets which row: tests/runs
  EXPECT_NE(files.ReadWholeFile(BatchFile("encode_all")).value_or("").find("shutdown"), std::string::npos);
  model->OutputFolderClicked();
  model->Run(M::kOpenBatchFolder);
  model->Run(M::kOpenWithLinkedProgram);
  model->WebPageClicked();
  // The folders by their full paths: a relative one would depend on the current folder.
  EXPECT_EQ(opener.opened,
            (Texts{temp / "incoming", temp / "batch", temp / "videos" + Sep() + "v0.avi", kMakerWebPage}));
  opener.fails = true;  // no program on the desktop opens it: said, not ignored
  model->Run(M::kOpenBatchFolder);
  EXPECT_EQ(dialogs.Last(), NotOpenedNotice(temp / "batch", ""));
  EXPECT_EQ(model->OutputFolderHint(), OutputFolderButton().hint + "\n" + temp / "incoming");
  session->EditSettings().settings.outputfolder = temp / "MP4";  // chosen, and not there yet
  session->SaveSettings();
  model->OutputFolderClicked();
  EXPECT_TRUE(files.IsDirectory(temp / "MP4"));
}

// A folder gives the videos in it and below it, its own files before its folders,
// each in name order; the status bar tells the search, then what was added and what
// was left out, which a video's subtitle is not. A stop ends the add where it is; the
// empty list says how to add.
TEST_F(MainWindowModelTest, AddedFoldersAreSearchedInNameOrderAndClosingWritesTheList) {
  Create(0);
  EXPECT_EQ(model->EmptyListHint().back(), Utf8ToAnsi(u8"변환 기기: iPod touch와 iPhone (설정에서 바꿀 수 있습니다)"));
  for (const char* name : {"b.avi", "a.avi", "notes.txt", "0/c.mkv", "0/1/e.jpg", "0/1/d.avi", "0/1/d.smi",
                           "0/1/2/g.txt", "0/1/2/f.avi", "z/h.avi"}) {
    std::string path = temp / "videos/" + name;
    std::replace(path.begin(), path.end(), '/', Sep()[0]);
    files.MakeFolders(FolderPart(path, kNativePathStyle));
    files.ReplaceWholeFile(path, "video");
  }
  view.on_breathe = [&] { model->StopAdding(); };
  model->ItemsDropped({temp / "videos"});
  EXPECT_EQ(view.events,
            (Texts{"state busy", SearchingText({ProgressStep::Kind::kSearching, temp / "videos"}), "breathe", "state",
                   "rows", "state", Utf8ToAnsi(u8"추가를 멈췄습니다. 동영상 0개를 추가했습니다.")}));
  view.on_breathe = nullptr;
  const std::string readme = temp.WriteFile("readme.txt", "x");
  model->ItemsDropped({temp / "videos", readme});
  EXPECT_EQ(AnsiToUtf8(view.events.back()), u8"동영상 6개를 추가했습니다. 건너뛴 파일 4개: notes.txt, e.jpg, g.txt, …");
  EXPECT_TRUE(model->EmptyListHint().empty());
  // The buttons' dialogs: the folder again, whose videos are there already, and files.
  picker.folder.paths = {temp / "videos"};
  model->AddFolderClicked();
  EXPECT_EQ(
      AnsiToUtf8(view.events.back()),
      u8"동영상 0개를 추가했습니다. 이미 목록에 있는 동영상 6개는 그대로 둡니다. 건너뛴 파일 3개: notes.txt, e.jpg, "
      u8"g.txt");
  model->Closing();  // writes the rows, in the order of their adding (which tests/cli pins)
  const std::string list_log = files.ReadWholeFile(workspace.ListFile()).value_or("");
  EXPECT_EQ(std::count(list_log.begin(), list_log.end(), '\n'), 6);
  // A row added and started is listed at once, where the command line finds it and its
  // job; not only when the window closes.
  picker.files = {{Video("dropped.avi")}, {u8"Caf\u00E9.avi"}};
  model->Run(M::kAddFiles);
  EXPECT_EQ(dialogs.Last(), NamesOutsideCodePageNotice({u8"Caf\u00E9.avi"}));
  model->RowStateChanged(6, true, false);
  model->StartClicked();
  EXPECT_EQ(files.ReadWholeFile(workspace.ListFile()), list_log + Video("dropped.avi") + "\r\n");
  EXPECT_EQ(picker.asked, (Texts{AddFolderDialogTitle(), AddFilesDialogTexts({}).title}));
}

// The windows' words for a job, from its status: the columns, the status bar and
// the notification.
TEST(JobTexts, SayHowAJobStandsAndWhyItFailedInKorean) {
  const auto failed = [](const char* cause) { return Job(JobState::kFailed, -1, -1, -1, cause); };
  const std::pair<JobStatus, const char*> cases[] = {
      {{}, "|"},
      {Job(JobState::kWaiting), u8"대기|"},
      {Job(JobState::kRunning), u8"진행 중|"},
      {Job(JobState::kRunning, 45, 119.6, 32), u8"45% 120fps 0:32 남음|"},
      {Job(JobState::kRunning, 100, -1, 0), u8"100%|"},
      {Job(JobState::kWritten), u8"|완료"},
      {Job(JobState::kStopped), u8"|중지됨"},
      {failed("[aac @ 0x1] No space left on device"), u8"|실패: 디스크 공간이 부족합니다"},
      {failed(kEndedWithoutResult), u8"|실패: 작업이 결과 없이 끝났습니다"},
      {failed("mp4creator: the MP4 is not as long as the video: it has 1 video and 1 audio tracks"),
       u8"|실패: 만든 MP4의 길이가 동영상과 다릅니다"},
      {failed("mencoder: cannot open the input file /v/a.avi"), u8"|실패: 파일을 열지 못했습니다"},
      {failed("did not start: sh: No such file or directory"), u8"|실패: 인코딩 배치 파일을 실행하지 못했습니다"},
      {failed("something new"), u8"|실패: 인코딩하지 못했습니다"}};
  for (const auto& [status, shown] : cases)
    EXPECT_EQ(AnsiToUtf8(JobProgressText(status)) + "|" + AnsiToUtf8(JobResultText(status)), shown) << status.cause;
  EXPECT_EQ(AnsiToUtf8(RunTotalsText({3, 1, 1, 6}, 80)), u8"완료 3, 실패 1, 중지 1 / 6, 남은 시간 1:20");
  EXPECT_EQ(AnsiToUtf8(RunTotalsText({0, 0, 1, 2}, -1)), u8"완료 0, 중지 1 / 2");
  EXPECT_EQ(AnsiToUtf8(RunEndedText(3, 0, 1)), u8"인코딩이 끝났습니다 (완료 3, 실패 0, 중지 1)");
}

// The run's time left: its longest queue's, its running job's own and for each waiting
// one as long as a running one takes, never the queues' sum.
TEST(RunSecondsLeft, IsTheLongestQueuesWithItsWaitingJobsAtTheRunningOnesPace) {
  const auto in = [](const JobStatus& status, std::uint32_t queue) { return QueuedStatus{status, {queue, "1"}}; };
  const JobStatus waiting = Job(JobState::kWaiting), half = Job(JobState::kRunning, 50, -1, 30),
                  quarter_left = Job(JobState::kRunning, 75, -1, 10);  // 60 and 40 seconds a job: 50 on average
  const std::pair<std::vector<QueuedStatus>, int> cases[] = {
      {{in(half, 1)}, 30},
      {{in(half, 1), in(waiting, 1), in(waiting, 1)}, 30 + 2 * 60},
      {{in(half, 1), in(waiting, 1), in(quarter_left, 2), in(waiting, 2), in(waiting, 2)}, 10 + 2 * 50},
      // Running jobs not known to their queues: the longest goes with the longest queue.
      {{in(quarter_left, 8), in(half, 7), in(waiting, 1), in(waiting, 2), in(waiting, 2)}, 30 + 2 * 50},
      {{in(half, 1), in(quarter_left, 1)}, 30},
      {{in(Job(JobState::kRunning), 1), in(waiting, 1)}, -1},  // a job that does not tell its time
      {{in(Job(JobState::kRunning, 0, -1, 0), 1), in(waiting, 1)}, -1},
      {{in(waiting, 1)}, -1}};
  for (const auto& [live, seconds] : cases) EXPECT_EQ(RunSecondsLeft(live), seconds) << live.size();
}

// The jobs of the listed rows as their status files tell, whoever wrote them.
TEST_F(MainWindowModelTest, ShowsWhatEveryJobSaysWithTheRunsTotalsAndTellsTheEndOnce) {
  Create(3);
  // A result of an earlier run shows, and starts no run.
  Say(2, Job(JobState::kWritten));
  EXPECT_EQ(Look(), u8"||;||;||완료;");
  EXPECT_EQ(model->RunTotals(), "");
  Say(0, Job(JobState::kWaiting));
  Say(1, Job(JobState::kRunning, 45, 119.6, 32));
  Say(2, Job(JobState::kWaiting));
  view.events.clear();
  EXPECT_EQ(Look(), u8"|대기|;|45% 120fps 0:32 남음|;|대기|;");
  EXPECT_EQ(view.events, (Texts{"jobs", "state"}));
  EXPECT_EQ(AnsiToUtf8(model->RunTotals()), u8"완료 0 / 3, 남은 시간 2:28");
  EXPECT_TRUE(model->StopButton().enabled);
  Look();
  EXPECT_EQ(view.events, (Texts{"jobs", "state", "state"}));  // nothing new to show
  temp.WriteFile("incoming" + Sep() + "v0.mp4", "mp4");
  Say(0, Job(JobState::kWritten));
  Say(1, Job(JobState::kFailed, -1, -1, -1, "[aac @ 0x1] No space left on device"));
  Say(2, Job(JobState::kStopped));
  EXPECT_EQ(Look(), u8"*||완료;||실패: 디스크 공간이 부족합니다;||중지됨;");
  EXPECT_EQ(follower->ResultDetail(1), "[aac @ 0x1] No space left on device");
  EXPECT_EQ(Look(), u8"*||완료;||실패: 디스크 공간이 부족합니다;||중지됨;");
  EXPECT_EQ(notifier.told, Texts{"Clipvane: " + RunEndedText(1, 1, 1)});
  EXPECT_EQ(AnsiToUtf8(model->RunTotals()), u8"완료 1, 실패 1, 중지 1 / 3");  // until the next run
  EXPECT_FALSE(model->StopButton().enabled);
}

// Stop, the close question and the log, through the window's model. (Never started
// twice: tests/runs.)
TEST_F(MainWindowModelTest, AJobInHandStopsOnRequestAndHoldsTheWindowOpen) {
  Create(2, 1);
  model->StartClicked();
  EXPECT_EQ(AnsiToUtf8(follower->ProgressText(0)), u8"대기");  // at once, before the job itself says anything
  // Closing asks while a job runs: stay, keep it running, or stop it.
  const auto may_close = [&](CloseAnswer answer) {
    return dialogs.choice = static_cast<int>(answer), model->MayClose();
  };
  EXPECT_FALSE(may_close(CloseAnswer::kStay));
  EXPECT_EQ(dialogs.Last(), CloseWhileRunningQuestion());
  EXPECT_TRUE(may_close(CloseAnswer::kKeepRunning));
  EXPECT_TRUE(model->AnyJobRunning());
  // The stop button stops the selected row's job: one still waiting is stopped at once.
  model->StopClicked();
  EXPECT_EQ(Look(), u8"||중지됨;||;");
  const std::string stop = StopRequestPath(StatusFile(0));
  EXPECT_TRUE(files.Exists(stop));                       // for its tools, should its turn come
  EXPECT_FALSE(files.Exists(workspace.PowerRunFile()));  // one job stopped: a power action chosen for the run stands
  // Its turn came: its failure steps took the request back. Started again, the row's
  // job runs anew; stopping everything at closing stops it too.
  files.RemoveFile(stop);
  model->StartClicked();
  EXPECT_EQ(shell.opened.size(), 2u);
  // A running job says it stops from the request until its record says it stopped.
  Say(0, Job(JobState::kRunning, 100, -1, 0));
  model->StopClicked();
  EXPECT_EQ(Look(), u8"||중지 중;||;");
  EXPECT_TRUE(may_close(CloseAnswer::kStopAll));
  Say(0, Job(JobState::kStopped));
  EXPECT_EQ(Look(), u8"||중지됨;||;");
  EXPECT_EQ(files.ReadWholeFile(workspace.PowerRunFile()), "state=held\n");  // no power action follows the run
  const std::size_t boxes = dialogs.shown.size();
  EXPECT_TRUE(model->MayClose());  // nothing runs: no question
  EXPECT_EQ(dialogs.shown.size(), boxes);
  // The log its job left opens with the desktop's program.
  const std::string log = temp.WriteFile("batch" + Sep() + "v0.log", "mencoder: stopped\n");
  model->MenuOpening();
  model->Run(M::kOpenLog);
  EXPECT_EQ(opener.opened, Texts{log});
}

class OptionsDialogModelTest : public UiFixture {
 protected:
  void Create(const std::string& settings = "") {
    temp.WriteFile("MP4.ini", "[default]\r\n" + settings);
    Start();
    model =
        std::make_unique<OptionsDialogModel>(*session, OptionsServices{avisynth, fonts, dialogs}, [this] { ++loads; });
    model->Load();
  }
  std::string Saved(const char* key) { return program->ini->ReadString("default", key, "-"); }
  std::string FontList() {
    std::string list;
    for (const std::string& font : model->SubtitleLists().fonts) list += font + ";";
    return list + " [" + std::to_string(model->SubtitleLists().font_index) + "]";
  }
  std::string SizeRange() { return model->SubtitleLists().sizes.front() + ".." + model->SubtitleLists().sizes.back(); }

  FakeAviSynth avisynth;
  ListedFonts fonts{{"Tahoma", "@Gulim", "Gulim", "arial", "TAHOMA", "Two Words"},
                    {{"Verdana (TrueType)", "verdana.ttf"},
                     {"Gulim & GulimChe (TrueType)", "gulim.ttc"},
                     {"Hidden (TrueType)", ""},
                     {"Courier 10,12,15", "coure.fon"},
                     {"arial(TrueType)", "arial.ttf"}}};
  int loads = 0;
  std::unique_ptr<OptionsDialogModel> model;
};

TEST_F(OptionsDialogModelTest, ShowsTheStoredChoicesAndOkSavesThem) {
  Create("qulity=7\r\ndisplay=1\r\nsubtitlesync=1\r\ntitle=" + Utf8ToAnsi(u8"내 변환기") + "\r\n");
  EXPECT_EQ(WindowTitle(program->settings), Utf8ToAnsi(u8"내 변환기 v1.4"));  // the main window's
  // A quality outside the list: nothing selected, the low description.
  EXPECT_EQ(std::tuple(model->Controls().qulity, model->Controls().display, model->Controls().subtitlesync),
            std::tuple(-1, 1, true));
  EXPECT_EQ(model->QualityText(), QualityDescription(2));
  EXPECT_TRUE(dialogs.shown.empty());  // a load sets the sync box without the warning
  model->SubtitleSyncClicked(false);
  model->SubtitleSyncClicked(true);  // only ticking it warns
  EXPECT_EQ(dialogs.shown, std::vector<Notice>{SubtitleSyncNotice()});
  model->QualityChosen(0);
  model->SizeChosen(6);
  model->CancelClicked();  // a size picked meanwhile is not used
  EXPECT_EQ(program->settings.plainsizeindex, 2);
  model->SubtitleClicked(false);
  EXPECT_FALSE(model->SubtitleControlsEnabled());
  // The video extension field: refused with a warning, saving nothing, until it names extensions.
  EXPECT_EQ(model->Controls().videofileext, kDefaultVideoExtensions);
  model->VideoExtensionsEdited(".avi, mp4");
  EXPECT_FALSE(model->OkClicked());
  EXPECT_EQ(dialogs.Last(), VideoExtensionsNotice());
  EXPECT_EQ(Saved("qulity"), "7");
  model->VideoExtensionsEdited("AVI, xyz");
  model->OutputFolderEdited("MP4");  // the output folder likewise, until it is a full path
  EXPECT_FALSE(model->OkClicked());
  EXPECT_EQ(dialogs.Last(), OutputFolderNotice());
  model->BrowseOutputFolderClicked(temp / "MP4");
  model->KeepSubfoldersClicked(true);
  EXPECT_TRUE(model->OkClicked());
  // Saved, the disabled controls with their values, and the settings loaded again; the
  // list takes the new extensions and puts its MP4s in the new folder at once; a key
  // the user left alone stays as the file had it (here: absent).
  EXPECT_EQ(Saved("qulity") + "|" + Saved("needsubtitle") + "|" + Saved("fontsize") + "|" + Saved("videofileext") +
                "|" + Saved("keepsubfolders"),
            "0|0|-|AVI, xyz|1");
  EXPECT_EQ(session->OutputFolder(), temp / "MP4");
  EXPECT_EQ(program->startup.videoexts, (Texts{"avi", "xyz"}));
  EXPECT_EQ(loads, 2);
}

TEST_F(OptionsDialogModelTest, The640FrameOnNanoKeepsTheDialogOpenUntilChangedAndAFailedWriteIsTold) {
  Create("display=3\r\nplatform=1\r\n");
  EXPECT_EQ(dialogs.shown, std::vector<Notice>{WideFrameNotice()});
  EXPECT_FALSE(model->OkClicked());  // told again
  model->DisplayChosen(2);
  EXPECT_TRUE(model->OkClicked());
  EXPECT_EQ(Saved("display") + std::to_string(dialogs.shown.size()), "22");
  files.RemoveFile(workspace.SettingsFile());
  files.MakeFolders(workspace.SettingsFile());  // a folder where MP4.ini goes: the failed write is told
  model->DisplayChosen(1);
  EXPECT_TRUE(model->OkClicked());
  EXPECT_EQ(dialogs.Last().icon, Notice::Icon::kError);
}

TEST_F(OptionsDialogModelTest, TheColourRouteNeedsAviSynthAndTakesSizesThatFollowTheDevice) {
  avisynth.existing.insert(workspace.Bin() + Sep() + "Avisynth_257.exe");
  Create("colorsubtitle=1\r\n");  // no AviSynth: the load asks, and the answer is No
  EXPECT_EQ(dialogs.shown, std::vector<Notice>{AviSynthQuestion()});
  EXPECT_FALSE(model->Controls().colorsubtitle);
  EXPECT_TRUE(program->settings.colorsubtitle);  // until the dialog is confirmed
  model->ColourSubtitleClicked(true);            // a click asks again
  EXPECT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(SizeRange(), "2..9");
  avisynth.Install("C:\\AviSynth\\plugins");
  model->ColourSubtitleClicked(true);
  EXPECT_TRUE(dialogs.shown.size() == 2u && model->Controls().colorsubtitle);
  EXPECT_EQ(session->AviSynthPluginDir(), "C:\\AviSynth\\plugins" + Sep());
  EXPECT_EQ(SizeRange(), "12..26");
  EXPECT_EQ(model->SubtitleLists().sizes[static_cast<std::size_t>(model->SubtitleLists().size_index)], "16");
  model->PlatformChosen(1);
  EXPECT_EQ(SizeRange(), "6..20");
  EXPECT_EQ(model->SubtitleLists().size_index, 2);
}

// The subtitle classes and the sound languages of the selected video, the languages
// named in Korean where common; the file's information lists its tracks with them.
TEST_F(OptionsDialogModelTest, TheLanguageListsOfferTheSelectedVideosClassesAndSoundLanguages) {
  Create("platform=2\r\nsubtitleclass=encc\r\naudiolanguage=English\r\n");
  const auto lists = [this] {
    std::string shown;
    for (const std::string& item : model->SubtitleClassItems()) shown += AnsiToUtf8(item) + ";";
    shown += " [" + std::to_string(model->SubtitleClassIndex()) + "] ";
    for (const std::string& item : model->AudioLanguageItems()) shown += AnsiToUtf8(item) + ";";
    return shown + " [" + std::to_string(model->AudioLanguageIndex()) + "]";
  };
  EXPECT_EQ(lists(), u8"자동;한국어;영어; [2] 자동;한국어;영어; [2]");
  temp.WriteFile("videos" + Sep() + "drama.smi", "<SYNC Start=1><P Class=KRCC>a<P Class=JPCC>b<P Class=enCC>c\r\n");
  const std::string drama = Video("drama.mkv");
  library.reports[drama] +=
      "\nAudio #1\nFormat : AC-3\nLanguage : Japanese\nDefault : Yes\n\nAudio #2\nLanguage : Korean\n\n"
      "Audio #3\nTitle : Commentary\nLanguage : Thai\n\nText\nFormat : UTF-8\nLanguage : Korean\nForced : Yes\n";
  session->List().AddVideo(drama);
  session->List().SetSelected(0, true);
  model->Load();  // with the selected video's classes and languages
  EXPECT_EQ(lists(), u8"자동;한국어;영어;JPCC; [2] 자동;한국어;영어;일본어;thai; [2]");
  model->SubtitleClassChosen(3);
  model->AudioLanguageChosen(4);
  EXPECT_TRUE(model->OkClicked());
  EXPECT_EQ(Saved("subtitleclass") + Saved("platform") + Saved("audiolanguage"), "JPCC2thai");
  const std::string shown = AnsiToUtf8(FileInformationText(session->Probe(0).facts)),
                    tracks =
                        u8"음성 트랙\r\n  1. 일본어, ac-3, 기본\r\n  2. 한국어\r\n  3. thai, \"commentary\"\r\n"
                        u8"자막 트랙\r\n  1. 한국어, utf-8, 강제\r\n\r\nvideo\r\n";
  EXPECT_EQ(shown.substr(0, tracks.size()), tracks);
}

TEST_F(OptionsDialogModelTest, FontListsShowTheInstalledFontsAndAPickIsSavedAsFileOrFace) {
  // Plain: registry names cut at "&" and "(TrueType)", sorted, files without data left
  // out. Colour: "Default" and each family once, without the vertical "@" names.
  Create("fontname=GULIM.TTC,Two Words\r\n");
  EXPECT_EQ(FontList(), "arial;Courier 10,12,15;Gulim ;Verdana ; [2]");
  model->FontChosen(3);
  avisynth.Install("C:\\AviSynth\\plugins");
  model->ColourSubtitleClicked(true);
  EXPECT_EQ(FontList(), "arial;Default;Gulim;Tahoma;Two Words; [4]");
  model->FontChosen(1);
  EXPECT_TRUE(model->OkClicked());
  EXPECT_EQ(Saved("fontname"), "verdana.ttf,Default");
  Create("fontname=missing.ttf,Missing\r\n");  // not installed: the first item, and it stays configured
  EXPECT_EQ(FontList(), "arial;Courier 10,12,15;Gulim ;Verdana ; [0]");
  EXPECT_TRUE(model->OkClicked());
  EXPECT_EQ(Saved("fontname"), "missing.ttf,Missing");
  // Fonts known to hold Hangul come first, each part in its order, and a configured
  // font that is not there gives way to the first of them in its plain face.
  fonts.values.insert(fonts.values.end(), {{"Batang Bold", "batangbd.ttf"}, {"Batang", "batang.ttf"}});
  fonts.hangul = {"Batang Bold", "Batang", "Gulim & GulimChe (TrueType)", "GULIM", "Two Words"};
  Create("fontname=missing.ttf,Two Words\r\n");
  EXPECT_EQ(FontList(), "Batang Bold;Batang;Gulim ;arial;Courier 10,12,15;Verdana ; [1]");
  model->ColourSubtitleClicked(true);
  EXPECT_EQ(FontList(), "Gulim;Two Words;arial;Default;Tahoma; [1]");
  EXPECT_TRUE(model->OkClicked());
  EXPECT_EQ(Saved("fontname"), "batang.ttf,two words");
}

}  // namespace
}  // namespace clipvane::testing
