#pragma once
#include <chrono>
#include <cstdint>
#include <string>

namespace clipvane::tools {

// The job a tool works for, as its script names it to the tool (kJobStatusVariable):
// where the tool says how the job stands (runs/job_status.h) and looks for a request to
// stop it. A tool run by hand, without one, says nothing and is never asked to stop.
class JobReport {
 public:
  JobReport();
  bool Known() const { return !status_file_.empty(); }

  bool StopRequested() const;
  // Asks for the stop itself: the tool was interrupted or stopped by a signal, which
  // stops the job as the user's stop does, while its script lives to record it.
  void RequestStop();

  // The encode's progress; written at most twice a second, and at once at its start
  // and end. The job lives as long as the script that runs the tool.
  void Running(int percent, double fps, double seconds_left);
  // The MP4 passed the check and is in place.
  void Written();
  // The job's failure steps ran: it was stopped when a stop was asked for (the request
  // is then used up), or else it failed for the cause its log gives (UTF-8 text).
  void Ended(const std::string& log);

 private:
  std::string status_file_;  // in the program's text
  std::uint32_t owner_ = 0;  // the script's interpreter
  std::chrono::steady_clock::time_point last_written_;
  int last_percent_ = -2;
  double last_fps_ = -1;
};

}  // namespace clipvane::tools
