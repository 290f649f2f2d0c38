#pragma once
#include <QString>

#include <memory>
#include <string>

#include "app/gui_services.h"
#include "platform/script_monitor.h"
#include "ui/run_follower.h"

namespace clipvane {

// What the Linux window needs besides the services of every window: the running
// scripts it follows and the desktop it tells when a run is over.
struct FollowServices {
  ScriptMonitor& monitor;
  DesktopNotifier& notifier;
};

// Text of the core (the ANSI code page, which is UTF-8 on Linux) in a Qt control, and
// back; paths keep the bytes the file system gave them.
QString ToQt(const std::string& ansi);
std::string PathFromQt(const QString& path);

// Opens folders, videos and the web page with the desktop's own programs.
DocumentOpener& DesktopOpener();
// Message boxes over the window in front.
Dialogs& MessageBoxes();
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
