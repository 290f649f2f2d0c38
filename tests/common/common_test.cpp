#include <gtest/gtest.h>

#include "common/text.h"
#include "common/workspace.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

using Items = std::vector<std::string>;

TEST(SplitCommaText, SplitsAsTheSettingsFileExpects) {
  const std::pair<std::string, Items> cases[] = {
      {"AVI, Mkv", {"AVI", "Mkv"}},  // comma and blank are one separator
      {"avi mkv\tmp4", {"avi", "mkv", "mp4"}}, {"  avi ,  mkv  ", {"avi", "mkv"}},
      {"avi,", {"avi", ""}},  // a trailing comma adds one empty item, but not when a blank follows it
      {"avi, ", {"avi"}}, {"avi,,mkv", {"avi", "", "mkv"}}, {"   ", {}},
      {"\"a b\",c", {"a b", "c"}}, {"\"x,y\" z", {"x,y", "z"}}, {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"open", {"open"}}, {"\xB1\xBC\xB8\xB2,gulim", {"\xB1\xBC\xB8\xB2", "gulim"}}};
  for (const auto& [text, items] : cases) EXPECT_EQ(SplitCommaText(text), items) << "[" << text << "]";
  EXPECT_EQ(SplitAtCommas("gulim.ttc, Nanum Gothic ,,"), (Items{"gulim.ttc", "Nanum Gothic", "", ""}));
}

TEST(ParseIntegerOr, ReadsDecimalAndHexadecimalOrFallsBack) {
  const std::pair<std::string, int> cases[] = {
      {"-7", -7}, {"+3", 3}, {"  9", 9}, {"0x1F", 31}, {"0X10", 16}, {"$ff", 255}, {"0xFFFFFFFF", -1},
      {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"", -99}, {"yes", -99}, {"1 ", -99},
      {"1x", -99}, {"0x", -99}, {"-", -99}, {"2147483648", -99}, {"99999999999999999999", -99}, {"1.5", -99}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseIntegerOr(text, -99), value) << "[" << text << "]";
}

TEST(AsciiCase, LeavesDoubleByteTextAlone) {
  // In code page 949 a trail byte can be an ASCII letter: 0x8C 0x63 is one character.
  const std::string korean = Utf8ToAnsi(u8"GULIM 똠방각하");
  EXPECT_EQ(AsciiLower(korean), Utf8ToAnsi(u8"gulim 똠방각하"));
  EXPECT_EQ(AsciiUpper(korean), korean);
  EXPECT_EQ(AsciiUpper("clip.avi"), "CLIP.AVI");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Mp4Creator.EXE", "mp4creator.exe"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("mencoder.exe", "mencoder.ex"));
  EXPECT_EQ(TrimBlanks(std::string(" \t a b \r\n\0", 10)), "a b");
}

constexpr PathStyle kWin = PathStyle::kWindows;
constexpr PathStyle kPosix = PathStyle::kPosix;

TEST(VideoPaths, DeriveExtensionBaseNameAndSubtitle) {
  const std::tuple<PathStyle, std::string, std::string> cases[] = {
      {kWin, "C:\\Videos\\Holiday.avi", ".avi|Holiday|C:\\Videos\\Holiday.smi"},
      {kWin, "C:\\Videos\\clip.avi.txt", ".txt|clip.avi|C:\\Videos\\clip.avi.smi"},
      {kWin, "C:\\Movies.avi\\clip", "|clip|C:\\Movies.avi\\clip.smi"},  // a "." in a folder does not count
      {kWin, "D:clip.wmv", ".wmv|clip|D:clip.smi"},
      {kWin, "\\\\server\\share\\a b.MPG", ".MPG|a b|\\\\server\\share\\a b.smi"},
      {kWin, "C:\\v\\.hidden", ".hidden||C:\\v\\.smi"},
      {kWin, "", "||.smi"},
      {kPosix, "/home/u.d/clip", "|clip|/home/u.d/clip.smi"},
      {kPosix, "/v/a:b.avi", ".avi|a:b|/v/a:b.smi"}};
  for (const auto& [style, path, derived] : cases)
    EXPECT_EQ(ExtensionOf(path, style) + "|" + VideoBaseName(path, style) + "|" + SubtitlePath(path, style), derived);
}

