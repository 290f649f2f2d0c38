// The Linux windows, created in this process on Qt's offscreen platform and driven by
// the events a desktop would send them: each event reaches its model, and each state
// of the model reaches the screen. The rules themselves are tested on the models.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

#include <algorithm>
#include <filesystem>

#include "qt/qt_fixture.h"
#include "ui/job_texts.h"

namespace clipvane::testing {

// Drops these files on the window as a desktop does: the drag enters, then the drop.
bool DropOn(QWidget& window, const std::string& path) {
  QMimeData dropped;
  dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
  return enter.isAccepted();
}

class QtWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void ADroppedVideoIsStartedFollowedAndStopped() {
    Windows w;
    w.Create();
    const std::string video = w.Video("a.avi");
    QVERIFY(DropOn(w.Main(), w.temp / "videos"));
    QCOMPARE(w.Cell(0, 1), QString("a"));
    w.Select({0});
    QTest::mouseClick(w.Main().StartButton(), Qt::LeftButton);
    QCOMPARE(w.shell.opened, std::vector<std::string>{w.temp / "batch/a.sh"});
    QCOMPARE(w.Cell(0, 4), QString(u8"대기"));
    // What the job's tools report reaches the row and the status bar at the timer's next look.
    w.Say(video, JobState::kRunning, 45, 120, 32);
    QTRY_COMPARE(w.Cell(0, 4), QString(u8"45% 120fps 0:32 남음"));
    QCOMPARE(w.Main().RunTotals()->text(), QString(u8"완료 0 / 1, 남은 시간 0:32"));
    w.Main().show();
    w.dialogs.choice = static_cast<int>(CloseAnswer::kStay);
    QVERIFY(!w.Main().close() && w.Main().isVisible());  // the close question, and staying
    QTest::mouseClick(w.Main().StopButton(), Qt::LeftButton);
    QVERIFY(w.files.Exists(StopRequestPath(JobRecordPath(video, w.workspace))));
    w.Say(video, JobState::kStopped);
    w.Main().FollowRuns();
    QCOMPARE(w.Cell(0, 0) + "|" + w.Cell(0, 5), QString(u8"|중지됨"));
    QVERIFY(!w.Main().StopButton()->isEnabled());
    // (That the session's end closes the window, which saves the list: the installed
    // program's test, tests/install.)
  }

