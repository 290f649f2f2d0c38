#pragma once
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace clipvane::tools {

// FFmpeg's stderr, run with "-loglevel level+...", on its way into the job's log: each
// line is written without its level tag, as FFmpeg writes it without one, handed on
// (for the report lines the progress reads), and the lines at error level or worse
// are kept, to name the failure's cause. Two children may share one, each through a
// reader of its own: their lines are taken whole, one at a time.
class FfmpegLog {
 public:
  FfmpegLog(std::ostream& log, std::function<void(const std::string&)> on_line = nullptr);
  // Takes one child's stderr in pieces of any size.
  std::function<void(const std::string&)> Reader();
  // Writes what is left of unfinished lines.
  void Finish();
  // Why the run failed in FFmpeg's own words, or empty when FFmpeg named no error.
  std::string Cause() const { return FailureCause(errors_); }

  // The one of FFmpeg's error lines that names the cause: the weightiest cause that
  // outside the job a user can act on (no space left, no such file, ...), else the last
  // line that is not a consequence of an earlier failure ("Conversion failed!", the
  // hand-over between two children, ...), else the last one. The context's address
  // ("[Parsed_crop_0 @ 0x55…]") is left out: it tells a user nothing.
  static std::string FailureCause(const std::vector<std::string>& error_lines);

 private:
  void Take(const std::string& line);

  std::ostream& log_;
  std::function<void(const std::string&)> on_line_;
  std::vector<std::shared_ptr<std::string>> pending_;  // each reader's unfinished line
  std::vector<std::string> errors_;
};

}  // namespace clipvane::tools
