// One suite for the INI profile of every platform: natively it runs against the POSIX
// implementation, under Wine against the Windows private-profile calls.
#include "platform/ini_profile.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

class IniProfileTest : public ::testing::Test {
 protected:
  std::unique_ptr<IniProfile> Open(const std::string& contents) {
    temp_.WriteFile("MP4.ini", contents);
    return OpenIniProfile(temp_ / "MP4.ini");
  }
  std::string FileText() { return NativeFileSystem().ReadWholeFile(temp_ / "MP4.ini").value_or("<none>"); }

  testing::TempFolder temp_;
};

TEST_F(IniProfileTest, AbsentFileGivesDefaults) {
  const auto ini = OpenIniProfile(temp_ / "missing.ini");
  EXPECT_EQ(ini->ReadString("default", "title", "Clipvane"), "Clipvane");
  EXPECT_FALSE(NativeFileSystem().Exists(temp_ / "missing.ini"));  // reading creates nothing
}

struct ReadCase {
  std::string line;  // the key's line in section [default]
  std::string expected;
};

class IniReadTest : public IniProfileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadTest, ReadsTheValue) {
  const auto ini = Open("[other]\r\ntitle=wrong\r\n[default]\r\n" + GetParam().line + "\r\nz=1\r\n");
  EXPECT_EQ(ini->ReadString("default", "title", "fallback"), GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniReadTest,
    ::testing::Values(ReadCase{"title=Mine", "Mine"}, ReadCase{"TITLE=Mine", "Mine"},
                      ReadCase{"  title  =   two words   ", "two words"},
                      ReadCase{"title=", ""},  // present but empty: the empty text, not the default
                      ReadCase{"title=   ", ""}, ReadCase{"title=\"quoted\"", "quoted"},
                      ReadCase{"title='single'", "single"}, ReadCase{"title=\" keep \"", " keep "},
                      ReadCase{"title=\"open", "\"open"}, ReadCase{"title=\"mixed'", "\"mixed'"},
                      ReadCase{"title=a=b", "a=b"}, ReadCase{"titles=Mine", "fallback"},
                      ReadCase{"title=\xB1\xBC\xB8\xB2 v", "\xB1\xBC\xB8\xB2 v"}));

TEST_F(IniProfileTest, SectionNamesIgnoreCaseAndBlanks) {
  const auto ini = Open("[ DEFAULT ]\nqulity=2\n");
  EXPECT_EQ(ini->ReadString("default", "qulity", "1"), "2");
  EXPECT_EQ(ini->ReadString("Default", "QULITY", "1"), "2");
  EXPECT_EQ(ini->ReadString("other", "qulity", "1"), "1");
}

TEST_F(IniProfileTest, WriteCreatesFileAndSection) {
  const auto ini = OpenIniProfile(temp_ / "new.ini");
  ini->WriteString("default", "qulity", "0");
  ini->WriteString("default", "platform", "1");
  EXPECT_EQ(ini->ReadString("default", "qulity", "9"), "0");
  EXPECT_EQ(ini->ReadString("default", "platform", "9"), "1");
  EXPECT_EQ(OpenIniProfile(temp_ / "new.ini")->ReadString("DEFAULT", "Platform", "9"), "1");
}

TEST_F(IniProfileTest, WriteReplacesOnlyItsOwnKeyAndKeepsEveryOtherLine) {
  const auto ini = Open(
      "; made by hand\r\n[first]\r\nqulity=5\r\nother=x\r\n[default]\r\nQulity=1\r\n"
      "fontname=gulim.ttc,\xB1\xBC\xB8\xB2\r\n[last]\r\nkey=value\r\n");
  ini->WriteString("default", "qulity", "2");
  ini->WriteString("default", "display", "3");
  ini->WriteString("Last", "added", "yes");

  EXPECT_EQ(ini->ReadString("default", "qulity", ""), "2");
  EXPECT_EQ(ini->ReadString("default", "display", ""), "3");
  EXPECT_EQ(ini->ReadString("first", "qulity", ""), "5");
  EXPECT_EQ(ini->ReadString("first", "other", ""), "x");
  EXPECT_EQ(ini->ReadString("default", "fontname", ""), "gulim.ttc,\xB1\xBC\xB8\xB2");
  EXPECT_EQ(ini->ReadString("last", "key", ""), "value");
  EXPECT_EQ(ini->ReadString("last", "added", ""), "yes");
  // The new key of [default] went into that section, not after [last].
  const std::string text = FileText();
  EXPECT_NE(text.find("; made by hand"), std::string::npos);
  EXPECT_LT(text.find("display=3"), text.find("[last]"));
  EXPECT_GT(text.find("display=3"), text.find("[default]"));
}

TEST_F(IniProfileTest, WriteOfEmptyValueReadsBackEmpty) {
  const auto ini = Open("[default]\ntitle=Mine\n");
  ini->WriteString("default", "title", "");
  EXPECT_EQ(ini->ReadString("default", "title", "fallback"), "");
}

TEST_F(IniProfileTest, FailedWriteNamesTheFile) {
  const std::string path = temp_ / "no such folder" + "/MP4.ini";
  const auto ini = OpenIniProfile(path);
  try {
    ini->WriteString("default", "qulity", "1");
    FAIL() << "the write into a missing folder succeeded";
  } catch (const PlatformError& error) {
    EXPECT_NE(std::string(error.what()).find("MP4.ini"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace clipvane
