#pragma once
#include <QByteArray>
#include <QString>
#include <QWidget>

#include <signal.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/gui_services.h"
#include "ui/run_follower.h"

namespace clipvane {

// Text of the core (the ANSI code page, which is UTF-8 on Linux) in a Qt control, and
// back; paths keep the bytes the file system gave them.
QString ToQt(const std::string& ansi);
std::string PathFromQt(const QString& path);

// The local files of a drop's URI list with the bytes of their names, which need not
// be UTF-8 (a name unpacked from a Korean archive is code page 949); Qt's own URLs
// would replace such bytes.
std::vector<std::string> PathsFromUriList(const QByteArray& uri_list);

// Calls `close`, which closes the window so that it saves what it holds, and ends the
// event loop, when the session ends under the program: SIGTERM (a stop) or SIGHUP (a
// logout). One at a time; the earlier handlers come back when it goes.
class CloseOnSessionEnd {
 public:
  explicit CloseOnSessionEnd(std::function<void()> close);
  ~CloseOnSessionEnd();
  CloseOnSessionEnd(const CloseOnSessionEnd&) = delete;
  CloseOnSessionEnd& operator=(const CloseOnSessionEnd&) = delete;

 private:
  std::unique_ptr<QObject> notifier_;
  int ends_[2] = {-1, -1};
  struct sigaction previous_[2];
};

// Opens folders, videos and the web page with the desktop's own programs.
DocumentOpener& DesktopOpener();
// Message boxes over the window in front.
Dialogs& MessageBoxes();
// Qt's dialogs that pick files and a folder to add, over the window in front.
ItemPicker& FileDialogs();
// The desktop's notifications (org.freedesktop.Notifications on the session bus);
// nothing when there is none.
DesktopNotifier& DesktopNotifications();

// The colour route on Linux: no AviSynth and no installer; the stand-in encoder in bin
// reads the AviSynth script and draws its SSA file itself.
std::unique_ptr<AviSynthSystem> StandInSubtitleDrawing();

// The installed fonts from fontconfig: every family for the colour route, and for the
// plain route each face by name with its file, named from `fonts_dir` (with its
// trailing separator) as the job scripts name it.
std::unique_ptr<InstalledFonts> FontconfigFonts(const std::string& fonts_dir);

}  // namespace clipvane
