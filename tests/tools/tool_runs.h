#pragma once
#include <string>
#include <vector>

#include "jobs/job_script.h"
#include "support/temp_folder.h"

namespace clipvane::testing {

// The exit status of a shell command line, and what it writes to stdout.
int Shell(const std::string& command);
std::string ShellOutput(const std::string& command, int* status = nullptr);
std::string Quoted(const std::string& path);

// A test video from ffmpeg's generators: `video` and `audio` are lavfi sources, the
// rest output options (H.264 and AAC when empty).
void MakeVideo(const std::string& path, const std::string& video, const std::string& audio,
               const std::string& options = "");

// What ffprobe says of a file.
struct MediaReport {
  std::string video_codec, video_tag, audio_codec, audio_profile;
  int width = 0, height = 0, sample_rate = 0;
  double frame_rate = 0, duration = 0;
};
MediaReport Probe(const std::string& path);

// RGB bytes of a region of the frame shown at `seconds`, and what compares them.
std::vector<unsigned char> FrameRegion(const std::string& path, double seconds, int x, int y, int width, int height);
double MeanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);
int CountPixels(const std::vector<unsigned char>& rgb, bool (*test)(int r, int g, int b));

// Settings and their presets as the store derives them for a quality and platform, fit
// to the frame, without subtitles, with a fonts folder that is not here.
struct JobSettings {
  EncodeSettings settings;
  EncoderPreset preset;
  std::string fontsdir;
};
JobSettings PresetSettings(int qulity, int platform);

// A program folder with the built stand-ins in bin/ and the workspace folders.
class ToolAppDir {
 public:
  ToolAppDir();
  std::string Bin(const std::string& tool) const { return folder_ / ("bin/" + tool); }
  const Workspace& Work() const { return workspace_; }

  struct Run {
    std::string mp4;     // incoming/<name>.mp4
    std::string output;  // what the script wrote to stdout and stderr
    int status = 0;
  };
  // Builds the job script for the video with the project's builder and runs it with sh.
  Run BuildAndRun(const std::string& video, const MediaFacts& facts, const JobSettings& job,
                  AvsScriptWriter write_avs = nullptr) const;

 private:
  TempFolder folder_;
  Workspace workspace_;
};

}  // namespace clipvane::testing
