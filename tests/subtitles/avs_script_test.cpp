#include "subtitles/avs_script.h"

#include <gtest/gtest.h>

#include "common/workspace.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/text_encoding.h"
#include "subtitles/colour_table.h"
#include "subtitles/ssa_writer.h"
#include "support/memory_file_system.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

// Remembers the order of the writes.
class RecordingFileSystem final : public testing::MemoryFileSystem {
 public:
  std::vector<std::string> writes;
  void ReplaceWholeFile(const std::string& path, const std::string& bytes) override {
    MemoryFileSystem::ReplaceWholeFile(path, bytes);
    writes.push_back(path);
  }
};

const char kSami[] = "<SAMI><BODY>\r\n<SYNC Start=1000><P Class=KRCC>Hello\r\n<SYNC Start=2000>&nbsp;\r\n";

SsaStyle Style() {
  SsaStyle style;
  style.fontName = "Gulim";
  style.fontSize = 20;
  return style;
}

TEST(WriteAvsScript, NamesBothFilesAfterTheVideoInTheTempFolder) {
  RecordingFileSystem files;
  files.files["C:\\clips\\movie.smi"] = kSami;
  const ColourTable colours;
  const AvsScriptFiles written =
      WriteAvsScript(files, Workspace("D:\\app\\", PathStyle::kWindows),
                     "C:\\Program Files\\AviSynth 2.5\\plugins\\", "C:\\clips\\movie.avi", Style(), colours);
  EXPECT_EQ(written.ssaPath, "D:\\app\\temp\\movie.ssa");
  EXPECT_EQ(written.scriptPath, "D:\\app\\temp\\movie.avs");
  EXPECT_EQ(files.writes, (std::vector<std::string>{written.ssaPath, written.scriptPath}));
  EXPECT_EQ(files.files[written.scriptPath],
            "LoadPlugin(\"C:\\Program Files\\AviSynth 2.5\\plugins\\VSFilter.dll\")\r\n"
            "DirectShowSource(\"C:\\clips\\movie.avi\")\r\n"
            "TextSub(\"D:\\app\\temp\\movie.ssa\")\r\n");
  const std::string& ssa = files.files[written.ssaPath];
  EXPECT_EQ(ssa.rfind("[Script Info]\r\nTitle: movie\r\n", 0), 0u) << ssa;
  EXPECT_NE(ssa.find("\r\nDialogue: Marked=0,00:00:01.00,00:00:02.00,*Default,,0000,0000,0000,,Hello\r\n"),
            std::string::npos)
      << ssa;
}

TEST(WriteAvsScript, OpensTheFirstPassWhenToldSoButKeepsTheVideosNames) {
  RecordingFileSystem files;
  files.files["C:\\clips\\movie.smi"] = kSami;
  const ColourTable colours;
  const AvsScriptFiles written = WriteAvsScript(files, Workspace("D:\\app\\", PathStyle::kWindows), "",
                                                "C:\\clips\\movie.avi", Style(), colours, "D:\\app\\temp\\qv1.avi");
  EXPECT_EQ(written.scriptPath, "D:\\app\\temp\\movie.avs");
  EXPECT_EQ(files.files[written.scriptPath],
            "LoadPlugin(\"VSFilter.dll\")\r\nDirectShowSource(\"D:\\app\\temp\\qv1.avi\")\r\n"
            "TextSub(\"D:\\app\\temp\\movie.ssa\")\r\n");
}

TEST(WriteAvsScript, WritesNothingWithoutTheSubtitle) {
  RecordingFileSystem files;
  const ColourTable colours;
  EXPECT_THROW(WriteAvsScript(files, Workspace("D:\\app\\", PathStyle::kWindows), "", "C:\\clips\\movie.avi",
                              Style(), colours),
               PlatformError);
  EXPECT_TRUE(files.writes.empty());
}

class WriteAvsScriptOnDiskTest : public ::testing::Test {
 protected:
  WriteAvsScriptOnDiskTest() : workspace_(folder_ / "app" + Separator(kNativePathStyle), kNativePathStyle) {}
  testing::TempFolder folder_;
  Workspace workspace_;
  ColourTable colours_;
};

TEST(WriteAvsScript, ReportsAScriptThatCannotBeWritten) {
  RecordingFileSystem files;
  files.files["C:\\clips\\movie.smi"] = kSami;
  files.unwritable.insert("D:\\app\\temp\\movie.avs");
  const ColourTable colours;
  EXPECT_THROW(WriteAvsScript(files, Workspace("D:\\app\\", PathStyle::kWindows), "", "C:\\clips\\movie.avi",
                              Style(), colours),
               PlatformError);
  EXPECT_EQ(files.writes, std::vector<std::string>{"D:\\app\\temp\\movie.ssa"});
}

TEST_F(WriteAvsScriptOnDiskTest, KeepsKoreanNamesAndReplacesEarlierFiles) {
  workspace_.CreateFolders(NativeFileSystem());
  const std::string base = Utf8ToAnsi(u8"내 영화 1화");
  const std::string video = folder_.WriteFile(base + ".avi", "");
  folder_.WriteFile(base + ".smi", "<SYNC Start=1000>" + Utf8ToAnsi(u8"첫 자막") + "\r\n<SYNC Start=2000>\r\n");
  const AvsScriptFiles first = WriteAvsScript(NativeFileSystem(), workspace_, "", video, Style(), colours_);
  const std::string temp = workspace_.Temp() + Separator(kNativePathStyle);
  EXPECT_EQ(first.ssaPath, temp + base + ".ssa");
  EXPECT_EQ(first.scriptPath, temp + base + ".avs");
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(first.scriptPath),
            "LoadPlugin(\"VSFilter.dll\")\r\nDirectShowSource(\"" + video + "\")\r\nTextSub(\"" + first.ssaPath +
                "\")\r\n");
  const std::optional<std::string> ssa = NativeFileSystem().ReadWholeFile(first.ssaPath);
  ASSERT_TRUE(ssa);
  EXPECT_NE(ssa->find("Title: " + base + "\r\n"), std::string::npos);
  EXPECT_NE(ssa->find(",," + Utf8ToAnsi(u8"첫 자막") + "\r\n"), std::string::npos);

  // A second job for the same video replaces both files whole.
  folder_.WriteFile(base + ".smi", "<SYNC Start=1000>second\r\n<SYNC Start=2000>\r\n");
  const AvsScriptFiles second = WriteAvsScript(NativeFileSystem(), workspace_, "", video, Style(), colours_);
  EXPECT_EQ(second.ssaPath, first.ssaPath);
  const std::optional<std::string> replaced = NativeFileSystem().ReadWholeFile(second.ssaPath);
  ASSERT_TRUE(replaced);
  EXPECT_NE(replaced->find(",,second\r\n"), std::string::npos);
  EXPECT_EQ(replaced->find(Utf8ToAnsi(u8"첫 자막")), std::string::npos);
}

TEST_F(WriteAvsScriptOnDiskTest, ReportsATempFolderThatCannotBeWritten) {
  // The workspace's folders were never made, so temp is missing.
  const std::string video = folder_.WriteFile("clip.avi", "");
  folder_.WriteFile("clip.smi", kSami);
  EXPECT_THROW(WriteAvsScript(NativeFileSystem(), workspace_, "", video, Style(), colours_), PlatformError);
}

}  // namespace
}  // namespace clipvane
