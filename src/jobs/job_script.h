#pragma once
#include <functional>
#include <optional>
#include <string>

#include "jobs/job_plan.h"

namespace clipvane {

class FileSystem;

// Writes the coloured route's SSA file, converted from the subtitle found for
// `video_path`, and the AviSynth script that opens `source_to_open` and draws it, at
// the names AvsScriptPaths gives.
using AvsScriptWriter =
    std::function<void(const std::string& video_path, const std::string& job_name, const FoundSubtitle& subtitle,
                       const std::string& source_to_open, const SsaStyleMetrics& metrics)>;

// What one build needs besides the video.
struct JobContext {
  JobSetup setup;
  FileSystem& files;
  AvsScriptWriter write_avs;
};

struct JobBuild {
  std::optional<RefusalReason> refused;  // why no script was written, then
  JobFiles files;                        // the files of the job, its script first, when one was written
  std::string build;                     // the build's name ("qv1A2B"), which its files in temp are named after
};

// Called with a build once its script is written, while no clearing of ended jobs'
// files can run: what must know the build before its files can be taken for an
// ended job's learns it here. A throw undoes the build.
using BuiltHook = std::function<void(const JobBuild& build)>;

// Writes the job script with the steps that turn the video into the target's MP4, with the subtitle copy and, on the
// colour route, the SSA file and AviSynth script. Refuses a video JobRefusal refuses, and one whose subtitle is no
// file. Throws PlatformError when a file cannot be read or written; nothing of that build is left behind then.
JobBuild BuildJobScript(const std::string& video_path, const JobTarget& target, const MediaFacts& facts,
                        JobContext& context, const BuiltHook& built = {});

}  // namespace clipvane
