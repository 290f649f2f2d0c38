#include "tool_runs.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>

#include "platform/file_system.h"
#include "platform/ini_profile.h"
#include "platform/process.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "settings/settings_store.h"

namespace clipvane::testing {
namespace {

#ifdef _WIN32
constexpr const char* kExe = ".exe";
#else
constexpr const char* kExe = "";
#endif

// The bytes of the first video frame of an AVI file with uncompressed video.
std::string FirstAviFrame(const std::string& avi) {
  std::size_t at = avi.find("movi");
  while (at != std::string::npos && at + 8 <= avi.size()) {
    const std::string id = avi.substr(at, 4);
    std::size_t size = 0;
    for (int k = 3; k >= 0; --k) size = size << 8 | static_cast<unsigned char>(avi[at + 4 + k]);
    if (id == "00db" || id == "00dc") return avi.substr(at + 8, size);
    at = id == "movi" ? at + 4 : at + 8 + size + (size & 1);
  }
  return "";
}

}  // namespace

std::filesystem::path FsPathOf(const std::string& text) { return std::filesystem::u8path(AnsiToUtf8(text)); }

std::string FfmpegProgram() { return std::string(CLIPVANE_FFMPEG_DIR) + "ffmpeg" + kExe; }
std::string FfprobeProgram() { return std::string(CLIPVANE_FFMPEG_DIR) + "ffprobe" + kExe; }

ProgramRun RunProgram(const std::vector<std::string>& argv) {
  std::vector<std::string> utf8;
  for (const std::string& arg : argv) utf8.push_back(AnsiToUtf8(arg));
  ProgramRun run;
  run.status = RunChild(utf8, {DeliveredTo([&run](const std::string& chunk) { run.output += chunk; }),
                               DeliveredTo([&run](const std::string& chunk) { run.errors += chunk; })});
  return run;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

void RunFfmpeg(const std::vector<std::string>& args) {
  std::vector<std::string> argv{FfmpegProgram(), "-v", "error", "-nostdin", "-y"};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProgramRun run = RunProgram(argv);
  if (run.status != 0) throw std::runtime_error("ffmpeg failed on " + argv.back() + ": " + run.errors);
}

void MakeVideo(const std::string& path, const std::string& video, const std::string& audio,
               const std::string& options) {
  std::vector<std::string> args{"-f", "lavfi", "-i", video, "-f", "lavfi", "-i", audio, "-shortest"};
  for (const std::string& word : Words(options.empty() ? "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac" : options))
    args.push_back(word);
  args.push_back(path);
  RunFfmpeg(args);
}

MediaReport Probe(const std::string& path) {
  // One line a stream, "key=value" pairs apart by "|", then the format's duration.
  std::istringstream lines(RunProgram({FfprobeProgram(), "-v", "error", "-show_entries",
                                       "stream=codec_type,codec_name,codec_tag_string,profile,width,height,"
                                       "avg_frame_rate,sample_rate,start_time:format=duration",
                                       "-of", "compact=p=0", path})
                               .output);
  MediaReport report;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::map<std::string, std::string> field;
    std::istringstream pairs(line);
    for (std::string pair; std::getline(pairs, pair, '|');) field[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
    const auto number = [&field](const char* key) { return std::atof(field[key].c_str()); };
    if (field.count("duration")) report.duration = number("duration");
    if (field["codec_type"] == "audio") {
      report.audio_codec = field["codec_name"];
      report.audio_profile = field["profile"];
      report.sample_rate = static_cast<int>(number("sample_rate"));
      report.audio_start = number("start_time");
    } else if (field["codec_type"] == "video") {
      report.video_codec = field["codec_name"];
      report.video_tag = field["codec_tag_string"];
      report.video_profile = field["profile"];
      report.width = static_cast<int>(number("width"));
      report.height = static_cast<int>(number("height"));
      report.video_start = number("start_time");
      const std::string& rate = field["avg_frame_rate"];
      const double denominator = std::atof(rate.c_str() + rate.find('/') + 1);
      report.frame_rate = denominator > 0 ? std::atof(rate.c_str()) / denominator : 0;
    }
  }
  return report;
}

std::string PacketList(const std::string& path) {
  std::istringstream lines(RunProgram({FfprobeProgram(), "-v", "error", "-show_entries",
                                       "packet=stream_index,pts,dts,duration,size,flags,data_hash", "-show_data_hash",
                                       "MD5", "-of", "csv=p=0", path})
                               .output);
  // Stream by stream: how the streams interleave is the container's business.
  std::map<std::string, std::string> streams;
  for (std::string line; std::getline(lines, line);) streams[line.substr(0, line.find(','))] += line + "\n";
  std::string packets;
  for (const auto& [stream, list] : streams) packets += list;
  return packets;
}

std::string PacketDifference(const std::string& path, const std::string& reference) {
  std::istringstream ours(PacketList(path)), theirs(PacketList(reference));
  std::string a, b;
  for (int line = 1;; ++line) {
    const bool more_a = static_cast<bool>(std::getline(ours, a)), more_b = static_cast<bool>(std::getline(theirs, b));
    if (!more_a && !more_b) return line > 1 ? "" : "no packets";
    if (a != b || more_a != more_b) {
      return "packet " + std::to_string(line) + ": " + (more_a ? a : "none") + " against " + (more_b ? b : "none");
    }
  }
}

double FlashTime(const std::string& path) {
  const MediaReport report = Probe(path);
  // Each frame shrunk to 8 x 8 grey pixels.
  const std::string frames = RunProgram({FfmpegProgram(), "-v", "error", "-nostdin", "-i", path, "-map", "0:v:0", "-vf",
                                         "scale=8:8,format=gray", "-f", "rawvideo", "pipe:1"})
                                 .output;
  for (std::size_t frame = 0; (frame + 1) * 64 <= frames.size() && report.frame_rate > 0; ++frame) {
    int sum = 0;
    for (std::size_t i = frame * 64; i < (frame + 1) * 64; ++i) sum += static_cast<unsigned char>(frames[i]);
    if (sum / 64 > 128) return report.video_start + frame / report.frame_rate;
  }
  return -1;
}

double ClickTime(const std::string& path) {
  const MediaReport report = Probe(path);
  const std::string pcm = RunProgram({FfmpegProgram(), "-v", "error", "-nostdin", "-i", path, "-map", "0:a:0", "-ac", "1",
                                      "-ar", "48000", "-f", "s16le", "pipe:1"})
                              .output;
  std::vector<int> samples;
  int loudest = 0;
  for (std::size_t i = 0; i + 1 < pcm.size(); i += 2) {
    const int sample = static_cast<std::int16_t>(static_cast<unsigned char>(pcm[i]) | static_cast<unsigned char>(pcm[i + 1]) << 8);
    samples.push_back(std::abs(sample));
    loudest = std::max(loudest, samples.back());
  }
  // The click's onset, not the encoder's faint pre-echo before it.
  for (std::size_t i = 0; i < samples.size() && loudest > 1000; ++i) {
    if (samples[i] * 3 > loudest) return report.audio_start + i / 48000.0;
  }
  return -1;
}

std::vector<unsigned char> FrameRegion(const std::string& path, double seconds, int x, int y, int width, int height) {
  const std::string crop = std::to_string(width) + ":" + std::to_string(height) + ":" + std::to_string(x) + ":" +
                           std::to_string(y);
  // An AVI of one uncompressed frame: every FFmpeg build here can write that much.
  const std::string frame = FirstAviFrame(RunProgram({FfmpegProgram(), "-v", "error", "-nostdin", "-ss",
                                                      std::to_string(seconds), "-i", path, "-frames:v", "1", "-vf",
                                                      "crop=" + crop, "-an", "-c:v", "rawvideo", "-pix_fmt", "bgr24", "-f",
                                                      "avi", "pipe:1"})
                                              .output);
  std::vector<unsigned char> rgb(frame.begin(), frame.end());
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
  return rgb;
}

double MeanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  if (a.size() != b.size() || a.empty()) return -1;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
  return sum / static_cast<double>(a.size());
}

int CountPixels(const std::vector<unsigned char>& rgb, bool (*test)(int r, int g, int b)) {
  int count = 0;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) count += test(rgb[i], rgb[i + 1], rgb[i + 2]);
  return count;
}

