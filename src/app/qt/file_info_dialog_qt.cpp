#include "app/qt/file_info_dialog_qt.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/gui_services_qt.h"
#include "ui/window_texts.h"

namespace clipvane {

FileInfoDialogQt::FileInfoDialogQt(QWidget* parent) : QDialog(parent) {
  setWindowTitle(ToQt(FileInfoCaption()));
  auto* layout = new QVBoxLayout(this);
  memo_ = new QPlainTextEdit;
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The report lines its values up in columns.
  memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  memo_->setMinimumSize(545, 329);
  layout->addWidget(memo_, 1);
  ok_button_ = new QPushButton(ToQt(OkCaption()));
  ok_button_->setDefault(true);
  connect(ok_button_, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok_button_, 0, Qt::AlignHCenter);
}

void FileInfoDialogQt::ShowModal(const std::string& report) {
  QString text = ToQt(report);
  text.replace("\r\n", "\n");
  memo_->setPlainText(text);
  ok_button_->setFocus();
  exec();
}

}  // namespace clipvane
