#pragma once
#include <string>

#include "media/mediainfo_report.h"

namespace clipvane {

// What became of a job, judged from what it left: a result is believed only when
// it was checked.
enum class JobOutcome {
  kWritten,            // a new MP4 with one video and one audio track, as long as its source, in step
  kNoNewResult,        // no MP4 was written by this run (an earlier one may stand)
  kUnreadable,         // the library cannot read the MP4
  kVideoTracks,        // not exactly one video track
  kAudioTracks,        // not exactly one audio track
  kLengthDiffers,      // more than a second longer or shorter than its source, or of no length
  kSoundStartDiffers,  // its sound begins elsewhere after the first picture than its source's
};

// What became of a job in a few words, for the command line and the window alike:
// "written", or why not ("no MP4 was written", ...).
std::string JobOutcomeText(JobOutcome outcome);

// How far a result's length may be from its source's.
inline constexpr double kLengthTolerance = 1.0;

// Judges a job's MP4 by its tracks and length. The source's length is that of what was
// converted of it; one that cannot be told only asks the result to have a length.
// (Where the sound begins is judged by the check itself, tools/source_tracks.h.)
JobOutcome JudgeResult(bool written_by_this_run, const TrackSummary& source, const TrackSummary& result);

// The last line of a job log that says something: not blank and not a progress
// line ("Pos: ..."); empty when there is none. Lines end with LF, CR or CR LF.
std::string LastMeaningfulLine(const std::string& log);

// Why a job failed, in its tools' own words: the cause a tool named outright (the last
// line CauseNamed wrote), else the first line of the log that names a cause a user can
// act on (no space left, a program or file not found, a stream the source lacks, no
// permission, ...), or else the last meaningful line.
std::string CauseLine(const std::string& log);

// The line in which a tool names its failure's cause for CauseLine: "<tool>: cause:
// <cause>". The encoder names FFmpeg's own line so, which its last words ("nothing
// written") would otherwise hide.
std::string CauseNamed(const std::string& tool, const std::string& cause);

}  // namespace clipvane