TEST(NormalizeLexically, TakesOutWhatNamesNoFolder) {
  const std::tuple<PathStyle, std::string, std::string> cases[] = {
      {kPosix, "/m//good.avi", "/m/good.avi"},         {kPosix, "/m/./c/../good.avi", "/m/good.avi"},
      {kPosix, "/../m/good.avi", "/m/good.avi"},       {kPosix, "m/../../good.avi", "../good.avi"},
      {kPosix, "/m/c/", "/m/c/"},                      {kPosix, "/m/.../a.avi", "/m/.../a.avi"},
      {kWin, "D:\\Videos\\\\.\\x\\..\\a.avi", "D:\\Videos\\a.avi"},
      {kWin, "D:/Videos/a.avi", "D:\\Videos\\a.avi"},  {kWin, "D:a\\..\\b.avi", "D:b.avi"},
      {kWin, "\\\\server\\share\\..\\a.avi", "\\\\server\\share\\a.avi"},  // the share stays
      {kWin, "\\\\?\\D:\\a\\..\\b.avi", "\\\\?\\D:\\a\\..\\b.avi"},      // taken literally
      {kWin, "D:\\\xB0\xA1\\..\\\xB3\xAA.avi", "D:\\\xB3\xAA.avi"}};
  for (const auto& [style, path, normal] : cases) EXPECT_EQ(NormalizeLexically(path, style), normal) << path;
}

TEST(ParsePlainNumber, TakesDecimalDigitsOnly) {
  const std::pair<std::string, int> cases[] = {{"1", 1}, {"012", 12}, {"999999999", 999999999}, {"0", 0},
                                               {"0x1", -1}, {" 1", -1}, {"1 ", -1}, {"+1", -1}, {"-1", -1},
                                               {"", -1}, {"1e3", -1}, {"1000000000", -1}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParsePlainNumber(text).value_or(-1), value) << "[" << text << "]";
}

TEST(AppDir, IsTheExecutablesFolderNotTheCurrentOne) {
  // ctest runs us in the build folder, but the executable's own path is what counts.
  const std::string self = Workspace::OfRunningProgram().AppDir() + "clipvane_common_tests";
  EXPECT_TRUE(NativeFileSystem().Exists(self) || NativeFileSystem().Exists(self + ".exe")) << self;
}

TEST(IsVideoFile, ComparesTheExtensionWithTheList) {
  const std::vector<std::string> exts{"avi", "mpg"};
  const std::tuple<std::vector<std::string>, const char*, bool> cases[] = {
      {exts, "C:\\v\\clip.AVI", true},       {exts, "C:\\v\\clip.avi.txt", false},
      {exts, "C:\\v.avi\\clip", false},      {{"avi", ""}, "C:\\v\\clip", true},  // the empty item
      {{".avi"}, "C:\\v\\clip.avi", false},  // a listed dot never matches
      {{}, "C:\\v\\clip.avi", false}};
  for (const auto& [list, path, is_video] : cases) EXPECT_EQ(IsVideoFile(path, list, kWin), is_video) << path;
}

TEST(Workspace, KeepsItsDataInTheUsersFolderOnlyWhenItsOwnCannotBeWritten) {
  const std::tuple<bool, const char*, const char*> cases[] = {
      {true, "/home/u/.local/share", "/opt/cv/"}, {false, "/home/u/.local/share", "/home/u/.local/share/clipvane/"},
      {false, "", "/opt/cv/"}};  // nowhere else to go: the program's folder, whose writes then fail
  for (const auto& [writable, user, data] : cases)
    EXPECT_EQ(ChooseDataDir("/opt/cv/", writable, user, PathStyle::kPosix), data) << writable << user;
  const Workspace apart("/opt/cv/", "/home/u/.local/share/clipvane/", PathStyle::kPosix);
  EXPECT_EQ(apart.SettingsFile() + "|" + apart.ListLockFile() + "|" + apart.OutputPath("/v/a.avi") + "|" + apart.Bin(),
            "/home/u/.local/share/clipvane/MP4.ini|/home/u/.local/share/clipvane/list.log.lock|"
            "/home/u/.local/share/clipvane/incoming/a.mp4|/opt/cv/bin");
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
