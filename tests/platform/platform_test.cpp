#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/ini_profile.h"
#include "platform/platform_error.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

class FileSystemTest : public ::testing::Test {
 protected:
  testing::TempFolder temp_;
  FileSystem& files_ = NativeFileSystem();
};

TEST_F(FileSystemTest, ReplacesAWholeFileOrKeepsTheOldOneAndSaysWhich) {
  const std::string path = temp_ / "plain.log";
  files_.ReplaceWholeFile(path, "first\r\n");
  files_.ReplaceWholeFile(path, std::string("second\0with nul\r\n", 17));
  EXPECT_EQ(files_.ReadWholeFile(path), std::string("second\0with nul\r\n", 17));
  EXPECT_FALSE(files_.Exists(path + ".new"));
  // A folder where the file should be: the rename cannot replace it.
  ASSERT_TRUE(files_.MakeFolders(temp_ / "busy"));
  EXPECT_THROW(files_.ReplaceWholeFile(temp_ / "busy", "x"), PlatformError);
  EXPECT_TRUE(files_.IsDirectory(temp_ / "busy"));
  EXPECT_THAT([&] { files_.ReplaceWholeFile(temp_ / "missing" + "/x.log", "x"); },
              ThrowsMessage<PlatformError>(HasSubstr("x.log")));
  EXPECT_THROW(files_.LockExclusive(temp_ / "missing" + "/x.lock"), PlatformError);  // never a lock of nothing
#ifndef _WIN32
  // list.log or MP4.ini may be a link to where the user keeps them: written through the
  // link, which stays. A name as long as a name may be is replaced as well: the
  // temporary file beside it has a short name of its own.
  const std::string target = temp_.WriteFile("busy/list.log", "old\r\n");
  std::filesystem::create_symlink("busy/list.log", temp_ / "list.log");
  std::filesystem::create_symlink(temp_ / "busy/new.ini", temp_ / "MP4.ini");  // leads nowhere yet
  files_.ReplaceWholeFile(temp_ / "list.log", "new\r\n");
  files_.ReplaceWholeFile(temp_ / "MP4.ini", "[default]\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(temp_ / "list.log") && std::filesystem::is_symlink(temp_ / "MP4.ini"));
  EXPECT_EQ(files_.ReadWholeFile(target), "new\r\n");
  EXPECT_EQ(files_.ReadWholeFile(temp_ / "busy/new.ini"), "[default]\r\n");
  const std::string longest = temp_ / std::string(251, 'n') + ".log";
  files_.ReplaceWholeFile(longest, "x");
  EXPECT_EQ(files_.ReadWholeFile(longest), "x");
  EXPECT_EQ(files_.FilesIn(temp_.Path()).size(), 4u);  // plain.log, the two links and it: nothing beside it
  // ".." is taken where the link leads, not by the text.
  files_.MakeFolders(temp_ / "busy/deep");
  std::filesystem::create_directory_symlink(temp_ / "busy/deep", temp_ / "jump");
  EXPECT_EQ(files_.ResolvedPath(temp_ / "jump/../list.log"), std::filesystem::canonical(target).string());
  EXPECT_EQ(files_.ResolvedPath(temp_ / "jump/../none.log"), std::nullopt);
#endif
}

TEST_F(FileSystemTest, ListsOnlyTheFilesDirectlyInAFolderAndNeverRemovesAFolder) {
  const char sep = Separator(kNativePathStyle);
  const std::string inner = temp_ / "dir" + sep + "inner";
  EXPECT_TRUE(files_.MakeFolders(inner) && files_.IsDirectory(inner));
  const std::string b = temp_.WriteFile(std::string("dir") + sep + "b.avi", "12345");
  const std::string a = temp_.WriteFile(std::string("dir") + sep + "a.smi", "");
  temp_.WriteFile(std::string("dir") + sep + "inner" + sep + "c.avi", "x");
  EXPECT_EQ(files_.FilesIn(temp_ / "dir"), (std::vector<std::string>{a, b}));
  EXPECT_TRUE(files_.FilesIn(temp_ / "none").empty());
  // A walk below it: a folder's files before its folders, and never round a link again.
#ifndef _WIN32
  std::filesystem::create_directory_symlink(temp_ / "dir", inner + "/up");
#endif
  std::string walked;
  EXPECT_TRUE(WalkFolder(files_, temp_ / "dir", [&](const std::string&, const std::vector<FoundFile>& found) {
    for (const FoundFile& file : found) walked += file.path.substr(file.root.size()) + " ";
    return true;
  }));
  EXPECT_EQ(walked, sep + std::string("a.smi ") + sep + "b.avi " + sep + "inner" + sep + "c.avi ");
  EXPECT_FALSE(files_.IsDirectory(a) || files_.MakeFolders(a) || files_.Exists(""));
  EXPECT_FALSE(files_.RemoveFile(inner));
  EXPECT_TRUE(files_.IsDirectory(inner) && files_.RemoveFile(a));
  EXPECT_FALSE(files_.Exists(a) || files_.RemoveFile(a));
}

TEST_F(FileSystemTest, AStampChangesWhenTheFileIsWrittenAgainOrReplacedAndOnlyThen) {
  const std::string mp4 = temp_.WriteFile("a.mp4", "12345");
  const FileStamp first = files_.Stamp(mp4);
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(files_.Stamp(mp4), first);
  // Rewritten with the same bytes in the same instant, it is still another file.
  files_.ReplaceWholeFile(mp4, "12345");
  const FileStamp rewritten = files_.Stamp(mp4);
  EXPECT_NE(rewritten, first);
  // What a job does last: its MP4 moved in where the earlier one stood.
  const std::string made = temp_.WriteFile("made.mp4", "12345");
  ASSERT_TRUE(files_.RemoveFile(mp4));
  ASSERT_EQ(std::rename(made.c_str(), mp4.c_str()), 0);
  EXPECT_NE(files_.Stamp(mp4), rewritten);
  EXPECT_EQ(files_.Stamp(temp_ / "none"), FileStamp{});
  EXPECT_FALSE(files_.Stamp(temp_.Path()).exists);  // a folder
}

TEST_F(FileSystemTest, MakesUniqueEmptyTemporaryFilesNamedLikeGetTempFileName) {
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    const std::string path = files_.MakeUniqueTempFile(temp_.Path(), "qv");
    EXPECT_TRUE(
        path.rfind(temp_.Path(), 0) == 0 &&
        std::regex_match(path.substr(temp_.Path().size()), std::regex("qv[0-9A-F]{1,4}\\.tmp", std::regex::icase)))
        << path;
    EXPECT_EQ(files_.ReadWholeFile(path), "");
    EXPECT_TRUE(names.insert(path).second) << path;  // never the same twice
  }
  EXPECT_THROW(files_.MakeUniqueTempFile(temp_ / "missing", "qv"), PlatformError);
#ifndef _WIN32
  // When all 65,535 names are taken, that is what is said, never a bare "File exists".
  for (unsigned unique = 1; unique <= 0xFFFF; ++unique) {
    char name[16];
    std::snprintf(name, sizeof name, "qv%X.tmp", unique);
    std::fclose(std::fopen((temp_ / name).c_str(), "w"));
  }
  EXPECT_THAT([&] { files_.MakeUniqueTempFile(temp_.Path(), "qv"); },
              ThrowsMessage<PlatformError>(HasSubstr("No temporary name left in " + temp_.Path())));
#endif
}

