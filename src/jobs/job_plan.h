#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/refusal.h"
#include "common/workspace.h"
#include "jobs/geometry.h"
#include "jobs/job_files.h"
#include "jobs/script.h"
#include "media/media_facts.h"
#include "settings/encode_settings.h"
#include "subtitles/avs_script.h"

namespace clipvane {

// What jobs are planned with: where the program lives, the script dialect, and the
// settings with what the last load derived from them.
struct JobSetup {
  const Workspace& workspace;
  ScriptDialect dialect;
  const EncodeSettings& settings;
  const EncoderPreset& preset;
  std::string fontsdir;  // with a trailing separator
};

enum class SubtitleRoute { kNone, kPlain, kColoured };

// One video's job, worked out without touching a file.
struct JobPlan {
  SubtitleRoute route = SubtitleRoute::kNone;
  std::optional<int> subtitle_track;  // the video's own track the encoder draws (-sid); then no copy is written
  JobFiles files;
  PictureGeometry geometry;
  SsaStyleMetrics metrics;             // the coloured route's subtitle size
  std::string avs_source;              // what the coloured route's AviSynth script opens
  std::vector<std::string> stale;      // left by an earlier job of that log name: deleted first
  std::vector<ScriptStep> steps;       // the lines of the job script
  std::vector<ScriptStep> on_failure;  // what a failed step leaves to clean up; the log stays to be read
};

// The names of the run scripts, which no job script may take: a job called so would
// be the run script that calls it.
const std::vector<std::string>& RunScriptNames();

// Why a probed video gives no picture to convert, or nothing when it has one.
std::optional<RefusalReason> PictureRefusal(const MediaFacts& facts);

// Why a video gets no job: no video in the file, no picture found, its own output is
// the video itself, which the job would overwrite while reading it, its job script
// would be a run script, or a name of its job is longer than a file name may be.
// Nothing when it gets one.
std::optional<RefusalReason> JobRefusal(const std::string& video_path, const JobTarget& target, const MediaFacts& facts,
                                        const Workspace& workspace);

// The job of a video with a picture: the steps that turn it into incoming/<base
// name>.mp4, given its subtitle (none when not found) and the job's log file. The
// first step that fails ends the job. The MP4 is built under a hidden name in
// incoming; the muxer's check then holds it against the video (one video and one
// audio track, as long as the video) and only then renames it over the final name,
// so an earlier MP4 is replaced by none but a whole one, with no copy between file
// systems. The intermediates go either way; the log is kept in batch for the front
// ends and the user to read. The script first names the job's status file to its
// tools, which report there; a failure's last step records there why the job failed,
// or that it was stopped.
JobPlan PlanJob(const std::string& video_path, const JobTarget& target, const MediaFacts& facts,
                const FoundSubtitle& subtitle, const std::string& job_log, const JobSetup& setup);

}  // namespace clipvane
