#pragma once
#include <string>
#include <vector>

#include "jobs/job_script.h"
#include "support/temp_folder.h"

namespace clipvane::testing {

// The exit status of a shell command line.
int Shell(const std::string& command);
// What a shell command line writes to stdout, and its status.
std::string ShellOutput(const std::string& command, int* status = nullptr);
std::string Quoted(const std::string& path);

// Makes a test video with ffmpeg's generators: `video` and `audio` are lavfi
// sources, the rest are output options.
void MakeVideo(const std::string& path, const std::string& video, const std::string& audio,
               const std::string& options);

struct MediaReport {
  std::string video_codec, video_tag;
  int width = 0, height = 0;
  double frame_rate = 0;
  std::string audio_codec, audio_profile, audio_tag;
  int sample_rate = 0;
  double duration = 0;
};
MediaReport Probe(const std::string& path);

// RGB bytes of a region of the frame shown at `seconds`.
std::vector<unsigned char> FrameRegion(const std::string& path, double seconds, int x, int y, int width, int height);
double MeanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);
int CountPixels(const std::vector<unsigned char>& rgb, bool (*test)(int r, int g, int b));

// A program folder with the built stand-ins in bin/ and the workspace folders.
class ToolAppDir {
 public:
  ToolAppDir();
  const std::string& Path() const { return folder_.Path(); }
  std::string Bin(const std::string& tool) const { return folder_ / ("bin/" + tool); }
  const Workspace& Work() const { return workspace_; }
  std::vector<std::string> TempFiles() const;

  struct Run {
    std::string mp4;     // incoming/<name>.mp4
    std::string output;  // what the script wrote to stdout and stderr
    int status = 0;
  };
  // Builds the job script for the video with the project's builder and runs it with sh.
  Run BuildAndRun(const std::string& video, const MediaFacts& facts, const EncodeSettings& settings,
                  AvsScriptWriter write_avs = nullptr) const;

 private:
  TempFolder folder_;
  Workspace workspace_;
};

// Settings as the store derives them for a quality and platform, fit to the frame.
EncodeSettings PresetSettings(int qulity, int platform);

}  // namespace clipvane::testing