// One suite for the INI profile of every platform: natively it runs against the POSIX
// implementation, under Wine against the Windows private-profile calls.
class IniProfileTest : public ::testing::Test {
 protected:
  std::unique_ptr<IniProfile> Open(const std::string& contents) {
    temp_.WriteFile("MP4.ini", contents);
    return OpenIniProfile(temp_ / "MP4.ini");
  }
  testing::TempFolder temp_;
};

TEST_F(IniProfileTest, ReadsAValueTrimmedAndUnquotedInItsSection) {
  const std::pair<const char*, const char*> cases[] = {
      {"title=Mine", "Mine"},
      {"TITLE=Mine", "Mine"},
      {"  title  =   two words   ", "two words"},
      {"title=", ""},  // present but empty: the empty text, not the default
      {"title=\"quoted\"", "quoted"},
      {"title='single'", "single"},
      {"title=\" keep \"", " keep "},
      {"title=\"open", "\"open"},
      {"title=a=b", "a=b"},
      {"titles=Mine", "fallback"},
      {"title=\xB1\xBC\xB8\xB2 v", "\xB1\xBC\xB8\xB2 v"}};
  for (const auto& [line, value] : cases)
    EXPECT_EQ(Open("[other]\r\ntitle=wrong\r\n[ DEFAULT ]\r\n" + std::string(line) + "\r\n")
                  ->ReadString("default", "title", "fallback"),
              value)
        << line;
}

