// The windows of the program, created in this process under Wine, driven by the
// messages the system sends them: each event reaches its model, and each state of
// the model reaches the screen. The rules themselves are tested on the models.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/win32/file_info_dialog_win32.h"
#include "gui/gui_fixture.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "settings/settings_store.h"
#include "ui/job_texts.h"

namespace clipvane::testing {
namespace {

using M = MenuCommand;
using C = OptionsControl;

class GuiTest : public ::testing::Test, public GuiFixture {
 protected:
  void TenRows() {  // v0.avi to v9.avi
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) paths.push_back(Video("v" + std::to_string(i) + ".avi"));
    WriteListLog(paths);
    CreateWindows();
  }
  std::string Start() {
    return (IsWindowEnabled(Main().StartButton()) ? "on " : "off ") + ControlText(Main().StartButton());
  }
  HWND Control(C control) { return Options().Control(control); }
  bool Checked(C control) { return SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Click(C control) { SendMessageW(Control(control), BM_CLICK, 0, 0); }
  std::string Item(C control, LRESULT index) {
    wchar_t text[256] = {};
    SendMessageW(Control(control), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return WideToAnsi(text);
  }
  std::string Selected(C control) { return Item(control, SendMessageW(Control(control), CB_GETCURSEL, 0, 0)); }
};

TEST_F(GuiTest, TheMainWindowShowsItsModelAndPassesOnEveryEvent) {
  Video("v3.smi");
  temp.WriteFile("MP4.ini", "[default]\r\ntitle=" + Utf8ToAnsi(u8"내 변환기") + "\r\n");
  TenRows();
  EXPECT_EQ(ControlText(Main().Handle()), Utf8ToAnsi(u8"내 변환기 v1.4"));
  EXPECT_EQ(ItemText(3, 0) + "|" + ItemText(3, 1) + "|" + ItemText(3, 2), "|v3|OK");
  EXPECT_EQ(Start(), "off " + Utf8ToAnsi(u8"시작"));
  EXPECT_TRUE(GetClassLongPtrW(Main().Handle(), GCL_STYLE) & CS_DROPSHADOW);
  EXPECT_TRUE(MenuState(M::kNothingAfterwards) & MF_CHECKED);
  Select({1, 4, 7});  // the list's selection
  EXPECT_EQ(Start(), "on " + Utf8ToAnsi(u8"시작 (3)"));
  SetFocus(Main().ListView());
  PressOnList('A', true);  // a shortcut
  EXPECT_EQ(Start(), "on " + Utf8ToAnsi(u8"시작 (10)"));
  SendMessageW(Main().Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Main().PopupMenu()), 0);
  EXPECT_TRUE((MenuState(M::kEncodeSelection) & MF_GRAYED) && !(MenuState(M::kDelete) & MF_GRAYED));
  Command(kIdFirstMenuItem + static_cast<int>(M::kShutdownAfterwards));  // a menu item
  EXPECT_TRUE((MenuState(M::kShutdownAfterwards) & MF_CHECKED) && !(MenuState(M::kNothingAfterwards) & MF_CHECKED));
  Select({2});
  PressOnList(VK_DELETE, false);
  EXPECT_EQ(RowCount(), 9u);
  Command(kIdFirstMenuItem + static_cast<int>(M::kEncodeAllFourQueues));
  EXPECT_EQ(shell.opened.size(), 4u);
  EXPECT_EQ(ControlText(Main().StatusBar()), "created v9.bat");
  ForgetStartedJobs(NativeFileSystem(), Workspace(temp.Path(), PathStyle::kWindows));
  NativeFileSystem().RemoveFile(temp / "videos\\v0.avi");
  Select({0});
  Command(kIdStartButton);  // the model's box reaches the dialogs
  EXPECT_EQ(dialogs.shown.size(), 1u);
  shell.fails = true;  // and so does a script that did not start
  Select({1});
  Command(kIdStartButton);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_NE(dialogs.shown[1].text.find(Utf8ToAnsi(u8"실행하지 못했습니다: cmd: not found")), std::string::npos);
  shell.fails = false;
  PostMessageW(windows->FileInfo().OkButton(), BM_CLICK, 0, 0);
  NMHDR click{Main().ListView(), static_cast<UINT_PTR>(kIdListView), static_cast<UINT>(NM_DBLCLK)};
  SendMessageW(Main().Handle(), WM_NOTIFY, kIdListView, reinterpret_cast<LPARAM>(&click));
  EXPECT_NE(ControlText(windows->FileInfo().Memo()).find("width                                    : 640 pixels"),
            std::string::npos);
  EXPECT_EQ(ControlText(windows->FileInfo().Handle()), Utf8ToAnsi(u8"동영상 파일 정보"));
  EXPECT_FALSE(IsWindowVisible(windows->FileInfo().Handle()));
  Command(kIdOutputFolderButton);
  Command(kIdWebPageButton);
  EXPECT_EQ(opener.opened, (std::vector<std::string>{temp / "incoming", kMakerWebPage}));
  // Names the code page cannot hold are named in a box, not dropped in silence.
  const std::string video = Video("Holiday.avi");
  const std::wstring folder = AnsiToWide(temp / "videos\\");
  for (const wchar_t* name : {L"Caf\u00E9.avi", L"\U0001F600.avi"})
    CloseHandle(CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  dialogs.shown.clear();
  Drop({folder + L"Caf\u00E9.avi", AnsiToWide(video), folder + L"\U0001F600.avi"});
  EXPECT_EQ(RowCount(), 10u);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_TRUE(dialogs.shown[0].utf8);
  for (const char* name : {u8"Caf\u00E9.avi", u8"\U0001F600.avi"})
    EXPECT_NE(dialogs.shown[0].text.find(name), std::string::npos) << dialogs.shown[0].text;
  // The session ends: the window writes its own row into the list as another left it.
  const std::string other = Video("other.avi");
  NativeFileSystem().ReplaceWholeFile(temp / "list.log", other + "\r\n");
  SendMessageW(Main().Handle(), WM_QUERYENDSESSION, 0, 0);
  SendMessageW(Main().Handle(), WM_ENDSESSION, TRUE, 0);
  const std::string saved = NativeFileSystem().ReadWholeFile(temp / "list.log").value_or("");
  EXPECT_EQ(saved.rfind(other + "\r\n", 0), 0u) << saved;
  EXPECT_NE(saved.find(video), std::string::npos) << saved;
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(Main().Handle()));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(temp / "list.log"), saved);  // nothing more to write
}

// Videos dropped on the program's icon reach it on the command line: the program
// itself lists them, a relative Korean name against its current folder.
TEST_F(GuiTest, TheProgramListsTheFilesOnItsCommandLine) {
  const std::string tests = AppDirFromExecutable(ExecutablePath(), PathStyle::kWindows);
  ASSERT_TRUE(CopyFileA((tests + "clipvane.exe").c_str(), (temp / "clipvane.exe").c_str(), FALSE));
  const std::string video = Video(Utf8ToAnsi(u8"휴가 영상.avi"));  // in code page 949, from a wide command line
  const std::wstring exe = AnsiToWide(temp / "clipvane.exe"), folder = AnsiToWide(temp / "videos");
  std::wstring line = L"clipvane.exe \"\uD734\uAC00 \uC601\uC0C1.avi\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                             &process));
  // A close posted to its window waits in the queue until the window has taken the files.
  struct Search {
    DWORD process_id;
    HWND found;
  } search{process.dwProcessId, nullptr};
  for (int tries = 0; !search.found && tries < 300; ++tries) {
    WaitForInputIdle(process.hProcess, 100);
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto& wanted = *reinterpret_cast<Search*>(data);
          DWORD owner = 0;
          wchar_t name[16] = {};
          GetWindowThreadProcessId(window, &owner);
          GetClassNameW(window, name, 16);
          if (owner == wanted.process_id && std::wstring(name) == L"TfmMain") wanted.found = window;
          return !wanted.found;
        },
        reinterpret_cast<LPARAM>(&search));
  }
  EXPECT_NE(search.found, nullptr);
  if (!search.found) TerminateProcess(process.hProcess, 1);
  PostMessageW(search.found, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(temp / "list.log"), video + "\r\n");
}