  void TheSelectionAndTheAddButtonsReachTheModelAndTheMenuFollowsIt() {
    Windows w;
    w.Create(10);
    w.Main().show();
    QVERIFY(QTest::qWaitForWindowActive(&w.Main()));
    QCOMPARE(w.Start(), QString(u8"off 시작"));
    // The add buttons open the desktop's dialogs, the folder's shortcut from anywhere in
    // the window; what they picked is added with what lies below a folder.
    const std::string a = w.Video("a.avi");
    w.picker.files.paths = {a};
    QTest::mouseClick(w.Main().AddFilesButton(), Qt::LeftButton);
    w.files.MakeFolders(w.temp / "more/sub");
    w.picker.folder.paths = {w.temp / "more"};
    w.library.reports[w.temp.WriteFile("more/sub/b.avi", "video")] = w.library.reports[a];
    QTest::keyClick(w.Main().OutputFolderButton(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w.Cell(10, 1) + w.Cell(11, 1), QString("ab"));
    QCOMPARE(w.Main().Status()->text(), QString(u8"동영상 1개를 추가했습니다."));
    QCOMPARE(w.Main().AddFolderButton()->text(), QString(u8"폴더 추가…"));
    w.Select({1, 4, 7});
    QCOMPARE(w.Start(), QString(u8"on 시작 (3)"));
    w.Main().List()->setFocus();
    QTest::keyClick(w.Main().List(), Qt::Key_A, Qt::ControlModifier);  // a shortcut of the list
    QCOMPARE(w.Start(), QString(u8"on 시작 (12)"));
    for (const QKeyCombination key : {Qt::SHIFT | Qt::Key_F10, QKeyCombination(Qt::Key_Menu)}) {
      QTest::keyClick(w.Main().List(), key.key(), key.keyboardModifiers());  // the keyboard opens the menu
      QVERIFY(w.Main().PopupMenu()->isVisible());
      w.Main().PopupMenu()->close();
    }
    QVERIFY(!w.Main().Action(MenuCommand::kEncodeSelection)->isEnabled());  // opening applied the enabling rules
    w.Main().Action(MenuCommand::kShutdownAfterwards)->trigger();
    QVERIFY(w.Main().Action(MenuCommand::kShutdownAfterwards)->isChecked());
    w.Main().Action(MenuCommand::kEncodeAllFourQueues)->trigger();
    QCOMPARE(w.Main().Status()->text(), QString("created b.sh"));
    QTest::mouseClick(w.Main().OutputFolderButton(), Qt::LeftButton);
    QCOMPARE(w.opener.opened, std::vector<std::string>{w.temp / "incoming"});
    QCOMPARE(w.Main().OutputFolderButton()->toolTip().toStdString(), w.windows->MainModel().OutputFolderHint());
  }

  void TheOptionsDialogPassesOnItsEventsAndKeepsARefusedSettingOpen() {
    Windows w;
    w.Create(0, "display=3\r\nplatform=1\r\n");
    OptionsDialogQt& options = w.windows->Options();
    options.show();
    QVERIFY(w.Control<QRadioButton>(OptionsControl::kDisplay3)->isChecked());
    QTest::mouseClick(w.Control<QPushButton>(OptionsControl::kOk), Qt::LeftButton);
    QVERIFY(options.isVisible());  // refused
    emit w.Control<QComboBox>(OptionsControl::kFontSize)->activated(6);
    QTest::mouseClick(w.Control<QPushButton>(OptionsControl::kCancel), Qt::LeftButton);
    QVERIFY(!options.isVisible() && w.program->settings.plainsizeindex == 2);  // the size picked is not kept
    options.show();
    w.Control<QCheckBox>(OptionsControl::kSubtitleSync)->click();
    QCOMPARE(w.dialogs.Last(), SubtitleSyncNotice());
    QTest::mouseClick(w.Control<QGroupBox>(OptionsControl::kSubtitle), Qt::LeftButton, {}, QPoint(12, 6));  // its box
    QVERIFY(!w.Control<QComboBox>(OptionsControl::kFonts)->isEnabled());
    emit w.Control<QComboBox>(OptionsControl::kPlatform)->activated(2);  // the phone has no screen fit
    QVERIFY(!w.Control<QGroupBox>(OptionsControl::kDisplayGroup)->isEnabled());
    emit w.Control<QComboBox>(OptionsControl::kPlatform)->activated(0);
    emit w.Control<QComboBox>(OptionsControl::kSubtitleClass)->activated(2);
    emit w.Control<QComboBox>(OptionsControl::kAudioLanguage)->activated(2);
    w.Control<QRadioButton>(OptionsControl::kDisplay2)->click();
    auto* extensions = w.Control<QLineEdit>(OptionsControl::kVideoExts);
    extensions->selectAll();
    QTest::keyClicks(extensions, "avi,xyz");
    QTest::mouseClick(w.Control<QPushButton>(OptionsControl::kOk), Qt::LeftButton);
    QVERIFY(!options.isVisible());
    std::string saved;
    for (const char* key : {"display", "needsubtitle", "videofileext", "subtitleclass", "audiolanguage"})
      saved += w.program->ini->ReadString("default", key, "") + ";";
    QCOMPARE(saved, std::string("2;0;avi,xyz;ENCC;english;"));
  }

  // The files named on the command line are listed as the window opens, relative ones too.
  void TheFilesOnTheCommandLineAreListedWhenTheWindowOpens() {
    Windows w;
    const std::string a = w.Video("a.avi"), b = w.Video("b.avi");
    w.temp.WriteFile("MP4.ini", "[default]\r\n");
    w.program = std::make_unique<Program>(StartProgram(w.workspace, OpenIniProfile(w.workspace.SettingsFile()), ""));
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);  // closes the window, which saves the list
    const std::vector<std::string> arguments{std::filesystem::relative(b).string(), "", a};
    QCOMPARE(RunQtWindows(*w.program, w.services, ItemsFromArguments(arguments)), 0);
    QCOMPARE(w.files.ReadWholeFile(w.workspace.ListFile()), std::optional<std::string>(b + "\r\n" + a + "\r\n"));
  }

  // The colour route needs no AviSynth on Linux once the stand-in is in bin, and the
  // plain route's fonts are named from the fonts folder, as the job scripts name them.
  void TheLinuxServicesMakeTheColourRouteReadyAndListTheInstalledFonts() {
    Windows w;
    std::string plugin_dir;
    const auto drawing = StandInSubtitleDrawing();
    QVERIFY(!MakeAviSynthReady(*drawing, w.workspace, plugin_dir, [] { return true; }));  // no stand-in yet
    w.files.MakeFolders(w.workspace.Bin());
    w.temp.WriteFile("bin/mencoder", "");
    QVERIFY(MakeAviSynthReady(*drawing, w.workspace, plugin_dir, [] { return false; }));
    const auto fonts = FontconfigFonts("/usr/share/fonts/");
    const std::vector<FontRegistryValue> values = fonts->RegistryValues();
    QVERIFY(std::any_of(values.begin(), values.end(), [](const FontRegistryValue& value) {
      return value.name == "NanumGothic" && value.data == "truetype/nanum/NanumGothic.ttf";
    }));
    const std::vector<std::string> families = fonts->Families();
    QVERIFY(std::find(families.begin(), families.end(), u8"나눔고딕") != families.end());
    // Which of them hold Hangul, by fontconfig's languages.
    const std::vector<std::string> hangul = fonts->HangulNames();
    for (const char* name : {u8"나눔고딕", "NanumGothic", "NanumGothic Bold"})
      QVERIFY2(std::find(hangul.begin(), hangul.end(), name) != hangul.end(), name);
    QVERIFY(std::none_of(hangul.begin(), hangul.end(),
                         [](const std::string& name) { return name.rfind("DejaVu", 0) == 0; }));
  }
};

}  // namespace clipvane::testing

QTEST_MAIN(clipvane::testing::QtWindowsTest)
#include "qt_test.moc"