TEST_F(IniProfileTest, AWriteCreatesTheFileOrNamesItWhenItFailsAndChangesOnlyItsOwnKey) {
  const auto ini = OpenIniProfile(temp_ / "new.ini");
  EXPECT_EQ(ini->ReadString("default", "title", "Clipvane"), "Clipvane");
  EXPECT_FALSE(NativeFileSystem().Exists(temp_ / "new.ini"));  // reading creates nothing
  ini->WriteString("default", "qulity", "0");
  ini->WriteString("default", "title", "");
  EXPECT_EQ(OpenIniProfile(temp_ / "new.ini")->ReadString("DEFAULT", "Qulity", "9") +
                ini->ReadString("default", "title", "fallback"),
            "0");
  EXPECT_THAT([&] { OpenIniProfile(temp_ / "no such folder" + "/MP4.ini")->WriteString("default", "qulity", "1"); },
              ThrowsMessage<PlatformError>(HasSubstr("MP4.ini")));
  // A write replaces only its own key and keeps every other line.
  const auto mine = Open(
      "; made by hand\r\n[first]\r\nqulity=5\r\n[default]\r\nQulity=1\r\n"
      "fontname=gulim.ttc,\xB1\xBC\xB8\xB2\r\n[last]\r\nkey=value\r\n");
  mine->WriteString("default", "qulity", "2");
  mine->WriteString("default", "display", "3");
  EXPECT_EQ(mine->ReadString("default", "qulity", "") + "|" + mine->ReadString("first", "qulity", "") + "|" +
                mine->ReadString("default", "fontname", ""),
            "2|5|gulim.ttc,\xB1\xBC\xB8\xB2");
  // The new key of [default] went into that section, not after [last].
  const std::string text = NativeFileSystem().ReadWholeFile(temp_ / "MP4.ini").value_or("");
  EXPECT_EQ(text.rfind("; made by hand", 0), 0u);
  EXPECT_TRUE(text.find("[default]") < text.find("display=3") && text.find("display=3") < text.find("[last]")) << text;
}

// Settings changed by several processes at once: each write reads the file afresh
// under the lock (FileSystem::LockExclusive, which list.log and the job records take
// too) and sets only its own keys, so none loses another's; a change made only if the
// key still holds what the writer read keeps another's. Threads, since the lock holds
// between handles of one process as between processes.
TEST_F(IniProfileTest, WritersAtOnceKeepEachOthersKeys) {
  Open("[default]\r\nshared=old\r\n");
  const auto write = [&](const std::string& prefix) {
    const auto ini = OpenIniProfile(temp_ / "MP4.ini");
    for (int i = 0; i < 40; ++i)
      ini->WriteChanges("default", {{prefix + std::to_string(i), "1", std::nullopt}, {"shared", prefix, "old"}});
  };
  std::thread other(write, "b");
  write("a");
  other.join();
  const auto ini = OpenIniProfile(temp_ / "MP4.ini");
  std::string kept;
  for (int i = 0; i < 40; ++i)
    kept += ini->ReadString("default", "a" + std::to_string(i), "-") +
            ini->ReadString("default", "b" + std::to_string(i), "-");
  EXPECT_EQ(kept, std::string(80, '1'));
  const std::string shared = ini->ReadString("default", "shared", "");
  EXPECT_TRUE(shared == "a" || shared == "b") << shared;  // the first writer's, kept by the second
}

