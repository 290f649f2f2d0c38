// The windows of the program, created in this process under Wine, driven by the
// messages the system sends them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/file_info_dialog_win32.h"
#include "app/options_dialog_win32.h"
#include "gui/gui_fixture.h"
#include "platform/file_system.h"

namespace clipvane::testing {
namespace {

using M = PopupMenuItem;

class MainWindowTest : public ::testing::Test, public GuiFixture {
 protected:
  // Ten listed videos, v0.avi to v9.avi.
  void TenRows() {
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) paths.push_back(Video("v" + std::to_string(i) + ".avi"));
    WriteListLog(paths);
    CreateWindows();
  }
  std::string StartCaption() { return WindowText(Main().StartButton()); }
  bool StartEnabled() { return IsWindowEnabled(Main().StartButton()) != FALSE; }
};

TEST_F(MainWindowTest, StartsWithTheListTheTitleAndADisabledStartButton) {
  Video("b.avi");
  temp.WriteFile("videos\\b.smi", "<SAMI>");
  WriteListLog({temp / "videos\\b.avi", temp / "videos\\gone.avi"});
  WriteSettings("title=" + Utf8(u8"내 변환기") + "\r\n");
  CreateWindows();
  EXPECT_EQ(WindowText(Main().Handle()), Utf8(u8"내 변환기 v1.4"));
  ASSERT_EQ(RowCount(), 1u);
  EXPECT_EQ(ItemText(0, 0), "");
  EXPECT_EQ(ItemText(0, 1), "b");
  EXPECT_EQ(ItemText(0, 2), "OK");
  EXPECT_FALSE(StartEnabled());
  EXPECT_EQ(StartCaption(), Utf8(u8"시작"));
  EXPECT_TRUE(GetClassLongPtrW(Main().Handle(), GCL_STYLE) & CS_DROPSHADOW);
  for (const char* folder : {"incoming", "batch", "temp"}) EXPECT_TRUE(NativeFileSystem().IsDirectory(temp / folder));
  EXPECT_TRUE(MenuChecked(M::miNone));
  EXPECT_FALSE(MenuChecked(M::miShutdown));
}

TEST_F(MainWindowTest, StartButtonFollowsTheSelectionAndCtrlA) {
  TenRows();
  ASSERT_EQ(RowCount(), 10u);
  Select({1, 4, 7});
  EXPECT_TRUE(StartEnabled());
  EXPECT_EQ(StartCaption(), Utf8(u8"시작 (3)"));
  Select({0, 1, 2, 3, 4, 5});
  EXPECT_FALSE(StartEnabled());
  EXPECT_EQ(StartCaption(), Utf8(u8"시작 (6)"));
  SetFocus(Main().ListView());
  PressOnList('A', true);
  EXPECT_TRUE(StartEnabled());
  EXPECT_EQ(StartCaption(), Utf8(u8"시작 (10)"));
  EXPECT_EQ(GetSession().list.SelectedCount(), 10u);
  InitPopup();
  EXPECT_FALSE(MenuEnabled(M::miEncoding));
  EXPECT_TRUE(MenuEnabled(M::miEncodingAll));
  EXPECT_TRUE(MenuEnabled(M::miDelete));
}

TEST_F(MainWindowTest, MenuOnAnEmptyListOffersOnlyTheFourListCommands) {
  CreateWindows();
  InitPopup();
  const std::set<M> enabled = {M::N2, M::N3, M::N9, M::N11};
  for (M item : {M::N2, M::miExecitWithLinkedApp, M::N3, M::N9, M::miDelete, M::miMakeBatchFiles, M::N11,
                 M::miEncoding, M::miEncodingAll})
    EXPECT_EQ(MenuEnabled(item), enabled.count(item) > 0) << static_cast<int>(item);
  // The captions as the menu shows them.
  wchar_t caption[100] = {};
  GetMenuStringW(Main().PopupMenu(), kIdFirstMenuItem + static_cast<UINT>(M::N2), caption, 100, MF_BYCOMMAND);
  EXPECT_EQ(WideToAnsi(caption), Utf8(u8"새로 고침\tCtrl+R"));
  GetMenuStringW(Main().PopupMenu(), kIdFirstMenuItem + static_cast<UINT>(M::miMulti4), caption, 100, MF_BYCOMMAND);
  EXPECT_EQ(WideToAnsi(caption), Utf8(u8"멀티4"));
}

TEST_F(MainWindowTest, DeleteShortcutWaitsForTheMenuToOpenWithASelection) {
  TenRows();
  InitPopup();  // nothing selected: Del is disabled until the next opening
  Select({2});
  SetFocus(Main().ListView());
  PressOnList(VK_DELETE, false);
  EXPECT_EQ(RowCount(), 10u);
  InitPopup();
  PressOnList(VK_DELETE, false);
  EXPECT_EQ(RowCount(), 9u);
  EXPECT_EQ(ItemText(2, 1), "v3");
}

TEST_F(MainWindowTest, FourQueuesOpenTheirScriptsInOrder) {
  TenRows();
  MenuCommand(M::miShutdown);
  EXPECT_TRUE(MenuChecked(M::miShutdown));
  EXPECT_FALSE(MenuChecked(M::miNone));
  MenuCommand(M::miMulti4);
  const std::string batch = temp / "batch\\";
  EXPECT_EQ(shell.opened, (std::vector<std::string>{batch + "encode_a41.bat", batch + "encode_a42.bat",
                                                    batch + "encode_a43.bat", batch + "encode_a44.bat"}));
  const auto all = NativeFileSystem().ReadWholeFile(batch + "encode_all.bat");
  ASSERT_TRUE(all.has_value());
  EXPECT_NE(all->find("shutdown"), std::string::npos);
}

TEST_F(MainWindowTest, SelectedVideoThatIsGoneIsReportedAndTheOthersStart) {
  TenRows();
  Select({0, 5});
  NativeFileSystem().RemoveFile(temp / "videos\\v0.avi");
  Command(kIdStartButton);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, temp / "videos\\v0.avi" + Utf8(u8"\r\r선택한 파일이 존재하지 않습니다."));
  EXPECT_EQ(notifier.shown[0].caption, Utf8(u8"알림"));
  EXPECT_EQ(shell.opened, (std::vector<std::string>{temp / "batch\\v5.bat"}));
}

