#pragma once
#include <string>

#include "job_report.h"

namespace clipvane::tools {

// "mp4creator -check [-aid N] <video> <built MP4> <final MP4>", the last step of a
// job: holds the MP4 the job built against what was converted of its video, its first
// picture and its N-th sound track (the first unless told; tools/source_tracks.h), as
// the program's own judge does (one video and one audio track, through MediaInfo, as
// long as those within a second), and the sound beginning as long after the first
// picture as the video's does (within a tenth of a second). Only when it passes, and
// the job's record says so (`job`), renames it over the final name, beside which it
// was built, and notes the video it was made from. Otherwise the final name keeps what
// it had, and an MP4 that passed but could not take its name is recorded as failed.
// Says its verdict on stderr, which the job keeps in its log; returns the exit status.
int CheckAndPlace(const std::string& video, int sound_track, const std::string& built, const std::string& final_mp4,
                  JobReport& job);

}  // namespace clipvane::tools
