#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

#include <chrono>
#include <cstdio>
#include <regex>
#include <set>
#include <thread>
#include <gtest/gtest.h>

#include "common/text.h"
#include "platform/file_system.h"
#include "platform/ini_profile.h"
#include "platform/platform_error.h"
#include "platform/script_monitor.h"
#include "platform/shell.h"
#include "platform/system_services.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  testing::TempFolder temp_;
  FileSystem& files_ = NativeFileSystem();
};

TEST_F(FileSystemTest, ReplacesAWholeFileOrKeepsTheOldOneAndSaysWhich) {
  const std::string path = temp_ / "list.log";
  files_.ReplaceWholeFile(path, "first\r\n");
  files_.ReplaceWholeFile(path, std::string("second\0with nul\r\n", 17));
  EXPECT_EQ(files_.ReadWholeFile(path), std::string("second\0with nul\r\n", 17));
  EXPECT_FALSE(files_.Exists(path + ".new"));
  // A folder where the file should be: the rename cannot replace it.
  ASSERT_TRUE(files_.MakeFolders(temp_ / "busy"));
  EXPECT_THROW(files_.ReplaceWholeFile(temp_ / "busy", "x"), PlatformError);
  EXPECT_TRUE(files_.IsDirectory(temp_ / "busy"));
  try {
    files_.ReplaceWholeFile(temp_ / "missing" + "/x.log", "x");
    FAIL() << "wrote into a missing folder";
  } catch (const PlatformError& error) {
    EXPECT_NE(std::string(error.what()).find("x.log"), std::string::npos) << error.what();
  }
}

TEST_F(FileSystemTest, TellsFilesFromFoldersAndNeverRemovesAFolder) {
  const char sep = Separator(kNativePathStyle);
  const std::string nested = temp_ / "a" + sep + "b" + sep + "c";
  EXPECT_TRUE(files_.MakeFolders(nested));
  EXPECT_TRUE(files_.IsDirectory(nested));
  const std::string file = temp_.WriteFile("plain", "x");
  EXPECT_FALSE(files_.IsDirectory(file));
  EXPECT_FALSE(files_.MakeFolders(file));
  EXPECT_FALSE(files_.Exists(""));
  EXPECT_FALSE(files_.ReadWholeFile(temp_ / "nothing").has_value());
  EXPECT_FALSE(files_.RemoveFile(nested));
  EXPECT_TRUE(files_.IsDirectory(nested));
  EXPECT_TRUE(files_.RemoveFile(file));
  EXPECT_FALSE(files_.Exists(file));
  EXPECT_FALSE(files_.RemoveFile(file));
}

TEST_F(FileSystemTest, ListsTheFilesDirectlyInAFolder) {
  const char sep = Separator(kNativePathStyle);
  files_.MakeFolders(temp_ / "dir" + sep + "inner");
  const std::string b = temp_.WriteFile(std::string("dir") + sep + "b.avi", "12345");
  const std::string a = temp_.WriteFile(std::string("dir") + sep + "a.smi", "");
  temp_.WriteFile(std::string("dir") + sep + "inner" + sep + "c.avi", "x");
  EXPECT_EQ(files_.FilesIn(temp_ / "dir"), (std::vector<std::string>{a, b}));
  EXPECT_TRUE(files_.FilesIn(temp_ / "none").empty());
}

TEST_F(FileSystemTest, AStampChangesWhenTheFileIsWrittenAgainOrReplacedAndOnlyThen) {
  const std::string mp4 = temp_.WriteFile("a.mp4", "12345");
  const FileStamp first = files_.Stamp(mp4);
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(first.size, 5u);
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
  EXPECT_FALSE(files_.Stamp(temp_ / "none").exists);
  EXPECT_FALSE(files_.Stamp(temp_.Path()).exists);  // a folder
  EXPECT_EQ(files_.Stamp(temp_ / "none"), FileStamp{});
}

TEST_F(FileSystemTest, MakesUniqueEmptyTemporaryFilesNamedLikeGetTempFileName) {
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    const std::string path = files_.MakeUniqueTempFile(temp_.Path(), "qv");
    ASSERT_EQ(path.rfind(temp_.Path(), 0), 0u) << path;
    const std::string name = path.substr(temp_.Path().size());
    EXPECT_TRUE(std::regex_match(name, std::regex("qv[0-9A-Fa-f]{1,4}\\.tmp", std::regex::icase))) << name;
    EXPECT_EQ(files_.ReadWholeFile(path), "");
    names.insert(path);
  }
  EXPECT_EQ(names.size(), 20u);
  EXPECT_THROW(files_.MakeUniqueTempFile(temp_ / "missing", "qv"), PlatformError);
}

