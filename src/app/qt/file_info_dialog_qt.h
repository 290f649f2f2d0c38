#pragma once
#include <QDialog>

#include <string>

class QPlainTextEdit;
class QPushButton;

namespace clipvane {

// Form3 on the Linux desktop: a video's MediaInfo report, read only, and OK.
class FileInfoDialogQt final : public QDialog {
 public:
  explicit FileInfoDialogQt(QWidget* parent);
  void ShowModal(const std::string& report);
  QPlainTextEdit* Memo() const { return memo_; }
  QPushButton* OkButton() const { return ok_button_; }

 private:
  QPlainTextEdit* memo_;
  QPushButton* ok_button_;
};

}  // namespace clipvane
