#include "media/video_list_file.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "list_fixture.h"
#include "platform/platform_error.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

using Texts = std::vector<std::string>;

class VideoListFileTest : public testing::ListFixture {
 protected:
  std::string ListLog() const { return files.ReadWholeFile(workspace.ListFile()).value_or("<none>"); }
  void WriteListLog(const std::string& text) { temp.WriteFile("list.log", text); }
};

TEST_F(VideoListFileTest, RoundTripsTheOrderOfTheRows) {
  const std::string c = Video("c.avi");
  const std::string a = Video(Utf8ToAnsi(u8"가 나.mpg"));
  const std::string b = Video("b.WMV");
  for (const std::string& path : {c, a, b}) list.AddVideo(path);
  SaveVideoList(list, files, workspace);
  EXPECT_EQ(ListLog(), c + "\r\n" + a + "\r\n" + b + "\r\n");

  VideoList again(workspace, files, video_exts);
  EXPECT_EQ(LoadVideoList(again, files, workspace), 3u);
  ASSERT_EQ(again.RowCount(), 3u);
  EXPECT_EQ(again.EntryPath(0), c);
  EXPECT_EQ(again.EntryPath(1), a);
  EXPECT_EQ(again.EntryPath(2), b);
}

TEST_F(VideoListFileTest, DropsLinesForMissingFilesAndTheNextSaveForgetsThem) {
  const std::string kept = Video("kept.avi");
  const std::string gone = Video("gone.avi");
  const std::string last = Video("last.asf");
  std::remove(gone.c_str());
  // Blank lines, LF-only endings, a duplicate in other letter case and a text file.
  WriteListLog(kept + "\r\n\r\n" + gone + "\n" + Video("readme.txt") + "\r\n" + last + "\n" + kept +
               "\r\n" + kept.substr(0, kept.size() - 8) + "KEPT.AVI");
  EXPECT_EQ(LoadVideoList(list, files, workspace), 2u);
  SaveVideoList(list, files, workspace);
  EXPECT_EQ(ListLog(), kept + "\r\n" + last + "\r\n");
}

TEST_F(VideoListFileTest, AnEmptyListSavesAnEmptyFileAndNoFileLoadsNothing) {
  EXPECT_EQ(LoadVideoList(list, files, workspace), 0u);
  WriteListLog("old\r\n");
  VideoList empty(workspace, files, video_exts);
  SaveVideoList(empty, files, workspace);
  EXPECT_EQ(ListLog(), "");
}

// The real file system with two twists for the cases a test folder cannot set up:
// a disk that refuses every write, and files that exist whatever their name.
class TwistedFileSystem : public FileSystem {
 public:
  explicit TwistedFileSystem(FileSystem& real) : real_(real) {}
  bool disk_full = false;
  bool everything_exists = false;

  bool Exists(const std::string& path) const override {
    return everything_exists || real_.Exists(path);
  }
  bool IsDirectory(const std::string& path) const override { return real_.IsDirectory(path); }
  bool MakeFolders(const std::string& path) override { return real_.MakeFolders(path); }
  std::optional<std::string> ReadWholeFile(const std::string& path) const override {
    return real_.ReadWholeFile(path);
  }
  void ReplaceWholeFile(const std::string& path, const std::string& bytes) override {
    if (disk_full) throw PlatformError("disk full: " + path);
    real_.ReplaceWholeFile(path, bytes);
  }
  bool RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }
  std::string MakeUniqueTempFile(const std::string& folder, const std::string& prefix) override {
    return real_.MakeUniqueTempFile(folder, prefix);
  }

 private:
  FileSystem& real_;
};

TEST_F(VideoListFileTest, ALineTooLongForARowIsRefusedNotCut) {
  const std::string folder = temp.Path();
  const std::string fits = folder + std::string(kMaxVideoPathLength - folder.size() - 4, 'n') + ".avi";
  const std::string too_long = folder + "x" + fits.substr(folder.size());
  ASSERT_EQ(fits.size(), kMaxVideoPathLength);
  WriteListLog(too_long + "\r\n" + fits + "\r\n");
  TwistedFileSystem disk(files);
  disk.everything_exists = true;
  EXPECT_EQ(LoadVideoList(list, disk, workspace), 1u);
  ASSERT_EQ(list.RowCount(), 1u);
  EXPECT_EQ(list.EntryPath(0), fits);
  SaveVideoList(list, files, workspace);
  EXPECT_EQ(ListLog(), fits + "\r\n");
}

TEST_F(VideoListFileTest, AFailedSaveKeepsThePreviousList) {
  const std::string a = Video("a.avi");
  WriteListLog(a + "\r\n");
  LoadVideoList(list, files, workspace);
  list.AddVideo(Video("b.avi"));
  TwistedFileSystem disk(files);
  disk.disk_full = true;
  EXPECT_THROW(SaveVideoList(list, disk, workspace), PlatformError);
  EXPECT_EQ(ListLog(), a + "\r\n");
}

TEST(VideoListLines, SplitsAtEveryKindOfLineEndAndSkipsBlankLines) {
  EXPECT_EQ(VideoListLines("a\r\nb\nc\rd"), (Texts{"a", "b", "c", "d"}));
  EXPECT_EQ(VideoListLines("\r\n\r\na\r\n\r\n"), Texts{"a"});
  EXPECT_EQ(VideoListLines(" a b \r\n"), Texts{" a b "});  // paths are taken as written
  EXPECT_EQ(VideoListLines(""), Texts{});
}

}  // namespace
}  // namespace clipvane
