#pragma once
#include <optional>
#include <string>

#include "common/workspace.h"
#include "jobs/script.h"
#include "media/output_names.h"
#include "subtitles/avs_script.h"

namespace clipvane {

struct EncodeSettings;
struct EncoderPreset;

// The files of one job: those of the video's own (its script, MP4, kept log, record),
// and those of one build of its script, named after the build's log, a unique
// temporary file "qvXXXX.tmp", so that jobs running side by side never share one.
struct JobFiles {
  std::string script;             // batch/<job name> with the dialect's extension
  std::string output;             // the MP4, as the list named it (media/output_names.h)
  std::string source_note;        // .sources/<MP4 name>.txt beside the MP4: the video it was made from
  std::string temp_output;        // .qvXXXX.part: where the MP4 is built, beside its final name
  std::string job_log;            // temp/qvXXXX.tmp
  std::string kept_log;           // batch/<job name>.log: the log once the job has ended
  std::string record;             // temp/<base name>.<key>.job: the job's record (runs/job_record.h)
  std::string stop_request;       // beside the record, ".stp"
  std::string subtitle_copy;      // the UTF-8 copy of the subtitle, ending as its kind's copy does
  std::string first_pass_output;  // the subtitle-sync route's first encode
  std::string main_output;
  std::string raw_video;
  std::string raw_audio;
  AvsFiles avs;  // the coloured route's SSA file and AviSynth script
};

// Every name the files of a build end in after the build's own name "qvXXXX", in temp,
// besides its subtitle copy (which ends as its kind's copy does): the log, the encode
// and the subtitle-sync route's second one, the raw video of every device and the raw
// sound. The log and the copy are what the build prepares before the script runs.
inline constexpr const char* kBuildTempSuffixes[] = {".tmp", ".avi", ".avi2", ".m4v", ".264", ".aac"};
// The MP4 a build makes: ".qvXXXX.part", hidden beside its final name.
inline constexpr const char* kBuiltMp4Suffix = ".part";

// The files of the job of `video_path` that makes `target`, whose build's log is
// `job_log`, given the video's subtitle (none when not found).
JobFiles NameJobFiles(const std::string& video_path, const JobTarget& target, const FoundSubtitle& subtitle,
                      const std::string& job_log, const Workspace& workspace, ScriptDialect dialect,
                      const EncodeSettings& settings, const EncoderPreset& preset);

// A file of a build in temp, by the build's name and how it ends.
std::string BuildFilePath(const std::string& build, const std::string& suffix, const Workspace& workspace);
// The MP4 a build makes, hidden beside `output`, the MP4's final name.
std::string BuiltMp4Path(const std::string& build, const std::string& output, PathStyle style);

// The build a file in temp, or beside an MP4, belongs to ("qv1A2B"), for its own name or a
// partial file a tool was writing in its place (".qv1A2B.avi.5f3e", and the check's
// "..qv1A2B.part.5f3e.mp4"), and whether it is one the build prepared; nothing for
// any other file, so that nothing of the user's is ever taken for a job's.
struct BuildFileName {
  std::string build;
  bool prepared = false;
  bool operator==(const BuildFileName& other) const { return build == other.build && prepared == other.prepared; }
};
std::optional<BuildFileName> BuildOfFile(const std::string& path, const Workspace& workspace);

// batch/<job name> with the dialect's extension: the job script of the job of that
// name (JobTarget), one for each listed video.
std::string JobScriptPath(const std::string& job_name, const Workspace& workspace, ScriptDialect dialect);

// batch/<job name>.log: where a job leaves its log when it ends, until the next
// build of that video's job.
std::string JobLogPath(const std::string& job_name, const Workspace& workspace);

// temp/<base name>.<key>.job: the record of the job of a video (runs/job_record.h),
// one for each video: the key, eight hexadecimal digits of the whole path (folded as
// the system compares paths), keeps two videos of one base name in two folders apart.
// A base name too long to leave room for it gives the key alone.
std::string JobRecordPath(const std::string& video_path, const Workspace& workspace);

// "<name>.stp" beside the record "<name>.job": a request to stop that job.
std::string StopRequestPath(const std::string& record);

}  // namespace clipvane