TEST_F(MainWindowTest, DroppedFilesAreListedOnceAndClosingWritesTheList) {
  CreateWindows();
  const std::string video = Video("Holiday.avi");
  const std::string text = temp.WriteFile("videos\\notes.txt", "x");
  Drop({video, text, temp / "videos\\HOLIDAY.AVI"});
  ASSERT_EQ(RowCount(), 1u);
  EXPECT_EQ(ItemText(0, 1), "Holiday");
  EXPECT_EQ(ItemText(0, 2), "-");
  EXPECT_FALSE(IsWindowEnabled(Main().StartButton()));  // one row, none selected
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(Main().Handle()));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(temp / "list.log"), video + "\r\n");
}

TEST_F(MainWindowTest, DoubleClickShowsTheProbedReportAndFoldersOpenRelative) {
  TenRows();
  Select({3});
  HWND ok = windows->FileInfo().OkButton();
  PostMessageW(ok, BM_CLICK, 0, 0);
  NMHDR click{Main().ListView(), static_cast<UINT_PTR>(kIdListView), static_cast<UINT>(NM_DBLCLK)};
  SendMessageW(Main().Handle(), WM_NOTIFY, kIdListView, reinterpret_cast<LPARAM>(&click));
  EXPECT_FALSE(IsWindowVisible(windows->FileInfo().Handle()));
  const std::string memo = WindowText(windows->FileInfo().Memo());
  EXPECT_NE(memo.find("width                                    : 640 pixels"), std::string::npos) << memo;
  EXPECT_EQ(WindowText(Main().StatusBar()), "checked v3.avi");
  EXPECT_EQ(WindowText(windows->FileInfo().Handle()), Utf8(u8"동영상 파일 정보"));

  Command(kIdOutputFolderButton);
  MenuCommand(M::N11);
  MenuCommand(M::miExecitWithLinkedApp);
  EXPECT_EQ(opener.opened, (std::vector<std::string>{".\\incoming", ".\\batch", temp / "videos\\v3.avi"}));
}

