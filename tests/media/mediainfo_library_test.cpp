// The probe through the real MediaInfo library, on small real videos that the
// media_samples test fixture makes with FFmpeg into the build folder: Debian's
// library on Linux; on Windows the MediaInfo.dll built for the program, beside the
// test program, reading the same files through Wine's view of that folder. Without
// the DLL (a Windows build without CLIPVANE_WINDOWS_DEPS) these cases are skipped.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <memory>
#include <sstream>

#include "common/workspace.h"
#include "media/list_commands.h"
#include "media/media_probe.h"
#include "media/mediainfo_library.h"
#include "media/mediainfo_report.h"
#include "media/video_list.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

// The videos of tests/media/make_samples.cmake (UTF-8 names) and what the probe must
// find in them: the picture as shown, frame rate, video and audio tracks.
const std::pair<std::string, std::string> kSamples[] = {
    {"landscape 4x3.avi", "160x120 25fps 1v 1a"},
    {"wide 16x9.mp4", "192x108 23.976fps 1v 1a"},  // AAC in MP4: the audio's packet rate is no frame rate
    {"portrait silent.mkv", "96x160 29.97fps 1v 0a"},
    {"portrait film.mp4", "108x192 23.976fps 1v 1a"},
    {"phone turned.mp4", "108x192 23.976fps 1v 1a"},  // the size as shown
    {"window.wmv", "176x144 25fps 1v 1a"},
    {u8"휴가 영상.avi", "128x96 29.97fps 1v 1a"}};

std::string ProgramFolder() { return AppDirFromExecutable(ExecutablePath(), kNativePathStyle); }

// ANSI path of a file the fixture made.
std::string SamplePath(const std::string& utf8_name) {
  return ProgramFolder() + "media-samples" + Separator(kNativePathStyle) + Utf8ToAnsi(utf8_name);
}

class RealLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (library_->Problem() != MediaInfoProblem::kNone) GTEST_SKIP() << "no MediaInfo library beside the program";
    ASSERT_TRUE(files_.Exists(SamplePath(kSamples[0].first)))
        << "no sample videos: the media_samples test makes them (ctest runs it first)";
  }

  FileSystem& files_ = NativeFileSystem();
  std::unique_ptr<MediaInfoLibrary> library_ = LoadMediaInfoLibrary(ProgramFolder(), files_);
  MediaProbe probe_{*library_, files_, kNativePathStyle};
  testing::TempFolder program_folder_;
  Workspace workspace_{program_folder_.Path(), kNativePathStyle};
  std::vector<std::string> video_exts_{"avi", "mp4", "mkv", "wmv"};
  VideoList list_{workspace_, files_, video_exts_};
};

// The size and frame rate that a probe finds, and the tracks and length that a waiting
// command checks a result with. The library's view is shared by the whole process, so
// the ordinary report must come back whole after a track summary.
TEST_F(RealLibraryTest, FindsTheTrueSizeFrameRateTracksAndLengthOfEverySample) {
  for (const auto& [name, found] : kSamples) ASSERT_FALSE(list_.AddVideo(SamplePath(name))) << name;
  RefreshList(list_, probe_);
  for (std::size_t row = 0; row < std::size(kSamples); ++row) {
    const auto& [name, found] = kSamples[row];
    const MediaFacts& facts = list_.Row(row).entry.facts;
    const TrackSummary tracks = ParseTrackSummary(library_->InformTracks(SamplePath(name)));
    std::ostringstream shown;
    shown << facts.width << "x" << facts.height << " " << facts.frameRate << "fps " << tracks.video_tracks << "v "
          << tracks.audio_tracks << "a";
    EXPECT_EQ(shown.str(), found) << name;
    EXPECT_TRUE(tracks.read && std::abs(tracks.seconds - 1.0) < 0.1) << name << " " << tracks.seconds;
    EXPECT_EQ(list_.Row(row).title.find(ProbeFailureNote()), std::string::npos) << name;
  }
  // A file that is no video has no tracks; a missing one is unread.
  const TrackSummary text = ParseTrackSummary(library_->InformTracks(SamplePath("not media.avi")));
  EXPECT_EQ(text.video_tracks + text.audio_tracks, 0);
  EXPECT_FALSE(ParseTrackSummary(library_->InformTracks(SamplePath("nothing here.mp4"))).read);
}

}  // namespace
}  // namespace clipvane