// The jobs' columns after the original ones, the run's totals, the stop button, the
// log and the close question, as the job-status channel and the model say.
TEST_F(GuiTest, TheJobColumnsTheStopButtonAndTheCloseQuestionFollowTheModel) {
  WriteListLog({Video("v0.avi"), Video("v1.avi")});
  CreateWindows();
  wchar_t header[32] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = header;
  column.cchTextMax = 32;
  SendMessageW(Main().ListView(), LVM_GETCOLUMNW, 4, reinterpret_cast<LPARAM>(&column));
  EXPECT_EQ(WideToAnsi(header), FollowColumns()[1].header);
  EXPECT_FALSE(IsWindowEnabled(Main().StopButton()));
  Select({0});
  Command(kIdStartButton);
  EXPECT_EQ(ItemText(0, 3), Utf8ToAnsi(u8"대기"));
  const auto say = [&](int row, const std::string& status) {
    NativeFileSystem().ReplaceWholeFile(temp / ("temp\\v" + std::to_string(row) + ".job"), status);
    SendMessageW(Main().Handle(), WM_TIMER, 1, 0);  // the window's timer
  };
  say(0, "state=running\npercent=45\nfps=120\nleft=32\npid=" + std::to_string(GetCurrentProcessId()) + "\n");
  EXPECT_EQ(ItemText(0, 3), Utf8ToAnsi(u8"45% 120fps 0:32 남음"));
  wchar_t totals[64] = {};
  SendMessageW(Main().StatusBar(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(totals));
  EXPECT_EQ(WideToAnsi(totals), Utf8ToAnsi(u8"0/1 완료, 남은 시간 0:32"));
  EXPECT_TRUE(IsWindowEnabled(Main().StopButton()));
  Command(kIdStopButton);
  EXPECT_TRUE(NativeFileSystem().Exists(temp / "temp\\v0.stp"));
  dialogs.choice = static_cast<int>(CloseAnswer::kStay);
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(Main().Handle()));
  EXPECT_EQ(dialogs.shown.back(), CloseWhileRunningQuestion());
  say(0, "state=stopped\n");
  say(1, "state=failed\ncause=[aac] No space left on device\n");
  EXPECT_EQ(ItemText(0, 4) + "|" + ItemText(1, 4), Utf8ToAnsi(u8"중지됨|실패: 디스크 공간이 부족합니다"));
  EXPECT_EQ(notifier.told, std::vector<std::string>{"Clipvane: " + RunEndedText(0, 0, 1)});
  EXPECT_FALSE(IsWindowEnabled(Main().StopButton()));
  wchar_t tip[128] = {};
  NMLVGETINFOTIPW info{{Main().ListView(), static_cast<UINT_PTR>(kIdListView), static_cast<UINT>(LVN_GETINFOTIPW)},
                       0,
                       tip,
                       128,
                       1,
                       0,
                       0};
  SendMessageW(Main().Handle(), WM_NOTIFY, kIdListView, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(WideToAnsi(tip), "[aac] No space left on device");
  const std::string log = temp.WriteFile("batch\\v1.log", "[aac] No space left on device\r\n");
  Select({1});
  SendMessageW(Main().Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Main().PopupMenu()), 0);
  Command(kIdFirstMenuItem + static_cast<int>(M::kOpenLog));
  EXPECT_EQ(opener.opened, std::vector<std::string>{log});
}