class OptionsDialogTest : public MainWindowTest {
 protected:
  HWND Control(int id) { return Options().Control(id); }
  bool Checked(int id) { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  std::vector<std::string> Items(int id) {
    std::vector<std::string> items;
    const int count = static_cast<int>(SendMessageW(Control(id), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      SendMessageW(Control(id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(WideToAnsi(text));
    }
    return items;
  }
  std::string SelectedText(int id) {
    const int index = static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
    return index < 0 ? "" : Items(id)[static_cast<std::size_t>(index)];
  }
  void ChooseItem(int id, int index) {
    SendMessageW(Control(id), CB_SETCURSEL, index, 0);
    SendMessageW(Options().Handle(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Control(id)));
  }
};

TEST_F(OptionsDialogTest, DecliningAviSynthClearsTheColourBoxAndRunsNothing) {
  CreateWindows();
  EXPECT_EQ(WindowText(Options().Handle()), Utf8(u8"설정"));
  EXPECT_EQ(Items(kIdFontSize).front(), "2");
  EXPECT_EQ(SelectedText(kIdFontSize), "4");
  notifier.answer = MessageAnswer::kNo;
  Click(kIdColourSubtitle);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, AviSynthQuestion());
  EXPECT_EQ(notifier.shown[0].buttons, MessageButtons::kYesNo);
  EXPECT_FALSE(Checked(kIdColourSubtitle));
  EXPECT_TRUE(avisynth.runs.empty());
  EXPECT_EQ(Items(kIdFontSize), (std::vector<std::string>{"2", "3", "4", "5", "6", "7", "8", "9"}));
}

TEST_F(OptionsDialogTest, SizeListFollowsTheRouteAndTheDeviceKeepingTheIndex) {
  NativeFileSystem().MakeFolders(temp / "avs");
  temp.WriteFile("avs\\DirectShowSource.dll", "dll");
  temp.WriteFile("bin\\vsfilter.dll", "plugin");
  avisynth.registered = temp / "avs";
  CreateWindows();
  Click(kIdColourSubtitle);
  EXPECT_TRUE(notifier.shown.empty());
  EXPECT_TRUE(Checked(kIdColourSubtitle));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(temp / "avs\\vsfilter.dll"), "plugin");
  EXPECT_EQ(Items(kIdFontSize).front(), "12");
  EXPECT_EQ(Items(kIdFontSize).back(), "26");
  EXPECT_EQ(SelectedText(kIdFontSize), "16");
  ChooseItem(kIdPlatform, 1);
  EXPECT_EQ(Items(kIdFontSize).front(), "6");
  EXPECT_EQ(Items(kIdFontSize).back(), "20");
  EXPECT_EQ(SelectedText(kIdFontSize), "10");
  EXPECT_EQ(GetSession().avisynth_plugin_dir, temp / "avs\\");
}

TEST_F(OptionsDialogTest, SubtitleBoxEnablesItsControlsAndOkSavesThem) {
  CreateWindows();
  EXPECT_TRUE(IsWindowEnabled(Control(kIdFonts)));
  Click(kIdSubtitle);
  for (int id : {kIdFontSize, kIdFonts, kIdColourSubtitle, kIdSizeLabel, kIdFontLabel})
    EXPECT_FALSE(IsWindowEnabled(Control(id))) << id;
  EXPECT_TRUE(IsWindowEnabled(Control(kIdSubtitle)));
  ChooseItem(kIdQuality, 0);
  EXPECT_EQ(WindowText(Control(kIdQualityText)), QualityDescription(0));
  Click(kIdSubtitleSync);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, SubtitleSyncWarning());
  EXPECT_EQ(notifier.shown[0].icon, MessageIcon::kWarning);
  Click(kIdSubtitleSync);  // clearing it says nothing
  EXPECT_EQ(notifier.shown.size(), 1u);
  Click(kIdOptionsOk);
  const std::string ini = NativeFileSystem().ReadWholeFile(temp / "MP4.ini").value_or("");
  EXPECT_NE(ini.find("needsubtitle=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("qulity=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("fontsize=2,2"), std::string::npos) << ini;
  EXPECT_EQ(GetSession().program.settings.videocodec, 1);  // the good preset
}

TEST_F(OptionsDialogTest, ThePixelModeOnNanoKeepsTheDialogOpenUntilChanged) {
  WriteSettings("display=3\r\nplatform=1\r\n");
  CreateWindows();
  EXPECT_EQ(notifier.shown.size(), 1u);  // while the dialog is created
  HWND ok = Control(kIdOptionsOk);
  PostMessageW(ok, BM_CLICK, 0, 0);                             // saved, refused, stays open
  PostMessageW(Control(kIdDisplayFirst + 2), BM_CLICK, 0, 0);   // another screen fit
  PostMessageW(ok, BM_CLICK, 0, 0);                             // accepted, closes
  Command(kIdOptionsButton);                                    // the showing loads again
  EXPECT_EQ(notifier.shown.size(), 3u);
  EXPECT_EQ(notifier.shown[2].caption, Utf8(u8"경고"));
  EXPECT_FALSE(Options().Showing());
  EXPECT_FALSE(IsWindowVisible(Options().Handle()));
  EXPECT_EQ(GetSession().program.settings.display, 2);
}

// Registry-dependent behaviour through the prefix's own registry.
class RegistryTest : public OptionsDialogTest {
 protected:
  void SetUp() override {
    avisynth_system = &NativeAviSynthSystem();
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\AviSynth", 0, nullptr, 0, KEY_WRITE, nullptr, &avs_, nullptr);
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, KEY_WRITE, &fonts_);
    const char file[] = "cvtest.ttf";
    RegSetValueExA(fonts_, "Clipvane Test & Other (TrueType)", 0, REG_SZ, reinterpret_cast<const BYTE*>(file),
                   sizeof file);
  }
  void TearDown() override {
    RegDeleteValueA(fonts_, "Clipvane Test & Other (TrueType)");
    RegCloseKey(fonts_);
    RegCloseKey(avs_);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\AviSynth");
  }
  HKEY avs_ = nullptr;
  HKEY fonts_ = nullptr;
};

TEST_F(RegistryTest, RegisteredAviSynthGetsTheFilterAndPlainFontsComeFromTheRegistry) {
  NativeFileSystem().MakeFolders(temp / "plugins");
  temp.WriteFile("plugins\\DirectShowSource.dll", "dll");
  temp.WriteFile("bin\\vsfilter.dll", "plugin");
  const std::string folder = temp / "plugins";
  RegSetValueExA(avs_, "plugindir2_5", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>(folder.size() + 1));
  WriteSettings("fontname=CVTEST.TTF,x\r\n");
  CreateWindows();
  EXPECT_EQ(SelectedText(kIdFonts), "Clipvane Test ");
  Click(kIdColourSubtitle);
  EXPECT_TRUE(notifier.shown.empty());
  EXPECT_TRUE(Checked(kIdColourSubtitle));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(temp / "plugins\\vsfilter.dll"), "plugin");
  const std::vector<std::string> faces = Items(kIdFonts);
  EXPECT_EQ(faces.front(), "Default");
  for (const std::string& face : faces) EXPECT_NE(face[0], '@');
}

TEST_F(RegistryTest, NoAviSynthAtStartWithColourOnAsksWhileTheDialogIsCreated) {
  RegCloseKey(avs_);
  avs_ = nullptr;
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\AviSynth");
  WriteSettings("colorsubtitle=1\r\n");
  notifier.answer = MessageAnswer::kNo;
  CreateWindows();
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, AviSynthQuestion());
  EXPECT_FALSE(Checked(kIdColourSubtitle));
  EXPECT_TRUE(GetSession().program.settings.colorsubtitle);
  EXPECT_EQ(GetSession().avisynth_plugin_dir, "");
}

}  // namespace
}  // namespace clipvane::testing
