#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace clipvane::tools {

// Starts argv[0] (looked up on PATH) as our child, with stdin on /dev/null and stderr
// shared with ours, and waits for it. While it runs, SIGINT, SIGTERM and SIGHUP sent
// to us are passed on to it, so stopping a job never leaves an orphaned ffmpeg.
// `on_output`, when given, receives the child's stdout as it arrives; otherwise the
// child writes to our stdout. Returns the exit status, 128 + signal number when it
// was killed, or 127 when it could not be started (with a message on stderr).
// `on_errors`, likewise, receives its stderr.
int RunChild(const std::vector<std::string>& argv,
             const std::function<void(const std::string& chunk)>& on_output = nullptr,
             const std::function<void(const std::string& chunk)>& on_errors = nullptr);

// Runs a helper (ffprobe, fc-match, ...) and returns its stdout when it exits with 0.
std::optional<std::string> CaptureOutput(const std::vector<std::string>& argv);

// A private folder under $TMPDIR (or /tmp), removed with its contents on destruction.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // Path of a file inside the folder.
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace clipvane::tools
