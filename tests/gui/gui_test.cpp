// The windows of the program, created in this process under Wine, driven by the
// messages the system sends them: each event reaches its model, and each state of
// the model reaches the screen. The rules themselves are tested on the models.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/win32/file_info_dialog_win32.h"
#include "gui/gui_fixture.h"
#include "jobs/job_files.h"
#include "platform/child_processes.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"
#include "settings/settings_store.h"
#include "ui/job_texts.h"

namespace clipvane::testing {
namespace {

using M = MenuCommand;
using C = OptionsControl;

class GuiTest : public ::testing::Test, public GuiFixture {
 protected:
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
  // A notification of the list, as the list control sends it to the window.
  NMHDR FromList(int code) { return {Main().ListView(), static_cast<UINT_PTR>(kIdListView), static_cast<UINT>(code)}; }
  void Notify(void* nm) { SendMessageW(Main().Handle(), WM_NOTIFY, kIdListView, reinterpret_cast<LPARAM>(nm)); }
};

TEST_F(GuiTest, TheMainWindowShowsItsModelAndPassesOnEveryEvent) {
  std::vector<std::string> rows;  // v0.avi to v9.avi
  for (int i = 0; i < 10; ++i) rows.push_back(Video("v" + std::to_string(i) + ".avi"));
  Video("v3.smi");
  CreateWindows(rows);
  EXPECT_EQ(ControlText(Main().Handle()), windows->MainModel().Title());
  EXPECT_EQ(ItemText(3, 0) + "|" + ItemText(3, 1) + "|" + ItemText(3, 2), "|v3|OK");
  EXPECT_EQ(Start(), "off " + Utf8ToAnsi(u8"시작"));
  Select({1, 4, 7});  // the list's selection
  EXPECT_EQ(Start(), "on " + Utf8ToAnsi(u8"시작 (3)"));
  SetFocus(Main().ListView());
  PressOnList('A', true);  // a shortcut
  EXPECT_EQ(Start(), "on " + Utf8ToAnsi(u8"시작 (10)"));
  SendMessageW(Main().Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Main().PopupMenu()), 0);
  EXPECT_TRUE((MenuState(M::kEncodeSelection) & MF_GRAYED) && !(MenuState(M::kDelete) & MF_GRAYED));
  Command(kIdFirstMenuItem + static_cast<int>(M::kShutdownAfterwards));  // a menu item
  EXPECT_TRUE(MenuState(M::kShutdownAfterwards) & MF_CHECKED);
  Command(kIdFirstMenuItem + static_cast<int>(M::kEncodeAllFourQueues));
  EXPECT_EQ(ControlText(Main().StatusBar()), "created v9.bat");
  PostMessageW(windows->FileInfo().OkButton(), BM_CLICK, 0, 0);
  NMHDR click = FromList(NM_DBLCLK);
  Notify(&click);
  EXPECT_NE(ControlText(windows->FileInfo().Memo()).find("width                                    : 640 pixels"),
            std::string::npos);
  EXPECT_FALSE(IsWindowVisible(windows->FileInfo().Handle()));
  Command(kIdOutputFolderButton);
  Command(kIdWebPageButton);
  EXPECT_EQ(opener.opened, (std::vector<std::string>{temp / "incoming", kMakerWebPage}));
  // Names the code page cannot hold are named in a box, not dropped in silence.
  const std::string video = Video("Holiday.avi");
  const std::wstring folder = AnsiToWide(temp / "videos\\"), cafe = folder + L"Caf\u00E9.avi",
                     smile = folder + L"\U0001F600.avi";
  for (const std::wstring& name : {cafe, smile})
    CloseHandle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  Drop({cafe, AnsiToWide(video), smile});
  EXPECT_EQ(RowCount(), 11u);
  EXPECT_EQ(dialogs.shown, std::vector<Notice>{NamesOutsideCodePageNotice({WideToUtf8(cafe), WideToUtf8(smile)})});
  // The add buttons' dialogs, the folder's shortcut from anywhere in the window.
  picker.files.paths = {Video("added.avi")};
  Command(kIdAddFilesButton);
  NativeFileSystem().MakeFolders(temp / "more\\sub");
  temp.WriteFile("more\\sub\\below.avi", "video");
  picker.folder.paths = {temp / "more"};
  PressOnList('O', true, true, Main().StartButton());
  EXPECT_EQ(ItemText(11, 1) + ItemText(12, 1), "addedbelow");
  // The session ends: the window saves its list.
  SendMessageW(Main().Handle(), WM_QUERYENDSESSION, 0, 0);
  SendMessageW(Main().Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_NE(NativeFileSystem().ReadWholeFile(temp / "list.log").value_or("").find(video), std::string::npos);
}

// Videos dropped on the program's icon reach it on the command line: the program
// itself lists them, a relative Korean name against its current folder.
TEST_F(GuiTest, TheProgramListsTheFilesOnItsCommandLine) {
  const std::string tests = AppDirFromExecutable(ExecutablePath(), PathStyle::kWindows);
  ASSERT_TRUE(CopyFileA((tests + "clipvane.exe").c_str(), (temp / "clipvane.exe").c_str(), FALSE));
  const std::string video = Video(Utf8ToAnsi(u8"휴가 영상.avi"));  // in code page 949, from a wide command line
  // Started in the videos' folder, the current folder it takes over from this process;
  // ended with the test should it fail before the program closes.
  wchar_t here[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, here);
  SetCurrentDirectoryW(AnsiToWide(temp / "videos").c_str());
  ChildProcesses process;
  const bool started =
      process.Start({AnsiToUtf8(temp / "clipvane.exe"), u8"휴가 영상.avi"}, {Discarded(), Discarded()}).has_value();
  SetCurrentDirectoryW(here);
  ASSERT_TRUE(started);
  // A close posted to its window (the only fmMain: this test made none) waits in the
  // queue until the window has taken the files.
  HWND found = nullptr;
  ASSERT_TRUE(Eventually([&] { return (found = FindWindowW(L"TfmMain", nullptr)) != nullptr; }));
  PostMessageW(found, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.WaitAll(), std::vector<int>{0});
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(temp / "list.log"), video + "\r\n");
}

// The jobs' columns after the original ones, the run's totals, the stop button and the
// close question, as the job's record and the model say.
TEST_F(GuiTest, TheJobColumnsTheStopButtonAndTheCloseQuestionFollowTheModel) {
  CreateWindows({Video("v0.avi")});
  wchar_t header[32] = {};
  LVCOLUMNW column{LVCF_TEXT, 0, 0, header, 32, 0, 0, 0, 0, 0, 0};
  SendMessageW(Main().ListView(), LVM_GETCOLUMNW, 5, reinterpret_cast<LPARAM>(&column));
  EXPECT_EQ(WideToAnsi(header), FollowColumns()[1].header);
  EXPECT_FALSE(IsWindowEnabled(Main().StopButton()));
  Select({0});
  Command(kIdStartButton);
  EXPECT_EQ(ItemText(0, 4), Utf8ToAnsi(u8"대기"));
  const std::string record = JobRecordPath(Video("v0.avi"), workspace);
  const auto say = [&](const JobStatus& status) {
    SayJob(NativeFileSystem(), record, status);
    SendMessageW(Main().Handle(), WM_TIMER, 1, 0);  // the window's timer
  };
  say(Job(JobState::kRunning, 45, 120, 32));
  EXPECT_EQ(ItemText(0, 4), Utf8ToAnsi(u8"45% 120fps 0:32 남음"));
  wchar_t totals[64] = {};
  SendMessageW(Main().StatusBar(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(totals));
  EXPECT_EQ(WideToAnsi(totals), Utf8ToAnsi(u8"완료 0 / 1, 남은 시간 0:32"));
  EXPECT_TRUE(IsWindowEnabled(Main().StopButton()));
  Command(kIdStopButton);
  EXPECT_TRUE(NativeFileSystem().Exists(StopRequestPath(record)));
  dialogs.choice = static_cast<int>(CloseAnswer::kStay);
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(Main().Handle()));
  EXPECT_EQ(dialogs.Last(), CloseWhileRunningQuestion());
  say(Job(JobState::kFailed, -1, -1, -1, "[aac] No space left on device"));
  EXPECT_EQ(ItemText(0, 5), Utf8ToAnsi(u8"실패: 디스크 공간이 부족합니다"));
  // The row's tip: the mouse over it, then the tip asks the window for its text.
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(Main().ListView(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  SendMessageW(Main().ListView(), WM_MOUSEMOVE, 0, MAKELPARAM(row.left + 30, row.top + 2));
  NMTTDISPINFOW tip{};
  tip.hdr = {Main().ToolTips(), reinterpret_cast<UINT_PTR>(Main().ListView()), TTN_GETDISPINFOW};
  SendMessageW(Main().Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  EXPECT_EQ(WideToAnsi(tip.lpszText ? tip.lpszText : L""), "[aac] No space left on device");
}

TEST_F(GuiTest, TheOptionsDialogShowsItsModelAndPassesOnEveryEvent) {
  CreateWindows();
  EXPECT_EQ(ControlText(Control(C::kDisplay3)), ScreenFitItems()[3]);
  EXPECT_TRUE(Checked(C::kDisplay0));
  EXPECT_EQ(Selected(C::kFontSize), "4");
  Click(C::kColourSubtitle);  // no AviSynth, and the answer is No
  EXPECT_EQ(dialogs.shown, std::vector<Notice>{AviSynthQuestion()});
  EXPECT_FALSE(Checked(C::kColourSubtitle));
  Click(C::kSubtitle);
  EXPECT_FALSE(IsWindowEnabled(Control(C::kFonts)));
  const auto choose = [&](C list, int item) {
    SendMessageW(Control(list), CB_SETCURSEL, item, 0);
    SendMessageW(Options().Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Control(list)), CBN_SELCHANGE), 0);
  };
  choose(C::kQuality, 0);
  EXPECT_EQ(ControlText(Control(C::kQualityText)), QualityDescription(0));
  choose(C::kSubtitleClass, 2);
  choose(C::kAudioLanguage, 2);
  choose(C::kPlatform, 2);
  EXPECT_FALSE(IsWindowEnabled(Control(C::kDisplay2)));  // the phone has no screen fit
  choose(C::kPlatform, 0);
  Click(C::kSubtitleSync);
  EXPECT_EQ(dialogs.Last(), SubtitleSyncNotice());
  Click(C::kDisplay2);
  EXPECT_EQ(ControlText(Control(C::kVideoExts)), kDefaultVideoExtensions);
  SetWindowTextW(Control(C::kVideoExts), L"avi, xyz");
  Click(C::kOk);
  const std::string ini = NativeFileSystem().ReadWholeFile(temp / "MP4.ini").value_or("");
  for (const char* line : {"needsubtitle=0", "qulity=0", "display=2", "subtitlesync=1", "videofileext=avi, xyz",
                           "subtitleclass=ENCC", "audiolanguage=english"})
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
  const char* const fonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  const std::string file = "cvtest.ttf", folder = temp / "plugins";
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, fonts, "Clipvane Test & Other (TrueType)", REG_SZ, file.c_str(),
                  static_cast<DWORD>(file.size() + 1));
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\AviSynth", "plugindir2_5", REG_SZ, folder.c_str(),
                  static_cast<DWORD>(folder.size() + 1));
  NativeFileSystem().MakeFolders(folder);
  temp.WriteFile("plugins\\DirectShowSource.dll", "dll");
  temp.WriteFile("bin\\vsfilter.dll", "plugin");
  avisynth = &NativeAviSynthSystem();
  temp.WriteFile("MP4.ini", "[default]\r\nfontname=CVTEST.TTF,x\r\n");
  CreateWindows();
  EXPECT_EQ(Selected(C::kFonts), "Clipvane Test ");
  Click(C::kColourSubtitle);
  EXPECT_TRUE(dialogs.shown.empty() && Checked(C::kColourSubtitle));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(temp / "plugins\\vsfilter.dll"), "plugin");
  EXPECT_EQ(Selected(C::kFonts), Item(C::kFonts, 0));  // no face named x: the first item, whatever fonts there are
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, fonts, "Clipvane Test & Other (TrueType)");
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\AviSynth");
}

}  // namespace
}  // namespace clipvane::testing
