#pragma once
#include <QButtonGroup>
#include <QDialog>

#include <map>
#include <string>
#include <vector>

#include "ui/options_dialog_model.h"

class QComboBox;

namespace clipvane {

// fmOptions on the Linux desktop: every control of the dialog, laid out to follow the
// desktop's fonts, showing what its model says and passing every event to it. The
// subtitle check box heads the group of the controls it enables.
class OptionsDialogQt final : public QDialog {
 public:
  OptionsDialogQt(OptionsDialogModel& model, QWidget* parent);

  // Loads the settings and shows the dialog until OK, or Cancel (its button, Escape),
  // ends it.
  void ShowModal();

  QWidget* Control(OptionsControl control) const { return controls_.at(control); }

  // Cancel, Escape: closes without saving.
  void reject() override;

 private:
  template <typename Widget>
  Widget* Add(OptionsControl control, Widget* widget);
  void Render();
  void Fill(QComboBox* combo, const std::vector<std::string>& items, int selection);

  OptionsDialogModel& model_;
  std::map<OptionsControl, QWidget*> controls_;
  std::map<QComboBox*, std::vector<std::string>> shown_items_;
  QButtonGroup display_;
};

}  // namespace clipvane