// Two threads count to 100 in a file, each step a read and a write under the lock: a
// lock that let both in at once would lose steps. Threads, since the lock must hold
// between two handles of one process as it does between processes.
TEST_F(FileSystemTest, AnExclusiveLockKeepsEachReadModifyWriteWhole) {
  const std::string counter = temp_.WriteFile("count", "0");
  const std::string lock_file = temp_ / "count.lock";
  const auto count_to_fifty = [&] {
    for (int i = 0; i < 50; ++i) {
      const auto lock = files_.LockExclusive(lock_file);
      const int value = std::stoi(files_.ReadWholeFile(counter).value_or("0"));
      std::this_thread::yield();
      files_.ReplaceWholeFile(counter, std::to_string(value + 1));
    }
  };
  std::thread other(count_to_fifty);
  count_to_fifty();
  other.join();
  EXPECT_EQ(files_.ReadWholeFile(counter), "100");
  EXPECT_THROW(files_.LockExclusive(temp_ / "missing" + std::string(1, Separator(kNativePathStyle)) + "x.lock"),
               PlatformError);
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
      {"title=Mine", "Mine"}, {"TITLE=Mine", "Mine"}, {"  title  =   two words   ", "two words"},
      {"title=", ""},  // present but empty: the empty text, not the default
      {"title=\"quoted\"", "quoted"}, {"title='single'", "single"}, {"title=\" keep \"", " keep "},
      {"title=\"open", "\"open"}, {"title=a=b", "a=b"}, {"titles=Mine", "fallback"},
      {"title=\xB1\xBC\xB8\xB2 v", "\xB1\xBC\xB8\xB2 v"}};
  for (const auto& [line, value] : cases)
    EXPECT_EQ(Open("[other]\r\ntitle=wrong\r\n[ DEFAULT ]\r\n" + std::string(line) + "\r\n")
                  ->ReadString("default", "title", "fallback"),
              value)
        << line;
}

TEST_F(IniProfileTest, AWriteCreatesTheFileOrNamesItWhenItFails) {
  const auto ini = OpenIniProfile(temp_ / "new.ini");
  EXPECT_EQ(ini->ReadString("default", "title", "Clipvane"), "Clipvane");
  EXPECT_FALSE(NativeFileSystem().Exists(temp_ / "new.ini"));  // reading creates nothing
  ini->WriteString("default", "qulity", "0");
  ini->WriteString("default", "title", "");
  EXPECT_EQ(OpenIniProfile(temp_ / "new.ini")->ReadString("DEFAULT", "Qulity", "9"), "0");
  EXPECT_EQ(ini->ReadString("default", "title", "fallback"), "");
  try {
    OpenIniProfile(temp_ / "no such folder" + "/MP4.ini")->WriteString("default", "qulity", "1");
    FAIL() << "the write into a missing folder succeeded";
  } catch (const PlatformError& error) {
    EXPECT_NE(std::string(error.what()).find("MP4.ini"), std::string::npos) << error.what();
  }
}

TEST_F(IniProfileTest, WriteReplacesOnlyItsOwnKeyAndKeepsEveryOtherLine) {
  const auto ini = Open(
      "; made by hand\r\n[first]\r\nqulity=5\r\n[default]\r\nQulity=1\r\n"
      "fontname=gulim.ttc,\xB1\xBC\xB8\xB2\r\n[last]\r\nkey=value\r\n");
  ini->WriteString("default", "qulity", "2");
  ini->WriteString("default", "display", "3");
  EXPECT_EQ(ini->ReadString("default", "qulity", ""), "2");
  EXPECT_EQ(ini->ReadString("first", "qulity", ""), "5");
  EXPECT_EQ(ini->ReadString("default", "fontname", ""), "gulim.ttc,\xB1\xBC\xB8\xB2");
  // The new key of [default] went into that section, not after [last].
  const std::string text = NativeFileSystem().ReadWholeFile(temp_ / "MP4.ini").value_or("");
  EXPECT_NE(text.find("; made by hand"), std::string::npos);
  EXPECT_LT(text.find("display=3"), text.find("[last]"));
  EXPECT_GT(text.find("display=3"), text.find("[default]"));
}

