#include "media/video_list.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "list_fixture.h"
#include "media/list_commands.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

using Outcomes = std::vector<AddOutcome>;
using Texts = std::vector<std::string>;

class VideoListTest : public testing::ListFixture {};

TEST_F(VideoListTest, ANewRowShowsMarkerNameAndSubtitleWithoutProbing) {
  const std::string holiday = Video("Holiday.avi");
  Video("Holiday.smi", "<SAMI>");
  const std::string korean = Video(Utf8ToAnsi(u8"휴가 영상.wmv"));
  Encoded(korean);

  EXPECT_EQ(list.AddVideo(holiday), AddOutcome::kAdded);
  EXPECT_EQ(list.AddVideo(korean), AddOutcome::kAdded);
  ASSERT_EQ(list.RowCount(), 2u);
  EXPECT_EQ(list.Row(0).encodedMarker, "");
  EXPECT_EQ(list.Row(0).title, "Holiday");
  EXPECT_EQ(list.Row(0).subtitle, "OK");
  EXPECT_EQ(list.Row(1).encodedMarker, "*");
  EXPECT_EQ(list.Row(1).title, Utf8ToAnsi(u8"휴가 영상"));
  EXPECT_EQ(list.Row(1).subtitle, "-");
  EXPECT_FALSE(list.Row(0).entry.probed);
  EXPECT_EQ(list.Row(0).entry.facts.height, 0);
  EXPECT_EQ(list.EntryPath(1), korean);
  EXPECT_EQ(list.Listed().Count(), 2u);
}

TEST_F(VideoListTest, RefusesWhatDoesNotQualifyAndSaysWhy) {
  const std::string folder = temp.Path();
  const std::string clip = Video("clip.avi");
  std::string longest = folder + "x.avi";
  longest.insert(folder.size(), kMaxVideoPathLength - longest.size(), 'n');
  ASSERT_EQ(longest.size(), kMaxVideoPathLength);

  const Outcomes outcomes = AddDroppedFiles(
      list, {"clip.avi", clip, clip, clip.substr(0, clip.size() - 8) + "CLIP.Avi", Video("notes.txt"), Video("movie.mkv"),
             Video("clip.avi.txt"), Video("noextension"), folder + "videos", longest,
             longest.substr(0, longest.size() - 5) + "yy.avi"});
  EXPECT_EQ(outcomes, (Outcomes{AddOutcome::kNoFolder, AddOutcome::kAdded,
                                AddOutcome::kAlreadyListed, AddOutcome::kAlreadyListed,
                                AddOutcome::kNotAVideo, AddOutcome::kNotAVideo,
                                AddOutcome::kNotAVideo, AddOutcome::kNotAVideo,
                                AddOutcome::kNotAVideo, AddOutcome::kAdded,
                                AddOutcome::kPathTooLong}));
  EXPECT_EQ(list.RowCount(), 2u);
  EXPECT_EQ(list.EntryPath(1), longest);  // whole, never cut
}

TEST_F(VideoListTest, ARemovedPathCanBeAddedAgain) {
  const std::string a = Video("a.avi");
  const std::string b = Video("b.avi");
  list.AddVideo(a);
  list.AddVideo(b);
  list.RemoveVideo(0);
  EXPECT_EQ(list.RowCount(), 1u);
  EXPECT_EQ(list.EntryPath(0), b);
  EXPECT_FALSE(list.Listed().Contains(a));
  EXPECT_TRUE(list.Listed().Contains(b));
  EXPECT_EQ(list.AddVideo(a), AddOutcome::kAdded);
  EXPECT_EQ(list.AddVideo(b), AddOutcome::kAlreadyListed);
}

