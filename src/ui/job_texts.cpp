#include "ui/job_texts.h"

#include <cstdio>

#include "base/text.h"
#include "platform/text_encoding.h"

namespace clipvane {

std::string JobProgressText(const JobStatus& status, bool stopping) {
  // A stopping job's last percentage (often 100, as FFmpeg ends) would tell of work that will not be kept.
  if (stopping && IsLive(status.state)) return {};
  if (status.state == JobState::kWaiting) return Utf8ToAnsi(u8"대기");
  if (status.state != JobState::kRunning) return {};
  // A job on a cluster names the node it runs on.
  const std::string node = status.node.empty() ? std::string() : status.node + ": ";
  if (status.percent < 0) return node + Utf8ToAnsi(u8"진행 중");
  std::string text = node + std::to_string(status.percent) + "%";
  if (status.fps >= 0) {
    char fps[32];
    std::snprintf(fps, sizeof fps, " %.0ffps", status.fps);
    text += fps;
  }
  if (status.seconds_left >= 0 && status.percent < 100)
    text += " " + ClockText(status.seconds_left) + Utf8ToAnsi(u8" 남음");
  return text;
}

std::string JobResultText(const JobStatus& status, bool stopping) {
  if (stopping && IsLive(status.state)) return Utf8ToAnsi(u8"중지 중");
  switch (status.state) {
    case JobState::kWritten: return Utf8ToAnsi(u8"완료");
    case JobState::kStopped: return Utf8ToAnsi(u8"중지됨");
    case JobState::kFailed: return Utf8ToAnsi(u8"실패: ") + FailureReason(status.cause);
    default: return {};
  }
}

std::string FailureReason(const std::string& cause) {
  // The weightiest first, as the cause line itself is chosen (runs/job_outcome.h).
  static const struct {
    const char* said;
    const char* reason;
  } kReasons[] = {
      {"no space left", u8"디스크 공간이 부족합니다"},
      {"disk quota", u8"디스크 공간이 부족합니다"},
      {"file too large", u8"파일이 너무 큽니다"},
      {"read-only file system", u8"쓸 수 없는 디스크입니다"},
      {"did not start", u8"인코딩 배치 파일을 실행하지 못했습니다"},
      {"ended by signal", u8"작업이 강제로 끝났습니다"},
      {kEndedWithoutResult, u8"작업이 결과 없이 끝났습니다"},
      {"slurm ended it", u8"Slurm이 작업을 끝냈습니다"},
      {"is not recognized", u8"인코더 프로그램을 찾지 못했습니다"},
      {"cannot start", u8"인코더 프로그램을 실행하지 못했습니다"},
      {"matches no streams", u8"동영상에 영상이나 소리가 없습니다"},
      {"permission denied", u8"파일에 접근할 권한이 없습니다"},
      {"access is denied", u8"파일에 접근할 권한이 없습니다"},
      {"name too long", u8"파일 이름이 너무 깁니다"},
      {"not as long as the video", u8"만든 MP4의 길이가 동영상과 다릅니다"},
      {"not one video track", u8"만든 MP4에 영상이 제대로 들어가지 않았습니다"},
      {"not one audio track", u8"만든 MP4에 소리가 제대로 들어가지 않았습니다"},
      {"mp4 cannot be read", u8"만든 MP4를 읽을 수 없습니다"},
      {"mediainfo.dll", u8"MediaInfo.dll을 쓸 수 없어 결과를 확인하지 못했습니다"},
      {"invalid data", u8"동영상 파일이 손상되었습니다"},
      {"no such file", u8"파일을 찾지 못했습니다"},
      {"not found", u8"파일이나 프로그램을 찾지 못했습니다"},
      {"cannot open", u8"파일을 열지 못했습니다"},
      {"cannot read", u8"파일을 읽지 못했습니다"},
      {"cannot write", u8"파일을 쓰지 못했습니다"},
  };
  const std::string lower = AsciiLower(cause);
  for (const auto& [said, reason] : kReasons)
    if (lower.find(said) != std::string::npos) return Utf8ToAnsi(reason);
  return Utf8ToAnsi(u8"인코딩하지 못했습니다");
}

std::string RunTotalsText(const RunCounts& counts, int seconds_left) {
  std::string text = Utf8ToAnsi(u8"완료 ") + std::to_string(counts.written);
  if (counts.failed > 0) text += Utf8ToAnsi(u8", 실패 ") + std::to_string(counts.failed);
  if (counts.stopped > 0) text += Utf8ToAnsi(u8", 중지 ") + std::to_string(counts.stopped);
  text += " / " + std::to_string(counts.total);
  if (seconds_left >= 0) text += Utf8ToAnsi(u8", 남은 시간 ") + ClockText(seconds_left);
  return text;
}

std::string RunEndedText(int written, int failed, int stopped) {
  return Utf8ToAnsi(u8"인코딩이 끝났습니다 (완료 ") + std::to_string(written) + Utf8ToAnsi(u8", 실패 ") +
         std::to_string(failed) + Utf8ToAnsi(u8", 중지 ") + std::to_string(stopped) + ")";
}

Notice CloseWhileRunningQuestion() {
  return {Utf8ToAnsi(u8"인코딩 중인 작업이 있습니다.\r\r창을 닫은 뒤에도 작업을 계속할까요?"), Utf8ToAnsi(u8"알림")};
}

std::vector<std::string> CloseWhileRunningAnswers() {
  return {Utf8ToAnsi(u8"계속 실행"), Utf8ToAnsi(u8"모두 중지"), Utf8ToAnsi(u8"닫지 않음")};
}

}  // namespace clipvane
