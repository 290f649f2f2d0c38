// The probe through the real MediaInfo library, on small real videos that the
// media_samples test fixture makes with FFmpeg into the build folder: Debian's
// library on Linux; on Windows the MediaInfo.dll built for the program, beside the
// test program, reading the same files through Wine's view of that folder. Without
// the DLL (a Windows build without CLIPVANE_WINDOWS_DEPS) these cases are skipped.
#include <gtest/gtest.h>

#include <memory>

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

// The videos of tests/media/make_samples.cmake and what the probe must find in them.
struct SampleFile {
  std::string name;  // UTF-8
  int width;
  int height;
  double frame_rate;
};

const std::vector<SampleFile>& Samples() {
  static const std::vector<SampleFile> samples = {
      {"landscape 4x3.avi", 160, 120, 25.0},
      // AAC in MP4: the audio section has a packet rate of its own (43.066 fps).
      {"wide 16x9.mp4", 192, 108, 23.976},
      {"portrait silent.mkv", 96, 160, 29.97},
      {"portrait film.mp4", 108, 192, 23.976},
      {"phone turned.mp4", 108, 192, 23.976},  // the size as shown
      {"window.wmv", 176, 144, 25.0},
      {u8"휴가 영상.avi", 128, 96, 29.97},
  };
  return samples;
}

std::string ProgramFolder() { return AppDirFromExecutable(ExecutablePath(), kNativePathStyle); }

// ANSI path of a file the fixture made.
std::string SamplePath(const std::string& utf8_name) {
  return ProgramFolder() + "media-samples" + Separator(kNativePathStyle) + Utf8ToAnsi(utf8_name);
}

class RealLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (library_->Problem() != MediaInfoProblem::kNone) GTEST_SKIP() << "no MediaInfo library beside the program";
    ASSERT_TRUE(files_.Exists(SamplePath(Samples()[0].name)))
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
  for (const SampleFile& sample : Samples()) ASSERT_FALSE(list_.AddVideo(SamplePath(sample.name))) << sample.name;
  std::vector<std::string> steps;
  RefreshList(list_, probe_, [&steps](const ProgressStep& step) { steps.push_back(step.file); });
  for (std::size_t row = 0; row < Samples().size(); ++row) {
    const SampleFile& sample = Samples()[row];
    const MediaFacts& facts = list_.Row(row).entry.facts;
    EXPECT_EQ(facts.width, sample.width) << sample.name;
    EXPECT_EQ(facts.height, sample.height) << sample.name;
    EXPECT_DOUBLE_EQ(facts.frameRate, sample.frame_rate) << sample.name;
    EXPECT_DOUBLE_EQ(facts.aspect, static_cast<double>(sample.width) / sample.height) << sample.name;
    EXPECT_NE(facts.report.find("\r\nvideo\r\n"), std::string::npos) << sample.name;
    EXPECT_EQ(list_.Row(row).title.find(ProbeFailureNote()), std::string::npos) << sample.name;
    const TrackSummary tracks = ParseTrackSummary(library_->InformTracks(SamplePath(sample.name)));
    EXPECT_TRUE(tracks.read) << sample.name;
    EXPECT_EQ(tracks.video_tracks, 1) << sample.name;
    EXPECT_EQ(tracks.audio_tracks, sample.name.find("silent") == std::string::npos ? 1 : 0) << sample.name;
    EXPECT_NEAR(tracks.seconds, 1.0, 0.1) << sample.name;
  }
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.back(), Utf8ToAnsi(u8"휴가 영상.avi"));
  EXPECT_NE(library_->Inform(SamplePath(Samples()[0].name)).find("Video"), std::string::npos);
  // A file that is no video fails with the note, and has no tracks; a missing one is unread.
  ASSERT_FALSE(list_.AddVideo(SamplePath("not media.avi")));
  EXPECT_EQ(probe_.ProbeVideo(list_, Samples().size()).facts.height, 0);
  EXPECT_EQ(list_.Row(Samples().size()).title, "not media" + ProbeFailureNote());
  const TrackSummary text = ParseTrackSummary(library_->InformTracks(SamplePath("not media.avi")));
  EXPECT_EQ(text.video_tracks + text.audio_tracks, 0);
  EXPECT_FALSE(ParseTrackSummary(library_->InformTracks(SamplePath("nothing here.mp4"))).read);
}

}  // namespace
}  // namespace clipvane
