#pragma once
#include <string>

#include "runs/job_record.h"
#include "ui/notices.h"

namespace clipvane {

// What the windows say of jobs, in ANSI: the progress and result columns, the status
// bar during a run and the notification at its end, all from the job-status channel.

// The progress column: "45% 120fps 0:32 남음" (as much as is known), "진행 중" for a
// job that has not said how far it is, "대기" for one waiting in a queue; empty
// otherwise, and for a live job asked to stop (`stopping`).
std::string JobProgressText(const JobStatus& status, bool stopping = false);

// The result column: "완료", "실패: " with the reason in Korean, "중지됨"; "중지 중" for a
// live job asked to stop; empty while the job is live otherwise or when it never ran.
std::string JobResultText(const JobStatus& status, bool stopping = false);

// Why a job failed, in Korean, from the cause line its tools left in its log (their
// own words, which the result's tool tip shows as they are).
std::string FailureReason(const std::string& cause);

// How the jobs of a run stand: how many ended each way, of how many.
struct RunCounts {
  int written = 0, failed = 0, stopped = 0, total = 0;
};

// The status bar during and after a run: "완료 3, 실패 1, 중지 1 / 6, 남은 시간 1:20",
// without a failed or stopped count of 0, and without the time when it is not known (-1).
std::string RunTotalsText(const RunCounts& counts, int seconds_left);

// The desktop's notification at the end of a run.
std::string RunEndedText(int written, int failed, int stopped);

// What closing the window with jobs running asks, and its three answers in order:
// keep them running, stop them all, stay.
Notice CloseWhileRunningQuestion();
std::vector<std::string> CloseWhileRunningAnswers();
enum class CloseAnswer { kKeepRunning = 0, kStopAll = 1, kStay = 2 };

}  // namespace clipvane
