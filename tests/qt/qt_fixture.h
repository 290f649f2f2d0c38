#pragma once
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeView>

#include <memory>
#include <string>

#include "app/qt/main_window_qt.h"
#include "app/qt/options_dialog_qt.h"
#include "jobs/job_plan.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "runs/job_status.h"
#include "support/program_folder.h"

namespace clipvane::testing {

// The program folder of the support, and its windows over recording services.
struct Windows : ProgramFolder {
  // These paths and v0.avi... in list.log, the settings in MP4.ini, and the windows over them.
  void Create(int rows = 0, const std::string& settings = "", std::vector<std::string> paths = {}) {
    for (int i = 0; i < rows; ++i) paths.push_back(Video("v" + std::to_string(i) + ".avi"));
    temp.WriteFile("MP4.ini", "[default]\r\n" + settings);
    StartOver(paths, "/usr/share/fonts");
    windows = std::make_unique<QtProgramWindows>(*program, services);
  }
  // Writes a video's job status as its tools would, from a process that lives.
  void Say(const std::string& video, JobState state, int percent = -1, double fps = -1, int left = -1,
           std::string cause = "") {
    SayJob(files, JobRecordPath(video, workspace), Job(state, percent, fps, left, std::move(cause)));
  }
  MainWindowQt& Main() { return windows->Main(); }
  QString Cell(int row, int column) { return Main().List()->model()->index(row, column).data().toString(); }
  QString Start() { return (Main().StartButton()->isEnabled() ? "on " : "off ") + Main().StartButton()->text(); }
  void Select(std::initializer_list<int> rows) {
    QItemSelection selection;
    for (int row : rows) selection.select(Main().List()->model()->index(row, 0), Main().List()->model()->index(row, 5));
    Main().List()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  }
  template <typename Widget>
  Widget* Control(OptionsControl control) {
    return static_cast<Widget*>(windows->Options().Control(control));
  }

  FakeAviSynth avisynth;
  ListedFonts fonts{{"NanumGothic"}, {{"NanumGothic", "truetype/nanum/NanumGothic.ttf"}}};
  GuiServices services{{files, shell, library}, opener, dialogs, avisynth, fonts, notifier, picker};
  std::unique_ptr<QtProgramWindows> windows;
};

}  // namespace clipvane::testing
