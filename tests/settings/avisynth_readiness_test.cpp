#include "settings/avisynth_readiness.h"

#include <gtest/gtest.h>

#include <set>

#include "common/workspace.h"
#include "platform/text_encoding.h"
#include "support/fakes.h"

namespace clipvane {
namespace {

// A registry value and a set of files; the installer may register a folder.
class FakeAviSynth : public AviSynthSystem {
 public:
  std::string registered;
  std::string registered_by_installer;
  bool installer_registers = false;
  std::set<std::string> files, folders;
  std::vector<std::string> runs;
  std::vector<std::pair<std::string, std::string>> copies;

  std::string RegisteredPluginDir() override { return registered; }
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  bool FolderExists(const std::string& path) override { return folders.count(path) > 0; }
  void CopyFileIfAbsent(const std::string& from, const std::string& to) override {
    if (!files.count(to)) copies.emplace_back(from, to);
  }
  int RunAndWait(const std::string& command_line) override {
    runs.push_back(command_line);
    if (installer_registers) registered = registered_by_installer;
    return 0;
  }
};

class AviSynthReadinessTest : public ::testing::Test {
 protected:
  bool Ready() { return MakeAviSynthReady(system_, notifier_, workspace_, plugin_dir_); }

  FakeAviSynth system_;
  testing::RecordingNotifier notifier_;
  Workspace workspace_{"C:\\Clipvane\\", PathStyle::kWindows};
  std::string plugin_dir_;
};

TEST_F(AviSynthReadinessTest, ReadyAviSynthWithThePluginAsksNothingAndCopiesNothing) {
  system_.registered = "C:\\AviSynth\\plugins";
  system_.files = {"C:\\AviSynth\\plugins\\DirectShowSource.dll", "C:\\AviSynth\\plugins\\vsfilter.dll"};
  EXPECT_TRUE(Ready());
  EXPECT_EQ(plugin_dir_, "C:\\AviSynth\\plugins\\");
  EXPECT_TRUE(notifier_.shown.empty());
  EXPECT_TRUE(system_.copies.empty());
  EXPECT_TRUE(system_.runs.empty());
}

TEST_F(AviSynthReadinessTest, MissingPluginIsCopiedFromBin) {
  system_.registered = "D:\\AVS\\plugins\\";
  system_.files = {"D:\\AVS\\plugins\\DirectShowSource.dll"};
  EXPECT_TRUE(Ready());
  ASSERT_EQ(system_.copies.size(), 1u);
  EXPECT_EQ(system_.copies[0].first, "C:\\Clipvane\\bin\\vsfilter.dll");
  EXPECT_EQ(system_.copies[0].second, "D:\\AVS\\plugins\\vsfilter.dll");
}

TEST_F(AviSynthReadinessTest, DecliningTheInstallerRunsNothing) {
  struct Case {
    const char* registered;
    const char* name;
  };
  // Nothing registered, and registered without DirectShowSource.dll.
  for (const Case& c : {Case{"", "none"}, Case{"C:\\AviSynth\\plugins", "no DirectShowSource"}}) {
    FakeAviSynth system;
    system.registered = c.registered;
    testing::RecordingNotifier notifier;
    notifier.answer = MessageAnswer::kNo;
    std::string plugin_dir;
    EXPECT_FALSE(MakeAviSynthReady(system, notifier, workspace_, plugin_dir)) << c.name;
    ASSERT_EQ(notifier.shown.size(), 1u) << c.name;
    EXPECT_EQ(notifier.shown[0].text, AviSynthQuestion());
    EXPECT_EQ(notifier.shown[0].caption, Utf8ToAnsi(u8"알림"));
    EXPECT_EQ(notifier.shown[0].icon, MessageIcon::kNone);
    EXPECT_EQ(notifier.shown[0].buttons, MessageButtons::kYesNo);
    EXPECT_TRUE(system.runs.empty()) << c.name;
    EXPECT_TRUE(system.copies.empty()) << c.name;
  }
}

TEST_F(AviSynthReadinessTest, InstallerThatRegistersAFolderLeadsToTheCopy) {
  notifier_.answer = MessageAnswer::kYes;
  system_.installer_registers = true;
  system_.registered_by_installer = "C:\\Program Files\\AviSynth 2.5\\plugins";
  system_.folders = {"C:\\Program Files\\AviSynth 2.5\\plugins\\"};
  EXPECT_TRUE(Ready());
  EXPECT_EQ(system_.runs, (std::vector<std::string>{"C:\\Clipvane\\bin\\Avisynth_257.exe"}));
  EXPECT_EQ(plugin_dir_, "C:\\Program Files\\AviSynth 2.5\\plugins\\");
  ASSERT_EQ(system_.copies.size(), 1u);  // DirectShowSource.dll is not looked for again
  EXPECT_EQ(system_.copies[0].second, "C:\\Program Files\\AviSynth 2.5\\plugins\\vsfilter.dll");
}

TEST_F(AviSynthReadinessTest, InstallerWithoutAnExistingFolderClearsTheBox) {
  notifier_.answer = MessageAnswer::kYes;
  system_.installer_registers = true;
  system_.registered_by_installer = "C:\\Nowhere";
  EXPECT_FALSE(Ready());
  EXPECT_EQ(system_.runs.size(), 1u);
  EXPECT_TRUE(system_.copies.empty());
}

TEST(AviSynthQuestionTest, FourParagraphsApartByTwoCarriageReturns) {
  const std::string question = AnsiToUtf8(AviSynthQuestion());
  EXPECT_EQ(question.find('\n'), std::string::npos);
  std::vector<std::string> paragraphs;
  std::size_t start = 0;
  for (std::size_t at; (at = question.find("\r\r", start)) != std::string::npos; start = at + 2)
    paragraphs.push_back(question.substr(start, at - start));
  paragraphs.push_back(question.substr(start));
  ASSERT_EQ(paragraphs.size(), 4u);
  EXPECT_EQ(paragraphs[0], u8"컬러태그 자막 적용을 위해서는 AviSynth를 설치해야 합니다.");
  EXPECT_EQ(paragraphs[1], u8"지금 설치 하시겠습니까?");
  EXPECT_EQ(paragraphs[2].rfind(u8"* AviSynth 홈페이지  http", 0), 0u);
  EXPECT_EQ(paragraphs[3], u8"(컬러태크 적용시 인코딩 속도는 다소 느릴 수 있습니다.)");
}

}  // namespace
}  // namespace clipvane