JobSettings PresetSettings(int qulity, int platform) {
  // Fit to the frame (display 2), through the settings store itself.
  TempFolder folder;
  const std::unique_ptr<IniProfile> ini = OpenIniProfile(folder.WriteFile(
      "MP4.ini", "[default]\nqulity=" + std::to_string(qulity) + "\nplatform=" + std::to_string(platform) +
                     "\ndisplay=2\nneedsubtitle=0\nfontname=gulim.ttc,Gulim\n"));
  JobSettings job;
  LoadSettings(job.settings, job.preset, *ini);
#ifdef _WIN32
  job.fontsdir = FontsFolder() + "\\";
#else
  job.fontsdir = "/nonexistent/Fonts/";
#endif
  return job;
}

ToolAppDir::ToolAppDir() : workspace_(folder_.Path(), kNativePathStyle) {
  namespace fs = std::filesystem;
  fs::create_directory(FsPathOf(folder_ / "bin"));
  std::vector<fs::path> tools{fs::u8path(CLIPVANE_TOOLS_DIR) / (std::string("mencoder") + kExe),
                              fs::u8path(CLIPVANE_TOOLS_DIR) / (std::string("mp4creator") + kExe)};
#ifdef _WIN32
  // The release folder's layout: the FFmpeg programs beside the stand-ins.
  tools.insert(tools.end(), {fs::u8path(CLIPVANE_TOOLS_DIR) / "ffmpeg.exe", fs::u8path(CLIPVANE_TOOLS_DIR) / "ffprobe.exe"});
#endif
  for (const fs::path& tool : tools) fs::copy_file(tool, FsPathOf(folder_ / "bin") / tool.filename());
  workspace_.CreateFolders(NativeFileSystem());
}

