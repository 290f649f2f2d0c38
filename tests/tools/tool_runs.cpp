#include "tool_runs.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>

#include "platform/file_system.h"

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
  std::size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  const int result = pclose(pipe);
  if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : 128;
  return output;
}

std::string Quoted(const std::string& path) { return QuotePath(ScriptDialect::kPosixShell, path); }

void MakeVideo(const std::string& path, const std::string& video, const std::string& audio,
               const std::string& options) {
  const std::string command = "ffmpeg -v error -nostdin -y -f lavfi -i " + Quoted(video) + " -f lavfi -i " +
                              Quoted(audio) + " -shortest " + options + " " + Quoted(path);
  if (Shell(command) != 0) throw std::runtime_error("cannot make " + path);
}

MediaReport Probe(const std::string& path) {
  const std::string output = ShellOutput(
      "ffprobe -v error -show_entries "
      "stream=codec_type,codec_name,codec_tag_string,profile,width,height,avg_frame_rate,sample_rate:"
      "format=duration -of default " +
      Quoted(path));
  MediaReport report;
  std::istringstream lines(output);
  std::string line;
  std::map<std::string, std::string> stream;
  while (std::getline(lines, line)) {
    const std::size_t equals = line.find('=');
    if (line == "[/STREAM]") {
      const bool video = stream["codec_type"] == "video";
      (video ? report.video_codec : report.audio_codec) = stream["codec_name"];
      (video ? report.video_tag : report.audio_tag) = stream["codec_tag_string"];
      if (video) {
        report.width = std::atoi(stream["width"].c_str());
        report.height = std::atoi(stream["height"].c_str());
        const std::string& rate = stream["avg_frame_rate"];
        const std::size_t slash = rate.find('/');
        const double den = slash == std::string::npos ? 1 : std::atof(rate.c_str() + slash + 1);
        report.frame_rate = den > 0 ? std::atof(rate.c_str()) / den : 0;
      } else {
        report.audio_profile = stream["profile"];
        report.sample_rate = std::atoi(stream["sample_rate"].c_str());
      }
      stream.clear();
    } else if (equals != std::string::npos) {
      stream[line.substr(0, equals)] = line.substr(equals + 1);
      if (line.compare(0, equals, "duration") == 0) report.duration = std::atof(line.c_str() + equals + 1);
    }
  }
  return report;
}

std::vector<unsigned char> FrameRegion(const std::string& path, double seconds, int x, int y, int width, int height) {
  const std::string output = ShellOutput("ffmpeg -v error -nostdin -ss " + std::to_string(seconds) + " -i " +
                                         Quoted(path) + " -frames:v 1 -vf crop=" + std::to_string(width) + ":" +
                                         std::to_string(height) + ":" + std::to_string(x) + ":" + std::to_string(y) +
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

ToolAppDir::ToolAppDir() : workspace_(folder_.Path(), PathStyle::kPosix) {
  namespace fs = std::filesystem;
  fs::create_directory(folder_ / "bin");
  for (const char* tool : {"mencoder", "mp4creator"}) {
    fs::copy_file(fs::path(CLIPVANE_TOOLS_DIR) / tool, Bin(tool));
  }
  workspace_.CreateFolders(NativeFileSystem());
}

std::vector<std::string> ToolAppDir::TempFiles() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(workspace_.Temp()))
    names.push_back(entry.path().filename().string());
  return names;
}

ToolAppDir::Run ToolAppDir::BuildAndRun(const std::string& video, const MediaFacts& facts,
                                        const EncodeSettings& settings, AvsScriptWriter write_avs) const {
  JobContext context{workspace_, ScriptDialect::kPosixShell, NativeFileSystem(), settings, std::move(write_avs)};
  const JobBuild build = BuildJobScript(video, facts, context);
  if (build.script.empty()) throw std::runtime_error("no job script for " + video);
  Run run;
  run.mp4 = workspace_.OutputPath(video);
  run.output = ShellOutput("sh " + Quoted(build.script) + " 2>&1", &run.status);
  return run;
}

EncodeSettings PresetSettings(int qulity, int platform) {
  struct Preset {
    int videocodec;
    double maxfps;
    int audiobitrate;
    int videobitrate[2];  // by platform
  };
  // As the settings store derives them from the quality.
  static const Preset kPresets[3] = {{1, 29.0, 192, {900, 700}}, {0, 25.0, 192, {700, 500}}, {0, 23.0, 64, {500, 300}}};
  const Preset& preset = kPresets[qulity];
  EncodeSettings settings;
  settings.qulity = qulity;
  settings.platform = platform;
  settings.display = 0;
  settings.displaymode = 0;
  settings.videocodec = preset.videocodec;
  settings.videobitrate = preset.videobitrate[platform];
  settings.audiobitrate = preset.audiobitrate;
  settings.maxfps = preset.maxfps;
  settings.framewidth = platform == 0 ? 480 : 320;
  settings.frameheight = platform == 0 ? 320 : 240;
  settings.needsubtitle = false;
  // A Windows font that is not here: the stand-in has to find a font by itself.
  settings.fontsdir = "/nonexistent/Fonts/";
  settings.fontfile = "gulim.ttc";
  settings.fontface = "Gulim";
  settings.subtitlefontsize = 5;
  return settings;
}

}  // namespace clipvane::testing
