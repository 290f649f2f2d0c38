#pragma once
#include <string>

#include "media/mediainfo_report.h"

namespace clipvane {

// What became of a job, judged from what it left: a result is believed only when
// it was checked.
enum class JobOutcome {
  kWritten,         // a new MP4 with one video and one audio track, as long as its source
  kNoNewResult,     // no MP4 was written by this run (an earlier one may stand)
  kUnreadable,      // the library cannot read the MP4
  kVideoTracks,     // not exactly one video track
  kAudioTracks,     // not exactly one audio track
  kLengthDiffers,   // more than a second longer or shorter than its source, or of no length
};

// What became of a job in a few words, for the command line and the window alike:
// "written", or why not ("no MP4 was written", ...).
std::string JobOutcomeText(JobOutcome outcome);

// How far a result's length may be from its source's.
inline constexpr double kLengthTolerance = 1.0;

// Judges a job's MP4. A source whose length the library cannot tell only asks the
// result to have a length.
JobOutcome JudgeResult(bool written_by_this_run, const TrackSummary& source, const TrackSummary& result);

class FileSystem;
class MediaInfoLibrary;

// An ended job as judged: its outcome, the MP4's tracks, and what its log said last.
struct JudgedJob {
  JobOutcome outcome = JobOutcome::kNoNewResult;
  TrackSummary result;
  std::string said;
};

// Judges an ended job's MP4 against its video (read only when the MP4 is new) and
// takes what the job's log, which every job leaves, says of the cause. The log stays
// for the user to read. An empty `job_log` has nothing to read.
JudgedJob JudgeEndedJob(bool written_by_this_run, const std::string& video, const std::string& mp4,
                        const std::string& job_log, const FileSystem& files, MediaInfoLibrary& mediainfo);

// The last line of a job log that says something: not blank and not a progress
// line ("Pos: ..."); empty when there is none. Lines end with LF, CR or CR LF.
std::string LastMeaningfulLine(const std::string& log);

// Why a job failed, in its tools' own words: the first line of the log that names a
// cause a user can act on (no space left, a program or file not found, a stream the
// source lacks, no permission, ...), or else the last meaningful line.
std::string CauseLine(const std::string& log);

// The percentage of an encoder progress line ("Pos:   3.2s    80f ( 45%) ..."), blanks
// allowed before the number, or -1 for any other line.
int ProgressPercent(const std::string& line);

// The percentage of the last progress line in what a script printed, or -1 when it
// printed none. A terminal's updates end with CR alone.
int LastProgressPercent(const std::string& output);

}  // namespace clipvane