TEST_F(GuiTest, TheOptionsDialogShowsItsModelAndPassesOnEveryEvent) {
  CreateWindows();
  EXPECT_EQ(ControlText(Options().Handle()), Utf8ToAnsi(u8"설정"));
  EXPECT_EQ(ControlText(Control(C::kDisplay3)), ScreenFitItems()[3]);
  EXPECT_TRUE(Checked(C::kDisplay0));
  EXPECT_EQ(Selected(C::kFontSize), "4");
  Click(C::kColourSubtitle);  // no AviSynth, and the answer is No
  EXPECT_EQ(dialogs.shown, std::vector<Notice>{AviSynthQuestion()});
  EXPECT_FALSE(Checked(C::kColourSubtitle));
  Click(C::kSubtitle);
  EXPECT_FALSE(IsWindowEnabled(Control(C::kFonts)));
  EXPECT_FALSE(IsWindowEnabled(Control(C::kSubtitleClass)));
  for (const auto& [list, item] : {std::pair{C::kQuality, 0}, {C::kSubtitleClass, 2}, {C::kPlatform, 2}}) {
    SendMessageW(Control(list), CB_SETCURSEL, item, 0);
    SendMessageW(Options().Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Control(list)), CBN_SELCHANGE), 0);
  }
  EXPECT_EQ(ControlText(Control(C::kQualityText)), QualityDescription(0));
  EXPECT_FALSE(IsWindowEnabled(Control(C::kDisplay2)));  // the phone has no screen fit
  SendMessageW(Control(C::kPlatform), CB_SETCURSEL, 0, 0);
  SendMessageW(Options().Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Control(C::kPlatform)), CBN_SELCHANGE), 0);
  Click(C::kSubtitleSync);
  EXPECT_EQ(dialogs.shown.back(), SubtitleSyncNotice());
  Click(C::kDisplay2);
  EXPECT_EQ(ControlText(Control(C::kVideoExts)), kDefaultVideoExtensions);
  SetWindowTextW(Control(C::kVideoExts), L"avi, xyz");
  Click(C::kOk);
  const std::string ini = NativeFileSystem().ReadWholeFile(temp / "MP4.ini").value_or("");
  for (const char* line :
       {"needsubtitle=0", "qulity=0", "display=2", "subtitlesync=1", "videofileext=avi, xyz", "subtitleclass=ENCC"})
    EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
}