TEST_F(VideoListTest, TwoVideosOfOneNameShareTheirMp4AndGoTogether) {
  files.MakeFolders(temp / "other");
  const std::string first = Video("Same.avi");
  const std::string second = temp.WriteFile("other" + std::string(1, Separator(kNativePathStyle)) + "Same.mpg", "v");
  const std::string keep = Video("Keep.avi");
  list.AddVideo(first);
  list.AddVideo(keep);
  list.AddVideo(second);
  const std::string mp4 = Encoded(second);
  for (std::size_t row = 0; row < list.RowCount(); ++row) list.UpdateEncodedMarker(row);
  EXPECT_EQ(list.Row(0).encodedMarker, "*");
  EXPECT_EQ(list.Row(2).encodedMarker, "*");

  std::remove(mp4.c_str());  // the marker stays as last computed
  ClearEncoded(list);
  EXPECT_EQ(Titles(), Texts{"Keep"});
  EXPECT_EQ(list.Listed().Count(), 1u);
  EXPECT_TRUE(files.Exists(first));  // rows go, files stay
  EXPECT_TRUE(files.Exists(second));
}

// Rows named 0..n-1; which are selected and focused before DeleteSelected, and what
// remains, which row has the focus and which is selected after.
struct DeleteCase {
  int rows;
  std::vector<int> selected;
  int focus;  // -1: none
  Texts remaining;
  int focus_after;
  std::vector<std::size_t> selected_after;
};

class DeleteSelectedTest : public VideoListTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteSelectedTest, RemovesTheSelectionAndSelectsTheFocusedRow) {
  const DeleteCase& c = GetParam();
  for (int i = 0; i < c.rows; ++i) list.AddVideo(Video(std::to_string(i) + ".avi"));
  for (int row : c.selected) list.SetSelected(static_cast<std::size_t>(row), true);
  if (c.focus >= 0) list.SetFocusedRow(static_cast<std::size_t>(c.focus));

  DeleteSelected(list);
  EXPECT_EQ(Titles(), c.remaining);
  EXPECT_EQ(list.FocusedRow().has_value(), c.focus_after >= 0);
  if (c.focus_after >= 0) {
    EXPECT_EQ(*list.FocusedRow(), static_cast<std::size_t>(c.focus_after));
  }
  EXPECT_EQ(list.SelectedRows(), c.selected_after);
  EXPECT_EQ(list.SelectedCount(), c.selected_after.size());
  EXPECT_EQ(list.Listed().Count(), c.remaining.size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeleteSelectedTest,
    ::testing::Values(
        // The focused row goes: the next one takes its place and the selection.
        DeleteCase{5, {2}, 2, {"0", "1", "3", "4"}, 2, {2}},
        // Rows before the focus go: the focus stays on its own row.
        DeleteCase{6, {0, 2}, 4, {"1", "3", "4", "5"}, 2, {2}},
        // Rows around the focus, and the focused last row: the new last row.
        DeleteCase{5, {1, 3, 4}, 4, {"0", "2"}, 1, {1}},
        DeleteCase{10, {2, 5, 9}, 5, {"0", "1", "3", "4", "6", "7", "8"}, 4, {4}},
        // No focus: the selection stays empty.
        DeleteCase{3, {1}, -1, {"0", "2"}, -1, {}},
        // Everything goes: nothing is left to focus.
        DeleteCase{3, {0, 1, 2}, 1, {}, -1, {}},
        // Nothing selected: nothing goes, but the focused row becomes selected.
        DeleteCase{3, {}, 1, {"0", "1", "2"}, 1, {1}}));

TEST_F(VideoListTest, KeepsCountOfTheSelection) {
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) list.AddVideo(Video(name));
  EXPECT_EQ(list.SelectedCount(), 0u);
  EXPECT_FALSE(list.FirstSelected().has_value());
  list.SetSelected(2, true);
  list.SetSelected(2, true);
  list.SetSelected(1, true);
  EXPECT_EQ(list.SelectedCount(), 2u);
  EXPECT_EQ(*list.FirstSelected(), 1u);
  list.RemoveVideo(1);
  EXPECT_EQ(list.SelectedRows(), (std::vector<std::size_t>{1}));
  list.SelectAll();
  EXPECT_EQ(list.SelectedCount(), 2u);
  list.SetSelected(0, false);
  EXPECT_EQ(list.SelectedRows(), (std::vector<std::size_t>{1}));
  EXPECT_THROW(list.SetSelected(2, true), std::out_of_range);
}

}  // namespace
}  // namespace clipvane
