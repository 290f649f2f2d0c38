#include "media/media_probe.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "media/list_commands.h"
#include "media/video_list.h"
#include "media_fakes.h"
#include "list_fixture.h"
#include "platform/text_encoding.h"
#include "support/fakes.h"

namespace clipvane {
namespace {

using testing::FakeMediaInfoLibrary;
using testing::RecordingNotifier;
using testing::RecordingStatusLine;
using Texts = std::vector<std::string>;

const char kGoodReport[] =
    "General\nFormat : AVI\n\nVideo\nWidth : 320 pixels\nHeight : 240 pixels\n"
    "Frame rate : 25.000 FPS\n";

class MediaProbeTest : public testing::ListFixture {
 protected:
  FakeMediaInfoLibrary library;
  RecordingStatusLine status;
  RecordingNotifier notifier;
  MediaProbe probe{library, files, status, notifier, kNativePathStyle};
};

TEST_F(MediaProbeTest, ProbesOnceAndShowsItsProgress) {
  const std::string path = Video("Holiday.avi");
  library.reports[path] = kGoodReport;
  list.AddVideo(path);
  EXPECT_TRUE(library.informed.empty());  // adding never probes

  const VideoEntry first = probe.ProbeVideo(list, 0);
  EXPECT_TRUE(first.probed);
  EXPECT_EQ(first.facts.width, 320);
  EXPECT_EQ(first.facts.height, 240);
  EXPECT_DOUBLE_EQ(first.facts.frameRate, 25.0);
  EXPECT_EQ(status.texts, (Texts{"checking Holiday.avi", "checked Holiday.avi", "checked Holiday.avi"}));
  EXPECT_EQ(list.Row(0).title, "Holiday");

  library.reports[path] = "Video\nHeight : 480 pixels\n";  // the file changed meanwhile
  const VideoEntry second = probe.ProbeVideo(list, 0);
  EXPECT_EQ(library.informed, Texts{path});
  EXPECT_EQ(second.facts.height, 240);
  EXPECT_EQ(second.facts.report, first.facts.report);
  EXPECT_EQ(status.texts.size(), 3u);
}

TEST_F(MediaProbeTest, AnUnreadableFileGetsTheNoteOnceAndIsNotTriedAgain) {
  list.AddVideo(Video("broken.avi", "not a video at all"));
  const VideoEntry entry = probe.ProbeVideo(list, 0);
  EXPECT_TRUE(entry.probed);
  EXPECT_EQ(entry.facts.height, 0);
  EXPECT_EQ(entry.facts.aspect, 0.0);
  EXPECT_EQ(list.Row(0).title, "broken" + Utf8ToAnsi(u8" - 동영상 정보를 구하지 못했습니다."));
  probe.ProbeVideo(list, 0);
  RefreshList(list, probe);
  EXPECT_EQ(list.Row(0).title, "broken" + ProbeFailureNote());
  EXPECT_EQ(library.informed.size(), 1u);
  EXPECT_EQ(status.texts.back(), "checked broken.avi");
}

TEST_F(MediaProbeTest, AVideoDeletedBeforeItsProbeStaysSilentAndAtZero) {
  const std::string path = Video("gone.avi");
  list.AddVideo(path);
  std::remove(path.c_str());
  const VideoEntry entry = probe.ProbeVideo(list, 0);
  EXPECT_TRUE(entry.probed);
  EXPECT_EQ(entry.facts.height, 0);
  EXPECT_EQ(list.Row(0).title, "gone");
  EXPECT_TRUE(status.texts.empty());
  EXPECT_TRUE(library.informed.empty());

  Video("gone.avi");  // back again: still not probed a second time
  library.reports[path] = kGoodReport;
  EXPECT_EQ(probe.ProbeVideo(list, 0).facts.height, 0);
  EXPECT_TRUE(library.informed.empty());
}

TEST_F(MediaProbeTest, AMissingLibraryIsToldOnceAndEveryProbeFails) {
  library.problem = "MediaInfo.dll missing";
  list.AddVideo(Video("a.avi"));
  list.AddVideo(Video("b.avi"));
  RefreshList(list, probe);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, "MediaInfo.dll missing");
  EXPECT_EQ(notifier.shown[0].caption, Utf8ToAnsi(u8"경고"));
  EXPECT_EQ(notifier.shown[0].icon, MessageIcon::kWarning);
  EXPECT_EQ(Titles(), (Texts{"a" + ProbeFailureNote(), "b" + ProbeFailureNote()}));
}

TEST_F(MediaProbeTest, RefreshProbesNewRowsAndRereadsOnlyTheEncodedMarker) {
  const std::string a = Video("a.avi");
  const std::string b = Video("b.avi");
  library.reports[a] = library.reports[b] = kGoodReport;
  list.AddVideo(a);
  probe.ProbeVideo(list, 0);
  list.AddVideo(b);
  const std::string mp4 = Encoded(a);
  Video("b.smi", "subtitle");  // appears after the row was added
  EXPECT_EQ(list.Row(0).encodedMarker, "");

  RefreshList(list, probe);
  EXPECT_EQ(library.informed, (Texts{a, b}));
  EXPECT_EQ(list.Row(0).encodedMarker, "*");
  EXPECT_EQ(list.Row(1).encodedMarker, "");
  EXPECT_EQ(list.Row(1).subtitle, "-");
  EXPECT_TRUE(list.Row(1).entry.probed);

  std::remove(mp4.c_str());
  RefreshList(list, probe);
  EXPECT_EQ(list.Row(0).encodedMarker, "");
  EXPECT_EQ(library.informed.size(), 2u);
}

}  // namespace
}  // namespace clipvane