#ifndef _WIN32
TEST(NativeShell, StartsAScriptThatOutlivesTheCall) {
  // The script waits for a file that the test writes only once the call has returned:
  // a shell that waited for its script would never come back.
  testing::TempFolder temp;
  const std::string script =
      temp.WriteFile("job.sh", "while [ ! -e '" + temp / "go" + "' ]; do sleep 0.05; done\necho ran > '" + temp / "done" + "'\n");
  NativeShell().OpenScript(script);
  temp.WriteFile("go", "");
  for (int i = 0; i < 200 && !NativeFileSystem().Exists(temp / "done"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(temp / "done"), "ran\n");
}

TEST(ShellKeepingOutputIn, LetsTheMonitorFollowAScriptThroughItsOutputFile) {
  testing::TempFolder temp;
  const std::string script = temp.WriteFile(
      "job.sh", "echo 'Pos: 1.0s 10f ( 45%)'\nwhile [ ! -e '" + temp / "go" + "' ]; do sleep 0.05; done\necho bye >&2\n");
  ShellKeepingOutputIn(temp.Path())->OpenScript(script);
  const std::string output = temp / "job.sh.progress";
  auto seen = [&] {
    for (const RunningScript& running : NativeScriptMonitor().Running())
      if (running.script == script) return running.output;
    return std::string("gone");
  };
  for (int i = 0; i < 200 && NativeScriptMonitor().Tail(output).text.empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(seen(), output);
  EXPECT_EQ(NativeScriptMonitor().Tail(output).text, "Pos: 1.0s 10f ( 45%)\n");
  temp.WriteFile("go", "");
  for (int i = 0; i < 200 && seen() != "gone"; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(seen(), "gone");
  const OutputTail tail = NativeScriptMonitor().Tail(output);
  EXPECT_EQ(tail.text.substr(tail.text.size() - 4) + std::to_string(tail.end), "bye\n25");  // errors too
}

TEST(NativeScriptMonitor, NamesAScriptStartedByARelativePathWhole) {
  testing::TempFolder temp;
  temp.WriteFile("wait.sh", "while [ ! -e go ]; do sleep 0.05; done\n");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, temp.Path().c_str());
  char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("wait.sh"), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawnp(&pid, "sh", &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  bool seen = false;
  for (int i = 0; i < 200 && !seen; ++i) {
    for (const RunningScript& running : NativeScriptMonitor().Running()) seen |= running.script == temp / "wait.sh";
    if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  temp.WriteFile("go", "");
  ::waitpid(pid, nullptr, 0);
  EXPECT_TRUE(seen);
}

TEST(UserDataFolder, IsTheXdgFolderWhenAbsoluteElseTheOneInHome) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::string saved_xdg = xdg ? xdg : "";
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"/data", "/home/u", "/data"}, {"relative", "/home/u/", "/home/u/.local/share"}, {"", "", ""}};
  for (const auto& [xdg_value, home_value, folder] : cases) {
    ::setenv("XDG_DATA_HOME", xdg_value, 1);
    ::setenv("HOME", home_value, 1);
    EXPECT_EQ(UserDataFolder(), folder) << xdg_value << " " << home_value;
  }
  ::setenv("HOME", home.c_str(), 1);
  if (xdg) ::setenv("XDG_DATA_HOME", saved_xdg.c_str(), 1); else ::unsetenv("XDG_DATA_HOME");
}
#endif

TEST(Utf16ToUtf8, ConvertsEitherByteOrderAndReplacesWhatIsNoCharacter) {
  const std::tuple<std::string, bool, std::string> cases[] = {
      {std::string("\0A\xD5\x5C", 4), true, "A\xED\x95\x9C"},  // little-endian goes through the subtitle tests
      {std::string("\x3D\xD8\x00\xDE", 4), false, "\xF0\x9F\x98\x80"},  // a surrogate pair beyond the basic plane
      {std::string("\x3D\xD8" "A\0", 4), false, "\xEF\xBF\xBD" "A"},    // half a pair
      {std::string("A\0B", 3), false, "A"}};                           // half a unit
  for (const auto& [bytes, big_endian, utf8] : cases) EXPECT_EQ(Utf16ToUtf8(Utf16Units(bytes, big_endian)), utf8);
}

TEST(Utf8ToUtf16, ConvertsForTheWideCallsAndReplacesEachStrayByte) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"C:\\a.avi", u"C:\\a.avi"},
      {"\xED\x95\x9C\xEA\xB8\x80", u"\uD55C\uAE00"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},  // a surrogate pair beyond the basic plane
      {"\xC7\xD1" "a", u"\xFFFD\xFFFD" "a"},  // code page 949: the rest still reads
      {"a\xED\x95", u"a\xFFFD\xFFFD"},        // cut short
      {"\xC0\xAF", u"\xFFFD\xFFFD"}};          // overlong
  for (const auto& [utf8, utf16] : cases) EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
}

TEST(IsValidUtf8, TellsUtf8FromCodePage949) {
  EXPECT_TRUE(IsValidUtf8("plain \xED\x95\x9C\xEA\xB8\x80"));
  for (const char* bytes : {"\xC7\xD1\xB1\xDB", "\xC0\xAF", "\xED\xA0\x80", "\xED\x95"})  // 949, overlong, surrogate, cut
    EXPECT_FALSE(IsValidUtf8(bytes));
}

}  // namespace
}  // namespace clipvane
