#include <gtest/gtest.h>

#include "common/workspace.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

constexpr PathStyle kWin = PathStyle::kWindows;
constexpr PathStyle kPosix = PathStyle::kPosix;

TEST(VideoPaths, DeriveExtensionAndBaseName) {
  const std::tuple<PathStyle, std::string, std::string> cases[] = {
      {kWin, "C:\\Videos\\Holiday.avi", ".avi|Holiday"},
      {kWin, "C:\\Videos\\clip.avi.txt", ".txt|clip.avi"},
      {kWin, "C:\\Movies.avi\\clip", "|clip"},  // a "." in a folder does not count
      {kWin, "D:clip.wmv", ".wmv|clip"},
      {kWin, "\\\\server\\share\\a b.MPG", ".MPG|a b"},
      {kWin, "C:\\v\\.hidden", ".hidden|"},
      {kWin, "", "|"},
      {kPosix, "/home/u.d/clip", "|clip"},
      {kPosix, "/v/a:b.avi", ".avi|a:b"}};
  for (const auto& [style, path, derived] : cases)
    EXPECT_EQ(ExtensionOf(path, style) + "|" + VideoBaseName(path, style), derived);
}

TEST(NormalizeLexically, TakesOutWhatNamesNoFolder) {
  const std::tuple<PathStyle, std::string, std::string> cases[] = {
      {kPosix, "/m//good.avi", "/m/good.avi"},
      {kPosix, "/m/./c/../good.avi", "/m/good.avi"},
      {kPosix, "/../m/good.avi", "/m/good.avi"},
      {kPosix, "m/../../good.avi", "../good.avi"},
      {kPosix, "/m/c/", "/m/c/"},
      {kPosix, "/m/.../a.avi", "/m/.../a.avi"},
      {kWin, "D:\\Videos\\\\.\\x\\..\\a.avi", "D:\\Videos\\a.avi"},
      {kWin, "D:/Videos/a.avi", "D:\\Videos\\a.avi"},
      {kWin, "D:a\\..\\b.avi", "D:b.avi"},
      {kWin, "\\\\server\\share\\..\\a.avi", "\\\\server\\share\\a.avi"},  // the share stays
      {kWin, "\\\\?\\D:\\a\\..\\b.avi", "\\\\?\\D:\\a\\..\\b.avi"},        // taken literally
      {kWin, "D:\\\xB0\xA1\\..\\\xB3\xAA.avi", "D:\\\xB3\xAA.avi"}};
  for (const auto& [style, path, normal] : cases) EXPECT_EQ(NormalizeLexically(path, style), normal) << path;
}

TEST(IsVideoFile, ComparesTheExtensionWithTheList) {
  const std::vector<std::string> exts{"avi", "mpg"};
  const std::tuple<std::vector<std::string>, const char*, bool> cases[] = {
      {exts, "C:\\v\\clip.AVI", true},      {exts, "C:\\v\\clip.avi.txt", false},
      {exts, "C:\\v.avi\\clip", false},     {{"avi", ""}, "C:\\v\\clip", true},  // the empty item
      {{".avi"}, "C:\\v\\clip.avi", false},                                      // a listed dot never matches
      {{}, "C:\\v\\clip.avi", false}};
  for (const auto& [list, path, is_video] : cases) EXPECT_EQ(IsVideoFile(path, list, kWin), is_video) << path;
}

TEST(Workspace, KeepsItsDataInTheUsersFolderOnlyWhenItsOwnCannotBeWritten) {
  const std::tuple<bool, const char*, const char*> cases[] = {
      {true, "/home/u/.local/share", "/opt/cv/"},
      {false, "/home/u/.local/share", "/home/u/.local/share/clipvane/"},
      {false, "", "/opt/cv/"}};  // nowhere else to go: the program's folder, whose writes then fail
  for (const auto& [writable, user, data] : cases)
    EXPECT_EQ(ChooseDataDir("/opt/cv/", writable, user, PathStyle::kPosix), data) << writable << user;
  const Workspace apart("/opt/cv/", "/home/u/.local/share/clipvane/", PathStyle::kPosix);
  EXPECT_EQ(apart.SettingsFile() + "|" + apart.ListLockFile() + "|" + apart.Incoming() + "|" + apart.Bin(),
            "/home/u/.local/share/clipvane/MP4.ini|/home/u/.local/share/clipvane/list.log.lock|"
            "/home/u/.local/share/clipvane/incoming|/opt/cv/bin");
}

TEST(Workspace, CreatesItsFoldersAndLeavesAPlainFileAlone) {
  testing::TempFolder temp;
  const std::string sep(1, Separator(kNativePathStyle));
  const Workspace workspace(temp / ("app" + sep), kNativePathStyle);
  NativeFileSystem().MakeFolders(temp / "app");
  temp.WriteFile("app" + sep + "incoming", "not a folder");
  workspace.CreateFolders(NativeFileSystem());
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(workspace.Incoming()), "not a folder");
  EXPECT_TRUE(NativeFileSystem().IsDirectory(workspace.Batch()) && NativeFileSystem().IsDirectory(workspace.Temp()));
  EXPECT_FALSE(NativeFileSystem().Exists(workspace.Bin()));  // installed, never made
}

}  // namespace
}  // namespace clipvane
