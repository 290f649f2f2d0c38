#include "runs/job_outcome.h"

#include <cmath>

#include "common/text.h"

namespace clipvane {

JobOutcome JudgeResult(bool written_by_this_run, const TrackSummary& source, const TrackSummary& result) {
  if (!written_by_this_run) return JobOutcome::kNoNewResult;
  if (!result.read) return JobOutcome::kUnreadable;
  if (result.video_tracks != 1) return JobOutcome::kVideoTracks;
  if (result.audio_tracks != 1) return JobOutcome::kAudioTracks;
  if (result.seconds <= 0) return JobOutcome::kLengthDiffers;
  if (source.seconds > 0 && std::fabs(result.seconds - source.seconds) > kLengthTolerance)
    return JobOutcome::kLengthDiffers;
  return JobOutcome::kWritten;
}

std::string LastMeaningfulLine(const std::string& log) {
  std::string last;
  std::size_t start = 0;
  while (start < log.size()) {
    std::size_t end = log.find_first_of("\r\n", start);
    if (end == std::string::npos) end = log.size();
    const std::string line = TrimBlanks(log.substr(start, end - start));
    if (!line.empty() && line.rfind("Pos:", 0) != 0) last = line;
    start = end + 1;
  }
  return last;
}

}  // namespace clipvane
