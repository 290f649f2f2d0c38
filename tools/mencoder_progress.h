#pragma once
#include <functional>
#include <ostream>
#include <string>

namespace clipvane::tools {

// Turns ffmpeg's "-progress" key=value stream into the encoder's familiar status
// lines: "Pos:   3.2s     80f ( 45%)  23.45fps Trem:   0min   1mb". Each line ends
// with CR on a terminal, so it updates in place, and with LF elsewhere, so a reader
// of a pipe or log gets whole lines.
class ProgressLines {
 public:
  ProgressLines(double duration_seconds, std::ostream& out, bool terminal);
  // Also told of every line: the percentage, the frames per second and the seconds
  // left (-1 when not known).
  using Observer = std::function<void(int percent, double fps, double seconds_left)>;
  void Observe(Observer observer) { observer_ = std::move(observer); }
  void Feed(const std::string& chunk);
  // A line of ffmpeg's report: the input's "Duration: 00:01:00.00" gives the length
  // when it was not known at the start.
  void TakeReportLine(const std::string& line);
  // The closing line of work done without ffmpeg's report.
  void Finish(long frames, double seconds, double bytes);
  long Frames() const { return frames_; }
  double Position() const { return position_; }

 private:
  void Take(const std::string& key, const std::string& value);
  void Print(bool finished);

  double duration_;
  std::ostream& out_;
  bool terminal_;
  std::string pending_;
  Observer observer_;
  long frames_ = 0;
  double position_ = 0, fps_ = 0, speed_ = 0, bytes_ = 0;
};

}  // namespace clipvane::tools
