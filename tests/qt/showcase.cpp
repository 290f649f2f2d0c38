// Puts the Linux windows on the screen and photographs them: the main window in the
// middle of a run, with its context menu open, or with the options dialog over it.
// Usage: clipvane_qt_showcase main|menu|options PICTURE.png
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include "qt/qt_fixture.h"

int main(int argc, char** argv) {
  using namespace clipvane;
  using namespace clipvane::testing;
  QApplication application(argc, argv);
  if (argc != 3) return 2;
  const std::string state = argv[1];
  const QString picture = argv[2];
  UseDesktopFontWithKorean();
  Windows w;
  std::vector<std::string> paths;
  for (const char* name : {u8"부산 2009.mpg", u8"휴가 영상.avi", u8"Holiday.avi", u8"서울의 밤.wmv"})
    paths.push_back(w.Video(name));
  w.temp.WriteFile("videos/Holiday.smi", "<SAMI>");
  w.Create(0, "", paths);

  // A run of the four, met in the middle: the first failed, the second is written,
  // the third runs, the fourth waits; as their status files say.
  for (const std::string& path : paths) w.Say(path, JobState::kWaiting);
  w.Main().FollowRuns();
  w.Say(paths[0], JobState::kFailed, -1, -1, -1, "mp4creator: cannot open " + w.temp / "temp/qv1A2B.m4v");
  w.temp.WriteFile(u8"incoming/휴가 영상.mp4", "mp4");
  w.Say(paths[1], JobState::kWritten);
  w.Say(paths[2], JobState::kRunning, 45, 61.2, 9);
  w.Main().FollowRuns();
  w.windows->MainModel().Run(MenuCommand::kRefresh);  // the status bar tells the last probe
  w.Select({1, 2});
  w.Main().move(16, 16);
  w.Main().show();

  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  if (state == "menu") {
    QTimer::singleShot(200, [&] {
      const QRect row = w.Main().List()->visualRect(w.Main().List()->model()->index(2, 1));
      w.Main().PopupMenu()->popup(w.Main().List()->viewport()->mapToGlobal(row.center()));
      w.Main().PopupMenu()->setActiveAction(w.Main().Action(MenuCommand::kEncodeAllMenu));
      QApplication::sendEvent(w.Main().PopupMenu(), &right);  // the whole-list submenu, with the power actions first
    });
    QTimer::singleShot(400,
                       [&] { QApplication::sendEvent(w.Main().Action(MenuCommand::kEncodeAllMenu)->menu(), &right); });
  } else if (state == "options") {
    w.windows->Options().show();
  }
  QTimer::singleShot(900, [&] {
    QRect area = w.Main().frameGeometry();
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible()) area |= window->frameGeometry();
    area.adjust(-8, -8, 8, 8);
    QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(picture);
    QApplication::exit();  // quit() would ask the window, which holds running jobs, to close
  });
  return QApplication::exec();
}
