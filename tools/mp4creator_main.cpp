// The MP4 muxer stand-in: "-c <stream> [-rate=<fps>] <mp4>" adds a raw MPEG-4 video
// or ADTS AAC stream to an MP4 file as a track, creating the file when it is
// missing; "-check" ends a job (result_check.h). Nothing is re-encoded: the stand-in writes the file itself where it can
// read the stream and the file, and has ffmpeg copy the streams otherwise. The
// result is written beside the file and renamed over it, so a failure never leaves
// a broken MP4.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "mp4_movie.h"
#include "platform/process.h"
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
      if (!request.rate) {
        error = "-rate needs a frame rate, not '" + rate_text + "'";
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

// The demuxer of a raw stream, by its file name, as the job scripts name them.
std::string RawFormat(const std::string& stream) {
  const std::string extension = LowerExtension(stream);
  if (extension == "m4v" || extension == "mp4v" || extension == "cmp" || extension == "xvid" || extension == "divx") {
    return "m4v";
  }
  if (extension == "aac") return "aac";
  return "";
}

int StreamCount(const std::string& mp4) {
  const auto output = CaptureOutput({ProgramBesideThisOne("ffprobe"), "-v", "error", "-show_entries", "stream=index", "-of", "csv=p=0", mp4});
  int count = 0;
  if (output) {
    for (char c : *output) count += c == '\n';
  }
  return count;
}

// Writes the MP4 with the track added without starting ffmpeg, whose start costs
// more than the copying on a short clip. Nothing when this stand-in does not read
// the stream or the file: ffmpeg takes those.
std::optional<bool> WriteHere(const MuxRequest& request, const std::string& format, bool adding,
                              const std::string& written) {
  std::string why_not;
  std::optional<RawTrack> track;
  if (format == "aac") {
    track = ReadAdtsAudio(request.stream, why_not);
  } else if (request.rate) {
    track = ReadRawMpeg4Video(request.stream, *request.rate, why_not);
  }
  if (!track) return std::nullopt;
  std::optional<Mp4Movie> movie = adding ? ReadMp4Movie(request.mp4, why_not) : EmptyMovie();
  if (!movie) return std::nullopt;
  AddTrack(*movie, std::move(*track), request.stream);
  std::string error;
  if (WriteMp4Movie(*movie, written, error)) return true;
  std::cerr << "mp4creator: " << error << "\n";
  return false;
}

int WriteWithFfmpeg(const MuxRequest& request, const std::string& format, bool adding, const std::string& written) {
  std::vector<std::string> argv{ProgramBesideThisOne("ffmpeg"), "-hide_banner", "-nostdin", "-loglevel", "error", "-y"};
  if (adding) argv.insert(argv.end(), {"-i", request.mp4});
  argv.insert(argv.end(), {"-f", format, "-i", request.stream, "-map", "0"});
  if (adding) argv.insert(argv.end(), {"-map", "1"});
  argv.insert(argv.end(), {"-c", "copy"});
  if (format == "m4v" && request.rate && request.rate->num > 0) {
    // A raw stream's own timing would win over a rate given before -i when
    // copying, so each frame is stamped at index / rate instead.
    const TrackClock clock = TrackClockFor(*request.rate);
    const std::string per_frame = std::to_string(clock.frame_duration);
    const std::string timescale = std::to_string(clock.timescale);
    const std::string track = std::to_string(adding ? StreamCount(request.mp4) : 0);
    argv.insert(argv.end(), {"-bsf:" + track, "setts=ts=N*" + per_frame + ":duration=" + per_frame + ":time_base=1/" + timescale,
                             "-video_track_timescale", timescale});
  }
  argv.insert(argv.end(), {"-f", "mp4", written});
  return RunChild(argv);
}

int Mux(const MuxRequest& request) {
  const std::string format = RawFormat(request.stream);
  if (format.empty()) {
    std::cerr << "mp4creator: cannot tell what kind of stream " << request.stream
              << " is (.m4v video and .aac sound are known)\n";
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
  const std::optional<bool> here = WriteHere(request, format, adding, temporary);
  const int status = here ? (*here ? 0 : 1) : WriteWithFfmpeg(request, format, adding, temporary);
  if (status != 0 || !MoveOver(temporary, request.mp4)) {
    std::error_code ignored;
    std::filesystem::remove(FsPath(temporary), ignored);
    std::cerr << "mp4creator: could not add " << request.stream << " to " << request.mp4
              << (adding ? "; the file is unchanged" : "") << "\n";
    return status != 0 ? status : 1;
  }
  std::cout << "mp4creator: added " << request.stream << " to " << request.mp4 << "\n";
  return 0;
}

}  // namespace

int ToolMain(const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "-check") {
    if (args.size() != 4) {
      std::cerr << "mp4creator: -check takes the video, the MP4 built from it and the name it is to have\n";
      return 1;
    }
    try {
      return CheckAndPlace(args[1], args[2], args[3]);
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
