#pragma once
#include <string>

#include "job_report.h"

namespace clipvane::tools {

// "mp4creator -check <video> <built MP4> <final MP4>", the last step of a job: holds
// the MP4 the job built against its video, as the program's own judge does (one
// video and one audio track, as long as the video within a second, through
// MediaInfo), and only when it passes, and the job's record says so (`job`), renames
// it over the final name, beside which it was built, and notes the video it was made
// from. Otherwise the final name keeps what it had, and an MP4 that passed but could
// not take its name is recorded as failed. Says its verdict on stderr, which the job
// keeps in its log; returns the exit status.
int CheckAndPlace(const std::string& video, const std::string& built, const std::string& final_mp4, JobReport& job);

}  // namespace clipvane::tools