#ifndef _WIN32
TEST(UserDataFolder, IsTheXdgFolderWhenAbsoluteElseTheOneInHome) {
  const std::string saved[] = {std::getenv("HOME") ? std::getenv("HOME") : "",
                               std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : ""};
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"/data", "/home/u", "/data"}, {"relative", "/home/u/", "/home/u/.local/share"}, {"", "", ""}};
  for (const auto& [xdg, home, folder] : cases) {
    ::setenv("XDG_DATA_HOME", xdg, 1);
    ::setenv("HOME", home, 1);
    EXPECT_EQ(UserDataFolder(), folder) << xdg << " " << home;
  }
  ::setenv("HOME", saved[0].c_str(), 1);
  ::setenv("XDG_DATA_HOME", saved[1].c_str(), 1);  // empty is as unset
}
#endif

// UTF-16 in either byte order, UTF-8 for the wide calls, and UTF-8 told from code
// page 949; what is no character becomes U+FFFD and the rest still reads.
TEST(Utf, ConvertsAndValidatesAndReplacesWhatIsNoCharacter) {
  const std::tuple<std::string, bool, std::string> from_utf16[] = {
      {std::string("\0A\xD5\x5C", 4), true, "A\xED\x95\x9C"},           // little-endian goes through the subtitle tests
      {std::string("\x3D\xD8\x00\xDE", 4), false, "\xF0\x9F\x98\x80"},  // a surrogate pair
      {std::string("\x3D\xD8\x41\0", 4), false, "\xEF\xBF\xBD\x41"},    // half a pair
      {std::string("A\0B", 3), false, "A"}};                            // half a unit
  for (const auto& [bytes, big_endian, utf8] : from_utf16) EXPECT_EQ(Utf16ToUtf8(Utf16Units(bytes, big_endian)), utf8);
  const std::pair<std::string, std::u16string> to_utf16[] = {
      {"C:\\a.avi", u"C:\\a.avi"},           {"\xED\x95\x9C\xEA\xB8\x80", u"\uD55C\uAE00"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"}, {"\xC7\xD1\x61", u"\xFFFD\xFFFD\x61"},  // code page 949
      {"a\xED\x95", u"a\xFFFD\xFFFD"},                                               // cut short
      {"\xC0\xAF", u"\xFFFD\xFFFD"}};                                                // overlong
  for (const auto& [utf8, utf16] : to_utf16) EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
  EXPECT_TRUE(IsValidUtf8("plain \xED\x95\x9C\xEA\xB8\x80"));
  for (const char* bytes :
       {"\xC7\xD1\xB1\xDB", "\xC0\xAF", "\xED\xA0\x80", "\xED\x95"})  // 949, overlong, surrogate, cut
    EXPECT_FALSE(IsValidUtf8(bytes)) << bytes;
}

TEST(AsciiCase, LeavesDoubleByteTextAlone) {
  // In code page 949 a trail byte can be an ASCII letter: 0x8C 0x63 is one character.
  const std::string korean = Utf8ToAnsi(u8"GULIM 똠방각하");
  EXPECT_EQ(AsciiLower(korean), Utf8ToAnsi(u8"gulim 똠방각하"));
  EXPECT_EQ(AsciiUpper(korean) + AsciiUpper("clip.avi"), korean + "CLIP.AVI");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Mp4Creator.EXE", "mp4creator.exe") &&
              !EqualsIgnoringAsciiCase("mencoder.exe", "mencoder.ex"));
}

}  // namespace
}  // namespace clipvane