TEST_F(GuiTest, AnOkThatTheLoadRefusesKeepsTheDialogOpen) {
  temp.WriteFile("MP4.ini", "[default]\r\ndisplay=3\r\nplatform=1\r\n");
  CreateWindows();
  PostMessageW(Control(C::kOk), BM_CLICK, 0, 0);        // saved, refused, stays open
  PostMessageW(Control(C::kDisplay2), BM_CLICK, 0, 0);  // another screen fit
  PostMessageW(Control(C::kOk), BM_CLICK, 0, 0);        // accepted, closes
  Command(kIdOptionsButton);                            // the showing loads again
  EXPECT_EQ(dialogs.shown, std::vector<Notice>(3, WideFrameNotice()));
  EXPECT_FALSE(Options().Showing() || IsWindowVisible(Options().Handle()));
}

// The native AviSynth and font services read the prefix's own registry.
TEST_F(GuiTest, RegisteredAviSynthGetsTheFilterAndPlainFontsComeFromTheRegistry) {
  HKEY avs = nullptr, fonts = nullptr;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\AviSynth", 0, nullptr, 0, KEY_WRITE, nullptr, &avs, nullptr);
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, KEY_WRITE, &fonts);
  const char file[] = "cvtest.ttf";
  RegSetValueExA(fonts, "Clipvane Test & Other (TrueType)", 0, REG_SZ, reinterpret_cast<const BYTE*>(file),
                 sizeof file);
  NativeFileSystem().MakeFolders(temp / "plugins");
  temp.WriteFile("plugins\\DirectShowSource.dll", "dll");
  temp.WriteFile("bin\\vsfilter.dll", "plugin");
  const std::string folder = temp / "plugins";
  RegSetValueExA(avs, "plugindir2_5", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>(folder.size() + 1));
  avisynth = &NativeAviSynthSystem();
  temp.WriteFile("MP4.ini", "[default]\r\nfontname=CVTEST.TTF,x\r\n");
  CreateWindows();
  EXPECT_EQ(Selected(C::kFonts), "Clipvane Test ");
  Click(C::kColourSubtitle);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(Checked(C::kColourSubtitle));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(temp / "plugins\\vsfilter.dll"), "plugin");
  EXPECT_EQ(Selected(C::kFonts), Item(C::kFonts, 0));  // no face named x: the first item, whatever fonts there are
  RegDeleteValueA(fonts, "Clipvane Test & Other (TrueType)");
  RegCloseKey(fonts);
  RegCloseKey(avs);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\AviSynth");
}

}  // namespace
}  // namespace clipvane::testing
