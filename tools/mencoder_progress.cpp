#include "mencoder_progress.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace clipvane::tools {

ProgressLines::ProgressLines(double duration_seconds, std::ostream& out, bool terminal)
    : duration_(duration_seconds), out_(out), terminal_(terminal) {}

void ProgressLines::Feed(const std::string& chunk) {
  pending_ += chunk;
  std::size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    // A Windows pipe may end the lines with CR LF.
    const std::string line = pending_.substr(0, end > 0 && pending_[end - 1] == '\r' ? end - 1 : end);
    pending_.erase(0, end + 1);
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) Take(line.substr(0, equals), line.substr(equals + 1));
  }
}

void ProgressLines::TakeReportLine(const std::string& line) {
  const std::size_t at = line.find("Duration: ");
  int hours = 0, minutes = 0;
  double seconds = 0;
  if (duration_ <= 0 && at != std::string::npos &&
      std::sscanf(line.c_str() + at + 10, "%d:%d:%lf", &hours, &minutes, &seconds) == 3) {
    duration_ = hours * 3600.0 + minutes * 60.0 + seconds;
  }
}

void ProgressLines::Take(const std::string& key, const std::string& value) {
  // Values are "N/A" until ffmpeg knows them; atof reads those as 0.
  if (key == "frame") frames_ = std::atol(value.c_str());
  else if (key == "fps") fps_ = std::atof(value.c_str());
  else if (key == "out_time_us") position_ = std::max(0.0, std::atof(value.c_str()) / 1e6);
  else if (key == "total_size") bytes_ = std::atof(value.c_str());
  else if (key == "speed") speed_ = std::atof(value.c_str());
  else if (key == "progress") Print(value == "end");
}

void ProgressLines::Finish(long frames, double seconds, double bytes) {
  frames_ = frames;
  position_ = seconds;
  bytes_ = bytes;
  Print(true);
}

void ProgressLines::Print(bool finished) {
  int percent = 0;
  if (finished) {
    percent = 100;
  } else if (duration_ > 0) {
    percent = std::min(99, static_cast<int>(position_ * 100 / duration_));
  }
  const double remaining = duration_ > position_ && speed_ > 0 ? (duration_ - position_) / speed_ : 0;
  const double expected_bytes = position_ > 0 && duration_ > 0 ? bytes_ / position_ * duration_ : bytes_;
  char line[160];
  std::snprintf(line, sizeof line, "Pos:%6.1fs %6ldf (%3d%%) %6.2ffps Trem:%4dmin %4dmb", position_, frames_, percent,
                fps_, static_cast<int>(remaining / 60), static_cast<int>(expected_bytes / 1048576));
  out_ << line << (terminal_ && !finished ? '\r' : '\n') << std::flush;
  if (observer_) observer_(percent, fps_, finished ? 0 : duration_ > position_ && speed_ > 0 ? remaining : -1);
}

}  // namespace clipvane::tools
