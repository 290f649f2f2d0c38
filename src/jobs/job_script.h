#pragma once
#include <functional>
#include <string>

#include "common/workspace.h"
#include "jobs/geometry.h"
#include "jobs/script.h"
#include "media/media_facts.h"
#include "settings/encode_settings.h"

namespace clipvane {

class FileSystem;

// The SSA file and AviSynth script that the coloured-subtitle route writes.
struct AvsFiles {
  std::string ssa;
  std::string avs;
};

// Writes the SSA file converted from the SAMI file beside `video_path` and the
// AviSynth script that opens `source_to_open` and draws it; returns both paths.
using AvsScriptWriter = std::function<AvsFiles(const std::string& video_path,
                                                const std::string& source_to_open,
                                                const SsaStyleMetrics& metrics)>;

// What one build needs besides the video.
struct JobContext {
  const Workspace& workspace;
  ScriptDialect dialect;
  FileSystem& files;
  const EncodeSettings& settings;
  AvsScriptWriter write_avs;
};

enum class JobSkip {
  kNone,
  kNoPicture,       // the probe gave no picture height
  kSourceIsOutput,  // the video is its own output file, which the job would delete first
};

struct JobBuild {
  std::string script;  // the job script's path; empty when none was written
  JobSkip skipped = JobSkip::kNone;
};

// A user-facing reason for a skipped video (empty for kNone and kNoPicture, which the
// list already shows).
std::string JobSkipMessage(JobSkip skipped, const std::string& video_path);

// Writes batch/<base name> with the steps that turn the video into
// incoming/<base name>.mp4, with the subtitle copy and, on the colour route, the SSA
// file and AviSynth script. Throws PlatformError when a file cannot be read or
// written; nothing of that build is left behind then.
JobBuild BuildJobScript(const std::string& video_path, const MediaFacts& facts, JobContext& context);

}  // namespace clipvane
