// The MP4 muxer stand-in: "-c <stream> [-rate=<fps>] <mp4>" adds a raw MPEG-4 or
// H.264 video or ADTS AAC stream to an MP4 file as a track, creating the file when it
// is missing; "-check [-aid N]" ends a job (result_check.h) and "-failed <log>" ends a failed
// one, recording why in the job's status. Nothing is re-encoded: the streams are
// copied through libavformat. The result is written beside the file and renamed over
// it, so a failure never leaves a broken MP4.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "job_report.h"
#include "mp4_mux.h"
#include "result_check.h"
#include "tool_files.h"
#include "tool_main.h"
#include "tool_text.h"

using namespace clipvane;
using namespace clipvane::tools;

namespace {

struct MuxRequest {
  std::string stream;
  std::string mp4;
  std::optional<Rational> rate;
};

std::optional<MuxRequest> Parse(const std::vector<std::string>& args, std::string& error) {
  MuxRequest request;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string rate_text;
    if (arg == "-c" || arg == "-create") {
      if (i + 1 >= args.size()) {
        error = arg + " needs a stream file";
        return std::nullopt;
      }
      request.stream = args[++i];
    } else if (arg.rfind("-c=", 0) == 0 || arg.rfind("-create=", 0) == 0) {
      request.stream = arg.substr(arg.find('=') + 1);
    } else if (arg.rfind("-rate=", 0) == 0) {
      rate_text = arg.substr(6);
      request.rate = ParseDecimal(rate_text);
      // 0 stands for a rate the probe did not find; the track clock holds the others.
      if (!request.rate || (request.rate->num > 0 && (request.rate->Value() < 0.01 || request.rate->Value() > 1000))) {
        error = "-rate needs a frame rate of 0.01 to 1000, not '" + rate_text + "'";
        return std::nullopt;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg + " (-c <stream> and -rate=<fps> are known)";
      return std::nullopt;
    } else {
      files.push_back(arg);
    }
  }
  if (request.stream.empty()) error = "no stream to add (-c <stream>)";
  else if (files.size() != 1) error = files.empty() ? "no MP4 file given" : "more than one MP4 file given";
  if (!error.empty()) return std::nullopt;
  request.mp4 = files[0];
  return request;
}

// What the stream holds, by its file name, as the job scripts name them: "m4v" for
// MPEG-4 video, "h264" for H.264 video, "aac" for ADTS sound.
std::string RawFormat(const std::string& stream) {
  const std::string extension = LowerExtension(stream);
  if (extension == "m4v" || extension == "mp4v" || extension == "cmp" || extension == "xvid" || extension == "divx") {
    return "m4v";
  }
  if (extension == "264" || extension == "h264" || extension == "avc") return "h264";
  if (extension == "aac") return "aac";
  return "";
}

int Mux(const MuxRequest& request) {
  const std::string format = RawFormat(request.stream);
  if (format.empty()) {
    std::cerr << "mp4creator: cannot tell what kind of stream " << request.stream
              << " is (.m4v and .264 video and .aac sound are known)\n";
    return 1;
  }
  if (!IsFile(request.stream)) {
    std::cerr << "mp4creator: cannot open " << request.stream << "\n";
    return 1;
  }
  std::error_code error;
  const bool adding = IsFile(request.mp4) && std::filesystem::file_size(FsPath(request.mp4), error) > 0;

  // Written beside the file under a name of its own, then renamed over it.
  const std::string temporary = UniqueNameBeside(request.mp4);
  std::string why_not;
  const bool written =
      WriteMp4WithTrack(adding ? request.mp4 : "", {request.stream, format, request.rate}, temporary, why_not);
  if (!written) std::cerr << "mp4creator: " << why_not << "\n";
  if (!written || !MoveOver(temporary, request.mp4)) {
    std::error_code ignored;
    std::filesystem::remove(FsPath(temporary), ignored);
    std::cerr << "mp4creator: could not add " << request.stream << " to " << request.mp4
              << (adding ? "; the file is unchanged" : "") << "\n";
    return 1;
  }
  std::cout << "mp4creator: added " << request.stream << " to " << request.mp4 << "\n";
  return 0;
}

}  // namespace

int ToolMain(const std::vector<std::string>& args, SignalRelay&) {
  // The last step of a job's failure: records why, or that it was stopped.
  if (!args.empty() && args[0] == "-failed") {
    if (args.size() != 2) {
      std::cerr << "mp4creator: -failed takes the job's log\n";
      return 1;
    }
    JobReport().Ended(args[1]);
    return 0;
  }
  if (JobReport().StopRequested()) {
    std::cerr << "mp4creator: the job was stopped\n";
    return 1;
  }
  if (!args.empty() && args[0] == "-check") {
    // "-aid N" right after "-check": the sound track the job converted, from 0.
    const bool told = args.size() > 2 && args[1] == "-aid";
    const std::optional<int> track = told ? ParsePlainNumber(args[2]) : std::optional<int>(0);
    if (!track) {
      std::cerr << "mp4creator: -aid takes the place of a sound track, from 0, not '" << args[2] << "'\n";
      return 1;
    }
    const std::size_t first = told ? 3 : 1;
    if (args.size() != first + 3) {
      std::cerr << "mp4creator: -check takes [-aid N,] the video, the MP4 built from it and the name it is to have\n";
      return 1;
    }
    try {
      JobReport job;
      return CheckAndPlace(args[first], *track, args[first + 1], args[first + 2], job);
    } catch (const std::exception& failure) {
      std::cerr << "mp4creator: " << failure.what() << "\n";
      return 1;
    }
  }
  std::string error;
  const auto request = Parse(args, error);
  if (!request) {
    std::cerr << "mp4creator: " << error << "\n";
    return 1;
  }
  try {
    return Mux(*request);
  } catch (const std::exception& failure) {
    std::cerr << "mp4creator: " << failure.what() << "\n";
    return 1;
  }
}
