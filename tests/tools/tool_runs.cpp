#include "tool_runs.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>

#include "platform/file_system.h"
#include "platform/ini_profile.h"
#include "settings/settings_store.h"

namespace clipvane::testing {

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

std::string ShellOutput(const std::string& command, int* status) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string output;
  char buffer[65536];
  for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  const int result = pclose(pipe);
  if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : 128;
  return output;
}

std::string Quoted(const std::string& path) { return QuotePath(ScriptDialect::kPosixShell, path); }

void MakeVideo(const std::string& path, const std::string& video, const std::string& audio,
               const std::string& options) {
  const std::string codecs = options.empty() ? "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac" : options;
  if (Shell("ffmpeg -v error -nostdin -y -f lavfi -i " + Quoted(video) + " -f lavfi -i " + Quoted(audio) +
            " -shortest " + codecs + " " + Quoted(path)) != 0)
    throw std::runtime_error("cannot make " + path);
}

MediaReport Probe(const std::string& path) {
  // One line a stream, "key=value" pairs apart by "|", then the format's duration.
  std::istringstream lines(ShellOutput(
      "ffprobe -v error -show_entries stream=codec_type,codec_name,codec_tag_string,profile,width,height,"
      "avg_frame_rate,sample_rate:format=duration -of compact=p=0 " + Quoted(path)));
  MediaReport report;
  for (std::string line; std::getline(lines, line);) {
    std::map<std::string, std::string> field;
    std::istringstream pairs(line);
    for (std::string pair; std::getline(pairs, pair, '|');) field[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
    if (field.count("duration")) report.duration = std::atof(field["duration"].c_str());
    if (field["codec_type"] == "audio") {
      report.audio_codec = field["codec_name"];
      report.audio_profile = field["profile"];
      report.sample_rate = std::atoi(field["sample_rate"].c_str());
    } else if (field["codec_type"] == "video") {
      report.video_codec = field["codec_name"];
      report.video_tag = field["codec_tag_string"];
      report.width = std::atoi(field["width"].c_str());
      report.height = std::atoi(field["height"].c_str());
      const std::string& rate = field["avg_frame_rate"];
      const double denominator = std::atof(rate.c_str() + rate.find('/') + 1);
      report.frame_rate = denominator > 0 ? std::atof(rate.c_str()) / denominator : 0;
    }
  }
  return report;
}

std::vector<unsigned char> FrameRegion(const std::string& path, double seconds, int x, int y, int width, int height) {
  const std::string crop = std::to_string(width) + ":" + std::to_string(height) + ":" + std::to_string(x) + ":" +
                           std::to_string(y);
  const std::string output = ShellOutput("ffmpeg -v error -nostdin -ss " + std::to_string(seconds) + " -i " +
                                         Quoted(path) + " -frames:v 1 -vf crop=" + crop +
                                         " -f rawvideo -pix_fmt rgb24 pipe:1");
  return std::vector<unsigned char>(output.begin(), output.end());
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
  job.fontsdir = "/nonexistent/Fonts/";  // a Windows font that is not here: the stand-in finds one
  return job;
}

ToolAppDir::ToolAppDir() : workspace_(folder_.Path(), PathStyle::kPosix) {
  std::filesystem::create_directory(folder_ / "bin");
  for (const char* tool : {"mencoder", "mp4creator"})
    std::filesystem::copy_file(std::filesystem::path(CLIPVANE_TOOLS_DIR) / tool, Bin(tool));
  workspace_.CreateFolders(NativeFileSystem());
}

ToolAppDir::Run ToolAppDir::BuildAndRun(const std::string& video, const MediaFacts& facts, const JobSettings& job,
                                        AvsScriptWriter write_avs) const {
  JobContext context{{workspace_, ScriptDialect::kPosixShell, job.settings, job.preset, job.fontsdir},
                     NativeFileSystem(), std::move(write_avs)};
  const JobBuild build = BuildJobScript(video, facts, context);
  if (build.script.empty()) throw std::runtime_error("no job script for " + video);
  Run run;
  run.mp4 = workspace_.OutputPath(video);
  run.output = ShellOutput("sh " + Quoted(build.script) + " 2>&1", &run.status);
  return run;
}

}  // namespace clipvane::testing
