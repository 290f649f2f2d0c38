#pragma once
#include <functional>
#include <optional>
#include <string>

#include "jobs/job_plan.h"

namespace clipvane {

class FileSystem;

// Writes the coloured route's SSA file, converted from the subtitle file beside
// `video_path`, and the AviSynth script that opens `source_to_open` and draws it, at
// the names AvsScriptPaths gives.
using AvsScriptWriter = std::function<void(const std::string& video_path, const std::string& subtitle_path,
                                           const std::string& source_to_open, const SsaStyleMetrics& metrics)>;

// What one build needs besides the video.
struct JobContext {
  JobSetup setup;
  FileSystem& files;
  AvsScriptWriter write_avs;
};

struct JobBuild {
  std::string script;                    // the job script's path; empty when none was written
  std::optional<RefusalReason> refused;  // why not, then
  std::string output;                    // the MP4 the job makes
  std::string job_log;                   // where the job leaves its log when it ends
  std::string status;                    // where the job says how it stands
};

// Writes batch/<base name> with the steps that turn the video into
// incoming/<base name>.mp4, with the subtitle copy and, on the colour route, the SSA
// file and AviSynth script. Refuses a video JobRefusal refuses, and one whose .smi is
// no file. Throws PlatformError when a file cannot be read or written; nothing of
// that build is left behind then.
JobBuild BuildJobScript(const std::string& video_path, const MediaFacts& facts, JobContext& context);

}  // namespace clipvane
