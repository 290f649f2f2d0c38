#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "jobs/job_script.h"
#include "support/temp_folder.h"

namespace clipvane::testing {

// The FFmpeg program the tests make and check videos with, with ffprobe beside it:
// Debian's on Linux, the release folder's on Windows.
std::string FfmpegProgram();
std::string FfprobeProgram();

// A path in core text for std::filesystem.
std::filesystem::path FsPathOf(const std::string& text);

// Runs a program with arguments in core text (the ANSI code page on Windows).
struct ProgramRun {
  int status = 0;
  std::string output, errors;  // stdout, stderr
};
ProgramRun RunProgram(const std::vector<std::string>& argv);
// Runs ffmpeg quietly with these arguments; throws when it fails.
void RunFfmpeg(const std::vector<std::string>& args);

// Option words, as a command line would split them.
std::vector<std::string> Words(const std::string& text);

// A test video from FFmpeg's generators: `video` and `audio` are lavfi sources (no
// sound when `audio` is empty), the rest output options (H.264 and AAC when empty).
void MakeVideo(const std::string& path, const std::string& video, const std::string& audio,
               const std::string& options = "");

// What the probe finds of a picture of that size and rate.
inline MediaFacts PictureFacts(int width, int height, double frame_rate = 0) {
  return {width, height, static_cast<double>(width) / height, frame_rate, false, "", {}, {}};
}

// What ffprobe says of a file: its first video and audio streams and their count, the
// length, and whether the movie box comes before the media data.
struct MediaReport {
  std::string video_codec, video_tag, video_profile, audio_codec, audio_profile;
  int streams = 0, width = 0, height = 0, level = 0, sample_rate = 0, channels = 0, audio_bit_rate = 0;
  double frame_rate = 0, base_rate = 0, duration = 0;  // average and base frame rates
  double video_start = 0, audio_start = 0;             // seconds
  std::string colours;                                 // the picture's "primaries,transfer,matrix"
  bool moov_first = false;
  // "mpeg4 Simple Profile 480x320, aac LC 48000 2"
  std::string Formats() const {
    return video_codec + " " + video_profile + " " + std::to_string(width) + "x" + std::to_string(height) + ", " +
           audio_codec + " " + audio_profile + " " + std::to_string(sample_rate) + " " + std::to_string(channels);
  }
};
MediaReport Probe(const std::string& path);

// RGB bytes of a region of the frame shown at `seconds`, the width rounded down to
// whole 4-byte rows; how many of its pixels pass a test; how far two regions differ,
// on average per byte (-1 when they cannot be compared).
std::vector<unsigned char> FrameRegion(const std::string& path, double seconds, int x, int y, int width, int height);
int CountPixels(const std::vector<unsigned char>& rgb, bool (*test)(int r, int g, int b));
double MeanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);
inline bool IsWhite(int r, int g, int b) { return r > 200 && g > 200 && b > 200; }
inline bool IsRed(int r, int g, int b) { return r > 150 && g < 90 && b < 90; }
inline bool IsBlue(int r, int g, int b) { return b > 150 && r < 90 && g < 90; }
inline bool IsGreen(int r, int g, int b) { return g > 150 && r < 90 && b < 90; }

// The pitch of the first sound track from half a second on, for a second, in Hz: half its
// zero crossings a second.
double Pitch(const std::string& path);

// Every packet of the first two streams as ffprobe lists it, stream after stream: timestamps, duration, size,
// key-frame flag and a hash of the bytes, a line each.
std::string PacketList(const std::string& path);

// The settings, presets and fonts folder a job is built with.
struct JobSettings {
  EncodeSettings settings;
  EncoderPreset preset;
  std::string fontsdir;
};
// Settings and their presets as the store derives them for a quality and platform, fit
// to the frame, without subtitles, with the usual font file gulim.ttc, which only a
// Korean Windows has: elsewhere the stand-in finds a font by itself.
JobSettings PresetSettings(int qulity = 1, int platform = 0);

// A program folder with the built stand-ins in bin/ (on Windows with the release
// folder's ffmpeg.exe, ffprobe.exe and FFmpeg's DLLs beside them, and MediaInfo.dll in
// the folder) and the workspace folders.
class ToolAppDir {
 public:
  ToolAppDir();
  std::string Bin(const std::string& tool) const;
  const Workspace& Work() const { return workspace_; }

  struct Run {
    std::string mp4;     // incoming/<name>.mp4
    std::string output;  // what the script wrote to stdout and stderr
    std::string log;     // the job's log, batch/<name>.log
    int status = 0;
  };
  // Builds the job script for the video with the project's builder in the platform's
  // dialect (throws when there is none), and runs it as the desktop would: with sh, or
  // with cmd.exe.
  JobBuild Build(const std::string& video, const MediaFacts& facts, const JobSettings& job,
                 AvsScriptWriter write_avs = nullptr) const;
  Run BuildAndRun(const std::string& video, const MediaFacts& facts, const JobSettings& job,
                  AvsScriptWriter write_avs = nullptr) const;

 private:
  TempFolder folder_;
  Workspace workspace_;
};

// A small tmpfs on a folder of the test while the object lives: a disk of its own that
// can be filled. Root only. Under Wine the Linux side mounts it, which starts Unix
// programs too, though it cannot wait for them: a file in the folder, which the mount
// hides, tells when it is done; the folder's Unix name comes from Wine itself.
class SmallDisk {
 public:
  SmallDisk(const std::string& folder, const std::string& size);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool Mounted() const { return mounted_; }
  // Fills the disk with one file, then gives `left` bytes back.
  void FillLeaving(const std::string& filler, std::uintmax_t left) const;

 private:
  std::string marker_, unix_folder_;
  bool mounted_ = false;
};

}  // namespace clipvane::testing