std::string ToolAppDir::Bin(const std::string& tool) const {
  return folder_ / ("bin" + std::string(1, Separator(kNativePathStyle)) + tool + kExe);
}

ToolAppDir::Run ToolAppDir::BuildAndRun(const std::string& video, const MediaFacts& facts, const JobSettings& job,
                                        AvsScriptWriter write_avs) const {
  const JobSetup setup{workspace_, kNativeScriptDialect, job.settings, job.preset, job.fontsdir};
  JobContext context{setup, NativeFileSystem(), std::move(write_avs)};
  const JobBuild build = BuildJobScript(video, facts, context);
  if (build.script.empty()) throw std::runtime_error("no job script for " + video);
  Run run = RunScripts({build.script}).front();
  run.mp4 = workspace_.OutputPath(video);
  return run;
}

std::vector<ToolAppDir::Run> ToolAppDir::RunScripts(const std::vector<std::string>& scripts) const {
  std::vector<Run> runs(scripts.size());
  ChildProcesses children;
  for (std::size_t i = 0; i < scripts.size(); ++i) {
    const OutputReader keep = [&runs, i](const std::string& chunk) { runs[i].output += chunk; };
#ifdef _WIN32
    const std::vector<std::string> argv{"cmd.exe", "/d", "/c", AnsiToUtf8(scripts[i])};
#else
    const std::vector<std::string> argv{"sh", scripts[i]};
#endif
    children.Start(argv, {DeliveredTo(keep), DeliveredTo(keep)});
  }
  const std::vector<int> statuses = children.WaitAll();
  for (std::size_t i = 0; i < runs.size(); ++i) runs[i].status = statuses[i];
  return runs;
}

}  // namespace clipvane::testing
