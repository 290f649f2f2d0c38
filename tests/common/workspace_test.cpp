#include "common/workspace.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

constexpr PathStyle kWin = PathStyle::kWindows;
constexpr PathStyle kPosix = PathStyle::kPosix;

struct PathCase {
  PathStyle style;
  std::string path, extension, base_name, subtitle;
};

class VideoPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(VideoPathTest, DerivesTheVideosPaths) {
  const PathCase& c = GetParam();
  EXPECT_EQ(ExtensionOf(c.path, c.style), c.extension);
  EXPECT_EQ(VideoBaseName(c.path, c.style), c.base_name);
  EXPECT_EQ(SubtitlePath(c.path, c.style), c.subtitle);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VideoPathTest,
    ::testing::Values(
        PathCase{kWin, "C:\\Videos\\Holiday.avi", ".avi", "Holiday", "C:\\Videos\\Holiday.smi"},
        PathCase{kWin, "C:\\Videos\\clip.avi.txt", ".txt", "clip.avi", "C:\\Videos\\clip.avi.smi"},
        PathCase{kWin, "C:\\Movies.avi\\clip", "", "clip", "C:\\Movies.avi\\clip.smi"},
        PathCase{kWin, "D:clip.wmv", ".wmv", "clip", "D:clip.smi"},
        PathCase{kWin, "\\\\server\\share\\a b.MPG", ".MPG", "a b", "\\\\server\\share\\a b.smi"},
        PathCase{kWin, "C:\\v\\.hidden", ".hidden", "", "C:\\v\\.smi"},
        PathCase{kWin, "", "", "", ".smi"},
        PathCase{kPosix, "/home/u/Holiday.avi", ".avi", "Holiday", "/home/u/Holiday.smi"},
        PathCase{kPosix, "/home/u.d/clip", "", "clip", "/home/u.d/clip.smi"},
        PathCase{kPosix, "/v/a:b.avi", ".avi", "a:b", "/v/a:b.smi"},
        PathCase{kPosix, "/v/\xED\x9C\xB4\xEA\xB0\x80.mkv", ".mkv", "\xED\x9C\xB4\xEA\xB0\x80",
                 "/v/\xED\x9C\xB4\xEA\xB0\x80.smi"}));

TEST(AppDir, IsTheExecutablesFolderWithItsSeparator) {
  EXPECT_EQ(AppDirFromExecutable("D:\\Conv\\clipvane.exe", kWin), "D:\\Conv\\");
  EXPECT_EQ(AppDirFromExecutable("D:clipvane.exe", kWin), "D:");
  EXPECT_EQ(AppDirFromExecutable("/opt/clipvane/clipvane", kPosix), "/opt/clipvane/");
}

TEST(AppDir, OfTheRunningProgramIsWhereTheTestProgramLies) {
  // The current folder must not matter; ctest runs us in the build folder, but the
  // executable's own path is what counts.
  const Workspace workspace = Workspace::OfRunningProgram();
  ASSERT_FALSE(workspace.AppDir().empty());
  EXPECT_EQ(workspace.AppDir().back(), Separator(kNativePathStyle));
  EXPECT_TRUE(NativeFileSystem().IsDirectory(workspace.AppDir()));
}

TEST(Workspace, BuildsEveryPathOnAppDir) {
  const Workspace win("D:\\Conv\\", kWin);
  EXPECT_EQ(win.Incoming(), "D:\\Conv\\incoming");
  EXPECT_EQ(win.Batch(), "D:\\Conv\\batch");
  EXPECT_EQ(win.Temp(), "D:\\Conv\\temp");
  EXPECT_EQ(win.Bin(), "D:\\Conv\\bin");
  EXPECT_EQ(win.SettingsFile(), "D:\\Conv\\MP4.ini");
  EXPECT_EQ(win.ListFile(), "D:\\Conv\\list.log");
  EXPECT_EQ(win.OutputPath("E:\\Movies\\Holiday.avi"), "D:\\Conv\\incoming\\Holiday.mp4");
  // Two videos of one name in different folders share their output.
  EXPECT_EQ(win.OutputPath("F:\\Other\\Holiday.wmv"), win.OutputPath("E:\\Movies\\Holiday.avi"));

  const Workspace posix("/srv/conv/", kPosix);
  EXPECT_EQ(posix.OutputPath("/m/x.y.avi"), "/srv/conv/incoming/x.y.mp4");
}

struct VideoFileCase {
  std::vector<std::string> exts;
  std::string path;
  bool is_video;
};

class IsVideoFileTest : public ::testing::TestWithParam<VideoFileCase> {};

TEST_P(IsVideoFileTest, ComparesTheExtensionWithTheList) {
  EXPECT_EQ(IsVideoFile(GetParam().path, GetParam().exts, kWin), GetParam().is_video) << GetParam().path;
}

const std::vector<std::string> kDefaultExts{"avi", "mpg", "asf", "wmv"};

INSTANTIATE_TEST_SUITE_P(
    Table, IsVideoFileTest,
    ::testing::Values(VideoFileCase{kDefaultExts, "C:\\v\\clip.AVI", true},
                      VideoFileCase{kDefaultExts, "C:\\v\\clip.avi.txt", false},
                      VideoFileCase{kDefaultExts, "C:\\v\\clip", false},
                      VideoFileCase{kDefaultExts, "C:\\v.avi\\clip", false},
                      VideoFileCase{kDefaultExts, "C:\\v\\clip.mp4", false},
                      VideoFileCase{{"avi", ""}, "C:\\v\\clip", true},  // the empty item
                      VideoFileCase{{".avi"}, "C:\\v\\clip.avi", false},  // a listed dot never matches
                      VideoFileCase{{}, "C:\\v\\clip.avi", false},
                      VideoFileCase{{"mkv", "mkv"}, "C:\\v\\clip.MKV", true}));

TEST(Workspace, CreatesItsFoldersAndLeavesAPlainFileAlone) {
  testing::TempFolder temp;
  const Workspace workspace(temp / ("app" + std::string(1, Separator(kNativePathStyle))),
                            kNativePathStyle);
  NativeFileSystem().MakeFolders(temp / "app");
  temp.WriteFile("app" + std::string(1, Separator(kNativePathStyle)) + "incoming", "not a folder");

  workspace.CreateFolders(NativeFileSystem());

  EXPECT_FALSE(NativeFileSystem().IsDirectory(workspace.Incoming()));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(workspace.Incoming()), "not a folder");
  EXPECT_TRUE(NativeFileSystem().IsDirectory(workspace.Batch()));
  EXPECT_TRUE(NativeFileSystem().IsDirectory(workspace.Temp()));
  EXPECT_FALSE(NativeFileSystem().Exists(workspace.Bin()));  // installed, never made
}

}  // namespace
}  // namespace clipvane
