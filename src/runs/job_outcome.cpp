#include "runs/job_outcome.h"

#include <cmath>
#include <vector>

#include "base/text.h"
#include "platform/text_encoding.h"

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

std::string JobOutcomeText(JobOutcome outcome) {
  switch (outcome) {
    case JobOutcome::kWritten: return "written";
    case JobOutcome::kNoNewResult: return "no MP4 was written";
    case JobOutcome::kUnreadable: return "the MP4 cannot be read";
    case JobOutcome::kVideoTracks: return "the MP4 has not one video track";
    case JobOutcome::kAudioTracks: return "the MP4 has not one audio track";
    case JobOutcome::kLengthDiffers: return "the MP4 is not as long as the video";
    case JobOutcome::kSoundStartDiffers: return "the MP4's sound does not begin where the video's does";
  }
  return {};
}

std::string LastMeaningfulLine(const std::string& log) {
  const std::vector<std::string> lines = NonEmptyLines(log);
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    const std::string said = TrimBlanks(*line);
    if (!said.empty() && said.rfind("Pos:", 0) != 0) return said;
  }
  return {};
}

namespace {

constexpr char kCauseMark[] = ": cause: ";

}  // namespace

std::string CauseNamed(const std::string& tool, const std::string& cause) { return tool + kCauseMark + cause; }

std::string CauseLine(const std::string& log) {
  // What the system and the tools say when something outside the job is wrong, the
  // weightiest first: the disk, a missing program or file, a stream the source lacks,
  // the rights, a name; then any file that could not be used.
  static const char* const kCauses[] = {
      "no space left",     "disk quota",    "file too large", "read-only file system", "not found",
      "is not recognized", "cannot start",  "no such file",   "matches no streams",    "permission denied",
      "access is denied",  "name too long", "cannot open",    "cannot read",           "cannot write"};
  std::vector<std::pair<std::string, std::string>> said;  // each line, and in lower case
  std::string named;
  for (const std::string& line : NonEmptyLines(log)) {
    const std::string text = TrimBlanks(line);
    const std::size_t mark = text.find(kCauseMark);
    // Only a tool's own word (no blank in its name) names a cause.
    if (mark != std::string::npos && mark > 0 && text.find(' ') > mark)
      named = text.substr(mark + std::char_traits<char>::length(kCauseMark));
  }
  if (!named.empty()) return named;
  for (const std::string& line : NonEmptyLines(log)) {
    // The command lines the encoder shows and the files FFmpeg names hold file names,
    // which may read like anything.
    const std::string text = TrimBlanks(line);
    if (text.rfind("mencoder: running", 0) == 0 || text.rfind("Input #", 0) == 0 || text.rfind("Output #", 0) == 0)
      continue;
    said.emplace_back(text, AsciiLower(text));
  }
  for (const char* cause : kCauses)
    for (const auto& [text, lower] : said)
      if (lower.find(cause) != std::string::npos) return text;
  return LastMeaningfulLine(log);
}

}  // namespace clipvane
