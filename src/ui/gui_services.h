#pragma once
#include "session/session.h"
#include "settings/avisynth_readiness.h"
#include "ui/main_window_model.h"
#include "ui/notices.h"
#include "ui/run_follower.h"
#include "ui/subtitle_font_lists.h"

namespace clipvane {

// The services the windows use: built once by the program's main with the native
// ones, or by a test with its own.
struct GuiServices {
  CoreServices core;
  DocumentOpener& opener;
  Dialogs& dialogs;
  AviSynthSystem& avisynth;
  InstalledFonts& fonts;
  DesktopNotifier& notifier;  // told when a run has ended
  ItemPicker& picker;         // the dialogs of "파일 추가…" and "폴더 추가…"
};

}  // namespace clipvane
