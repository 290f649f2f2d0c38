#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "platform/platform_error.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

TEST(FileSystem, ReplacesAWholeFileAndLeavesNoTemporaryBehind) {
  testing::TempFolder temp;
  FileSystem& files = NativeFileSystem();
  const std::string path = temp / "list.log";
  files.ReplaceWholeFile(path, "first\r\n");
  files.ReplaceWholeFile(path, std::string("second\0with nul\r\n", 17));
  EXPECT_EQ(files.ReadWholeFile(path), std::string("second\0with nul\r\n", 17));
  files.ReplaceWholeFile(path, "");
  EXPECT_EQ(files.ReadWholeFile(path), "");
  EXPECT_FALSE(files.Exists(path + ".new"));
}

TEST(FileSystem, AFailedReplaceKeepsTheOldFileAndSaysWhich) {
  testing::TempFolder temp;
  FileSystem& files = NativeFileSystem();
  // A folder where the file should be: the rename cannot replace it.
  ASSERT_TRUE(files.MakeFolders(temp / "busy"));
  EXPECT_THROW(files.ReplaceWholeFile(temp / "busy", "x"), PlatformError);
  EXPECT_TRUE(files.IsDirectory(temp / "busy"));
  try {
    files.ReplaceWholeFile(temp / "missing" + "/x.log", "x");
    FAIL() << "wrote into a missing folder";
  } catch (const PlatformError& error) {
    EXPECT_NE(std::string(error.what()).find("x.log"), std::string::npos) << error.what();
  }
}

TEST(FileSystem, MakesNestedFoldersAndTellsFilesFromFolders) {
  testing::TempFolder temp;
  FileSystem& files = NativeFileSystem();
  const char sep = Separator(kNativePathStyle);
  const std::string nested = temp / "a" + sep + "b" + sep + "c";
  EXPECT_TRUE(files.MakeFolders(nested));
  EXPECT_TRUE(files.IsDirectory(nested));
  const std::string file = temp.WriteFile("plain", "x");
  EXPECT_TRUE(files.Exists(file));
  EXPECT_FALSE(files.IsDirectory(file));
  EXPECT_FALSE(files.MakeFolders(file));
  EXPECT_FALSE(files.Exists(temp / "nothing"));
  EXPECT_FALSE(files.ReadWholeFile(temp / "nothing").has_value());
  EXPECT_FALSE(files.Exists(""));
}

TEST(FileSystem, MakesUniqueEmptyTemporaryFilesNamedLikeGetTempFileName) {
  testing::TempFolder temp;
  FileSystem& files = NativeFileSystem();
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    const std::string path = files.MakeUniqueTempFile(temp.Path(), "qv");
    ASSERT_EQ(path.rfind(temp.Path(), 0), 0u) << path;
    const std::string name = path.substr(temp.Path().size());
    EXPECT_TRUE(std::regex_match(name, std::regex("qv[0-9A-Fa-f]{1,4}\\.tmp", std::regex::icase))) << name;
    EXPECT_EQ(files.ReadWholeFile(path), "");
    names.insert(path);
  }
  EXPECT_EQ(names.size(), 20u);
  EXPECT_THROW(files.MakeUniqueTempFile(temp / "missing", "qv"), PlatformError);
}

TEST(FileSystem, RemovesFilesButNeverFolders) {
  testing::TempFolder temp;
  FileSystem& files = NativeFileSystem();
  const std::string file = temp.WriteFile("x.avi", "x");
  EXPECT_TRUE(files.RemoveFile(file));
  EXPECT_FALSE(files.Exists(file));
  EXPECT_FALSE(files.RemoveFile(file));
  ASSERT_TRUE(files.MakeFolders(temp / "folder"));
  EXPECT_FALSE(files.RemoveFile(temp / "folder"));
  EXPECT_TRUE(files.IsDirectory(temp / "folder"));
}

}  // namespace
}  // namespace clipvane
