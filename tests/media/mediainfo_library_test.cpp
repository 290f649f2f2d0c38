// The probe through the real MediaInfo library, on small files that FFmpeg makes
// for the test. On Windows the library is MediaInfo.dll beside the test program;
// without it (as under Wine) these cases are skipped and the missing library is
// tested instead.
#include "media/mediainfo_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "list_fixture.h"
#include "media/list_commands.h"
#include "media/media_probe.h"
#include "media_fakes.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "support/fakes.h"

namespace clipvane {
namespace {

using testing::RecordingNotifier;
using testing::RecordingStatusLine;
using testing::TempFolder;

struct SampleFile {
  std::string name;  // UTF-8
  std::string ffmpeg_arguments;
  int width;
  int height;
  double frame_rate;
};

const std::vector<SampleFile>& Samples() {
  static const std::vector<SampleFile> samples = {
      {"landscape 4x3.avi", "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 "
                            "-f lavfi -i sine=duration=1 -c:v mpeg4 -c:a mp2 -shortest",
       160, 120, 25.0},
      // AAC in MP4: the audio section has a packet rate of its own (43.066 fps).
      {"wide 16x9.mp4", "-f lavfi -i testsrc=size=192x108:rate=24000/1001:duration=1 "
                        "-f lavfi -i sine=duration=1 -c:v mpeg4 -c:a aac -shortest",
       192, 108, 23.976},
      {"portrait silent.mkv", "-f lavfi -i testsrc=size=96x160:rate=30000/1001:duration=1 "
                              "-c:v mpeg4 -an",
       96, 160, 29.97},
      {"window.wmv", "-f lavfi -i testsrc=size=176x144:rate=25:duration=1 "
                     "-f lavfi -i sine=duration=1 -c:v wmv2 -c:a wmav2 -shortest",
       176, 144, 25.0},
      {u8"휴가 영상.avi", "-f lavfi -i testsrc=size=128x96:rate=30000/1001:duration=1 "
                          "-f lavfi -i sine=duration=1 -c:v mpeg4 -c:a aac -shortest",
       128, 96, 29.97},
  };
  return samples;
}

std::string ProgramFolder() { return AppDirFromExecutable(ExecutablePath(), kNativePathStyle); }

class RealLibraryTest : public testing::ListFixture {
 protected:
  static void SetUpTestSuite() {
    if (!LoadMediaInfoLibrary(ProgramFolder())->Problem().empty()) return;
    samples_ = new TempFolder;
    for (const SampleFile& sample : Samples()) {
      const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " +
                                  sample.ffmpeg_arguments + " '" + samples_->Path() +
                                  Utf8ToAnsi(sample.name) + "'";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    samples_->WriteFile("not media.avi", "This is a text file, not a video.\r\n");
  }
  static void TearDownTestSuite() {
    delete samples_;
    samples_ = nullptr;
  }
  void SetUp() override {
    library_ = LoadMediaInfoLibrary(ProgramFolder());
    if (!library_->Problem().empty()) GTEST_SKIP() << "no MediaInfo library beside the program";
    video_exts = {"avi", "mp4", "mkv", "wmv"};
  }

  static TempFolder* samples_;
  std::unique_ptr<MediaInfoLibrary> library_;
  RecordingStatusLine status_;
  RecordingNotifier notifier_;
};

TempFolder* RealLibraryTest::samples_ = nullptr;

TEST_F(RealLibraryTest, FindsTheTrueSizeAndFrameRateOfEverySample) {
  MediaProbe probe(*library_, files, status_, notifier_, kNativePathStyle);
  for (const SampleFile& sample : Samples())
    ASSERT_EQ(list.AddVideo(samples_->Path() + Utf8ToAnsi(sample.name)), AddOutcome::kAdded);
  RefreshList(list, probe);
  for (std::size_t row = 0; row < Samples().size(); ++row) {
    const SampleFile& sample = Samples()[row];
    const MediaFacts& facts = list.Row(row).entry.facts;
    EXPECT_EQ(facts.width, sample.width) << sample.name;
    EXPECT_EQ(facts.height, sample.height) << sample.name;
    EXPECT_DOUBLE_EQ(facts.frameRate, sample.frame_rate) << sample.name;
    EXPECT_DOUBLE_EQ(facts.aspect, static_cast<double>(sample.width) / sample.height) << sample.name;
    EXPECT_NE(facts.report.find("\r\nvideo\r\n"), std::string::npos) << sample.name;
    EXPECT_EQ(list.Row(row).title.find(ProbeFailureNote()), std::string::npos) << sample.name;
  }
  EXPECT_TRUE(notifier_.shown.empty());
  EXPECT_EQ(status_.texts.back(), "checked " + Utf8ToAnsi(u8"휴가 영상.avi"));
}

TEST_F(RealLibraryTest, TheLibraryFindsAFileByItsKoreanName) {
  const std::string path = samples_->Path() + Utf8ToAnsi(Samples()[4].name);
  const std::string report = library_->Inform(path);
  EXPECT_NE(report.find(Utf8ToAnsi(u8"휴가 영상.avi")), std::string::npos) << report;
  EXPECT_NE(report.find("Video"), std::string::npos);
}

TEST_F(RealLibraryTest, AFileThatIsNoVideoFailsWithTheNote) {
  MediaProbe probe(*library_, files, status_, notifier_, kNativePathStyle);
  list.AddVideo(samples_->Path() + "not media.avi");
  const VideoEntry entry = probe.ProbeVideo(list, 0);
  EXPECT_TRUE(entry.probed);
  EXPECT_EQ(entry.facts.height, 0);
  EXPECT_EQ(entry.facts.frameRate, 0.0);
  EXPECT_EQ(list.Row(0).title, "not media" + ProbeFailureNote());
  EXPECT_TRUE(notifier_.shown.empty());
}

#ifdef _WIN32
class MissingLibraryTest : public testing::ListFixture {};

TEST_F(MissingLibraryTest, WithoutMediaInfoDllEveryProbeFailsAndTheUserIsToldOnce) {
  TempFolder program_folder;  // holds no MediaInfo.dll
  const std::unique_ptr<MediaInfoLibrary> library = LoadMediaInfoLibrary(program_folder.Path());
  EXPECT_NE(library->Problem().find("MediaInfo.dll"), std::string::npos);
  EXPECT_EQ(library->Inform(Video("a.avi")), "");

  RecordingStatusLine status;
  RecordingNotifier notifier;
  MediaProbe probe(*library, files, status, notifier, kNativePathStyle);
  list.AddVideo(Video("a.avi"));
  list.AddVideo(Video("b.avi"));
  RefreshList(list, probe);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, library->Problem());
  EXPECT_EQ(list.Row(0).entry.facts.height, 0);
  EXPECT_EQ(list.Row(1).title, "b" + ProbeFailureNote());
}

TEST_F(MissingLibraryTest, ADamagedMediaInfoDllIsRefusedQuietly) {
  TempFolder program_folder;
  program_folder.WriteFile("MediaInfo.dll", "MZ but nothing of a library after it");
  const std::unique_ptr<MediaInfoLibrary> library = LoadMediaInfoLibrary(program_folder.Path());
  EXPECT_NE(library->Problem().find("MediaInfo.dll"), std::string::npos);
  EXPECT_NE(library->Problem(), LoadMediaInfoLibrary(temp / "nowhere\\")->Problem());
  EXPECT_EQ(library->Inform(Video("c.avi")), "");
}
#endif

}  // namespace
}  // namespace clipvane
