#include "ffmpeg_log.h"

#include <algorithm>

#include "runs/job_outcome.h"
#include "tool_text.h"

namespace clipvane::tools {
namespace {

// FFmpeg's level names, as "-loglevel level+" tags its lines with them.
const char* const kErrorLevels[] = {"[panic] ", "[fatal] ", "[error] "};
const char* const kOtherLevels[] = {"[warning] ", "[info] ", "[verbose] ", "[debug] ", "[trace] "};

// What FFmpeg says when an earlier failure ends its run: never the cause itself.
const char* const kConsequences[] = {
    "conversion failed", "error reinitializing filters", "error initializing complex filters", "failed to inject frame",
    "error while processing the decoded data", "error while filtering", "failed to configure input pad",
    "failed to configure output pad", "error initializing output stream", "error while opening encoder",
    "task finished with error", "terminating thread", "nothing was written into output",
    "error marking filters as finished", "error sending frames to consumers", "could not open encoder before eof",
    "error closing file",
    // The pipe between the picture's and the sound's children breaks when either side failed.
    "broken pipe", "pipe:0", "pipe:1"};

// "[ctx @ 0x55…] text" into "[ctx] text".
std::string WithoutAddress(const std::string& line) {
  if (line.empty() || line[0] != '[') return line;
  const std::size_t close = line.find(']');
  const std::size_t at = line.find(" @ ");
  if (close == std::string::npos || at == std::string::npos || at > close) return line;
  return line.substr(0, at) + line.substr(close);
}

}  // namespace

FfmpegLog::FfmpegLog(std::ostream& log, std::function<void(const std::string&)> on_line)
    : log_(log), on_line_(std::move(on_line)) {}

std::function<void(const std::string&)> FfmpegLog::Reader() {
  auto pending = std::make_shared<std::string>();
  pending_.push_back(pending);
  return [this, pending](const std::string& chunk) {
    for (char c : chunk) {
      if (c != '\n') {
        *pending += c;
        continue;
      }
      Take(*pending);
      pending->clear();
    }
    log_ << std::flush;
  };
}

void FfmpegLog::Finish() {
  for (const auto& pending : pending_) {
    if (!pending->empty()) Take(*pending);
    pending->clear();
  }
  log_ << std::flush;
}

void FfmpegLog::Take(const std::string& raw) {
  // The level tag follows the context's, when there is one.
  std::size_t tag = 0;
  if (!raw.empty() && raw[0] == '[' && raw.find("] [") != std::string::npos && raw.find(" @ ") < raw.find("] ["))
    tag = raw.find("] [") + 2;
  bool error = false;
  std::string line = raw;
  for (const char* level : kErrorLevels) {
    if (raw.compare(tag, std::char_traits<char>::length(level), level) == 0) {
      line = raw.substr(0, tag) + raw.substr(tag + std::char_traits<char>::length(level));
      error = true;
    }
  }
  for (const char* level : kOtherLevels)
    if (raw.compare(tag, std::char_traits<char>::length(level), level) == 0)
      line = raw.substr(0, tag) + raw.substr(tag + std::char_traits<char>::length(level));
  log_ << line << '\n';
  if (error) errors_.push_back(line);
  if (on_line_) on_line_(line);
}

std::string FfmpegLog::FailureCause(const std::vector<std::string>& error_lines) {
  std::vector<std::string> causes;
  for (const std::string& line : error_lines) {
    const std::string lower = LowerAscii(line);
    const bool consequence = std::any_of(std::begin(kConsequences), std::end(kConsequences),
                                         [&lower](const char* c) { return lower.find(c) != std::string::npos; });
    if (!consequence) causes.push_back(WithoutAddress(line));
  }
  if (causes.empty() && !error_lines.empty()) return WithoutAddress(error_lines.back());
  std::string joined;
  for (const std::string& line : causes) joined += line + "\n";
  return CauseLine(joined);
}

}  // namespace clipvane::tools
