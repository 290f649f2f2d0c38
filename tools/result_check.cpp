#include "result_check.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "base/text.h"
#include "common/workspace.h"
#include "media/mediainfo_library.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"
#include "runs/job_outcome.h"
#include "source_tracks.h"
#include "tool_files.h"

namespace clipvane::tools {
namespace {

std::string Seconds(double seconds) {
  if (std::isinf(seconds)) return "never";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

// The program's folder: the one above this tool's bin.
std::string ProgramFolder() {
  const std::string bin = AppDirFromExecutable(ExecutablePath(), kNativePathStyle);
  return FolderPart(bin.substr(0, bin.empty() ? 0 : bin.size() - 1), kNativePathStyle);
}

// Notes the video beside the placed MP4, for the list to tell whose MP4 it is. A note
// that cannot be written leaves none, which counts as not knowing: never a wrong one.
void NoteSource(const std::string& video, const std::string& final_mp4) {
  const std::filesystem::path record = FsPath(SourceRecordPath(final_mp4, kNativePathStyle));
  std::error_code ignored;
  std::filesystem::create_directory(record.parent_path(), ignored);
#ifdef _WIN32
  SetFileAttributesW(record.parent_path().c_str(), FILE_ATTRIBUTE_HIDDEN);
#endif
  const std::string written = UniqueNameBeside(Utf8Path(record));
  if (!WriteWholeFile(written, video + "\n") || !MoveOver(written, Utf8Path(record)))
    std::filesystem::remove(FsPath(written), ignored);
}

}  // namespace

int CheckAndPlace(const std::string& video, int sound_track, const std::string& built, const std::string& final_mp4,
                  JobReport& job) {
  // The list names every video's MP4 apart from any other's, but another list, or one
  // that last looked at the disk before that MP4 was made, may not have known of it:
  // an MP4 made from another video is never replaced.
  const std::optional<std::string> note = ReadWholeFile(SourceRecordPath(final_mp4, kNativePathStyle));
  const std::vector<std::string> noted = note ? NonEmptyLines(*note) : std::vector<std::string>{};
  if (!noted.empty() && !SamePath(noted.front(), video, kNativePathStyle)) {
    std::cerr << "mp4creator: " << final_mp4 << " was made from another video, " << noted.front()
              << "; it stays as it was (convert again to give this video an MP4 of its own)\n";
    return 1;
  }
  const std::unique_ptr<MediaInfoLibrary> mediainfo = LoadMediaInfoLibrary(ProgramFolder(), NativeFileSystem());
  if (mediainfo->Problem() != MediaInfoProblem::kNone) {
    std::cerr << "mp4creator: MediaInfo.dll is missing or unusable in " << ProgramFolder()
              << ": the new MP4 cannot be checked; " << final_mp4 << " stays as it was\n";
    return 1;
  }
  // What was converted: the source's first picture and chosen sound as FFmpeg plays
  // them, not the container's overall length, which a subtitle or another sound track
  // may stretch and joined recordings cut short.
  const ConvertedSource source = ProbeConvertedSource(video, sound_track);
  const double converted = source.Seconds();
  // The library knows an MP4 by its name: under the built file's own ".part" it reads
  // through the whole film to tell what it is. A second name for the same file, ending
  // in ".mp4", spares that; where the disk takes no such link, the file is read as it is.
  const std::string named_mp4 = UniqueNameBeside(built) + ".mp4";
  std::error_code no_link;
  std::filesystem::create_hard_link(FsPath(built), FsPath(named_mp4), no_link);
  const TrackSummary result = ParseTrackSummary(mediainfo->InformTracks(Utf8ToAnsi(no_link ? built : named_mp4)));
  std::error_code ignored;
  if (!no_link) std::filesystem::remove(FsPath(named_mp4), ignored);
  JobOutcome outcome = JudgeResult(true, {converted > 0, 1, 1, converted}, result);
  std::string found = "it has " + std::to_string(result.video_tracks) + " video and " +
                      std::to_string(result.audio_tracks) + " audio tracks and is " + Seconds(result.seconds) +
                      " long, what was converted of the video " +
                      (converted > 0 ? Seconds(converted) : "of unknown length");
  if (outcome == JobOutcome::kWritten) {
    // Both counted from the first picture: the MP4 begins with it.
    const std::optional<SoundLevels> heard = MeasureSound(video, sound_track, source.picture.start, kSoundListened);
    const std::optional<SoundLevels> mp4 = MeasureSound(built, 0, 0, kSoundListened + 1);
    const SoundStartVerdict start = heard ? JudgeSoundStart(*heard, mp4.value_or(SoundLevels{})) : SoundStartVerdict{};
    if (start.compared) {
      found += ", its sound begins " + Seconds(start.mp4_begins) + " after the first picture, the video's " +
               Seconds(start.source_begins);
    }
    if (!start.agrees) outcome = JobOutcome::kSoundStartDiffers;
  }
  if (outcome != JobOutcome::kWritten) {
    std::cerr << "mp4creator: " << JobOutcomeText(outcome) << ": " << found << "; " << final_mp4
              << " stays as it was\n";
    return 1;
  }
  // The record first: an MP4 in place that its record did not tell of would be one
  // that the program never reports, or reports as failed.
  if (const std::optional<std::string> unrecorded = job.Written()) {
    std::cerr << "mp4creator: checked, " << found << ", but the job's record cannot say so (" << *unrecorded << "); "
              << final_mp4 << " stays as it was\n";
    return 1;
  }
  // The earlier note goes first: between the two steps nothing is known, which is
  // never wrong.
  std::filesystem::remove(FsPath(SourceRecordPath(final_mp4, kNativePathStyle)), ignored);
  std::string why;
  if (!MoveOver(built, final_mp4, &why)) {
    const std::string cause = "cannot put the MP4 in place as " + final_mp4 + ": " + why;
    std::cerr << "mp4creator: " << cause << "\n";
    job.NotPlaced(cause);
    return 1;
  }
  NoteSource(video, final_mp4);
  std::cerr << "mp4creator: checked, " << found << ": now " << final_mp4 << "\n";
  return 0;
}

}  // namespace clipvane::tools
