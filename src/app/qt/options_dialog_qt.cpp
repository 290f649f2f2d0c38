#include "app/qt/options_dialog_qt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/qt/gui_services_qt.h"

namespace clipvane {
namespace {

using C = OptionsControl;

const OptionsControl kDisplayItems[] = {C::kDisplay0, C::kDisplay1, C::kDisplay2, C::kDisplay3};
const OptionsControl kSubtitleControls[] = {C::kSizeLabel,      C::kFontSize,           C::kFontLabel,    C::kFonts,
                                            C::kColourSubtitle, C::kSubtitleClassLabel, C::kSubtitleClass};
const OptionsControl kScreenFitControls[] = {C::kDisplayGroup, C::kNoResize};

QString Caption(OptionsControl control) { return ToQt(OptionsControlCaption(control)); }

}  // namespace

template <typename Widget>
Widget* OptionsDialogQt::Add(OptionsControl control, Widget* widget) {
  controls_[control] = widget;
  widget->setToolTip(ToQt(OptionsToolTip(control)));
  return widget;
}

OptionsDialogQt::OptionsDialogQt(OptionsDialogModel& model, QWidget* parent) : QDialog(parent), model_(model) {
  // No close box: OK and Cancel are the ways out.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle(ToQt(OptionsCaption()));
  auto* layout = new QVBoxLayout(this);

  auto* display_group = Add(C::kDisplayGroup, new QGroupBox(Caption(C::kDisplayGroup)));
  auto* display_column = new QVBoxLayout(display_group);
  const std::vector<std::string> fits = ScreenFitItems();
  for (int i = 0; i < 4; ++i) {
    auto* item = Add(kDisplayItems[i], new QRadioButton(ToQt(fits[static_cast<std::size_t>(i)])));
    display_.addButton(item, i);
    display_column->addWidget(item);
  }
  connect(&display_, &QButtonGroup::idClicked, this, [this](int index) {
    model_.DisplayChosen(index);
    Render();
  });
  layout->addWidget(display_group);

  const auto add_check = [this](OptionsControl control, QLayout* where, void (OptionsDialogModel::*on_click)(bool)) {
    auto* box = Add(control, new QCheckBox(Caption(control)));
    connect(box, &QCheckBox::clicked, this, [this, on_click](bool checked) {
      (model_.*on_click)(checked);
      Render();
    });
    where->addWidget(box);
  };
  const auto add_combo = [this](OptionsControl control, QLayout* where, const std::vector<std::string>& items,
                                void (OptionsDialogModel::*on_choice)(int)) {
    auto* combo = Add(control, new QComboBox);
    Fill(combo, items, -1);
    connect(combo, &QComboBox::activated, this, [this, on_choice](int index) {
      (model_.*on_choice)(index);
      Render();
    });
    where->addWidget(combo);
    return combo;
  };

  add_check(C::kNoResize, layout, &OptionsDialogModel::NoResizeClicked);
  auto* sync_group = Add(C::kSyncGroup, new QGroupBox(Caption(C::kSyncGroup)));
  auto* sync_column = new QVBoxLayout(sync_group);
  add_check(C::kSubtitleSync, sync_column, &OptionsDialogModel::SubtitleSyncClicked);
  add_check(C::kAudioSync, sync_column, &OptionsDialogModel::AudioSyncClicked);
  layout->addWidget(sync_group);

  auto* quality_group = Add(C::kQualityGroup, new QGroupBox(Caption(C::kQualityGroup)));
  auto* quality_row = new QHBoxLayout(quality_group);
  add_combo(C::kQuality, quality_row, QualityItems(), &OptionsDialogModel::QualityChosen);
  auto* quality_text = Add(C::kQualityText, new QLabel);
  quality_text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  quality_row->addWidget(quality_text, 1);
  layout->addWidget(quality_group);

  // cbSubtitle and pnSubtitle are one checkable group here.
  auto* subtitle_group = Add(C::kSubtitle, new QGroupBox(Caption(C::kSubtitle)));
  controls_[C::kSubtitlePanel] = subtitle_group;
  subtitle_group->setCheckable(true);
  connect(subtitle_group, &QGroupBox::clicked, this, [this](bool checked) {
    model_.SubtitleClicked(checked);
    Render();
  });
  auto* subtitle_row = new QHBoxLayout(subtitle_group);
  subtitle_row->addWidget(Add(C::kSizeLabel, new QLabel(Caption(C::kSizeLabel))));
  // As wide as its longest size, never narrower: the colour route's two digits follow
  // the plain route's one in a row that the font list fills.
  auto* sizes = add_combo(C::kFontSize, subtitle_row, {}, &OptionsDialogModel::SizeChosen);
  sizes->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  sizes->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  subtitle_row->addWidget(Add(C::kFontLabel, new QLabel(Caption(C::kFontLabel))));
  auto* fonts = add_combo(C::kFonts, subtitle_row, {}, &OptionsDialogModel::FontChosen);
  fonts->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  fonts->setMinimumContentsLength(16);
  subtitle_row->addStretch(1);
  add_check(C::kColourSubtitle, subtitle_row, &OptionsDialogModel::ColourSubtitleClicked);
  layout->addWidget(subtitle_group);

  auto* rule = Add(C::kRule, new QFrame);
  rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  layout->addWidget(rule);
  auto* platform_row = new QHBoxLayout;
  platform_row->addWidget(Add(C::kPlatformLabel, new QLabel(Caption(C::kPlatformLabel))));
  add_combo(C::kPlatform, platform_row, PlatformItems(), &OptionsDialogModel::PlatformChosen);
  platform_row->addStretch(1);
  layout->addLayout(platform_row);
  auto* extensions_row = new QHBoxLayout;
  extensions_row->addWidget(Add(C::kVideoExtsLabel, new QLabel(Caption(C::kVideoExtsLabel))));
  auto* extensions = Add(C::kVideoExts, new QLineEdit);
  connect(extensions, &QLineEdit::textEdited, this,
          [this](const QString& text) { model_.VideoExtensionsEdited(text.toUtf8().toStdString()); });
  extensions_row->addWidget(extensions, 1);
  layout->addLayout(extensions_row);
  auto* language_row = new QHBoxLayout;
  language_row->addWidget(Add(C::kSubtitleClassLabel, new QLabel(Caption(C::kSubtitleClassLabel))));
  add_combo(C::kSubtitleClass, language_row, {}, &OptionsDialogModel::SubtitleClassChosen);
  language_row->addStretch(1);
  layout->addLayout(language_row);
  // The sound's language on the same row, on its right.
  language_row->addWidget(Add(C::kAudioLanguageLabel, new QLabel(Caption(C::kAudioLanguageLabel))));
  add_combo(C::kAudioLanguage, language_row, {}, &OptionsDialogModel::AudioLanguageChosen);
  auto* output_row = new QHBoxLayout;
  output_row->addWidget(Add(C::kOutputFolderLabel, new QLabel(Caption(C::kOutputFolderLabel))));
  auto* output = Add(C::kOutputFolder, new QLineEdit);
  output->setPlaceholderText(QStringLiteral("incoming"));
  connect(output, &QLineEdit::textEdited, this,
          [this](const QString& text) { model_.OutputFolderEdited(text.toUtf8().toStdString()); });
  output_row->addWidget(output, 1);
  auto* browse = Add(C::kOutputFolderBrowse, new QPushButton(Caption(C::kOutputFolderBrowse)));
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString picked = QFileDialog::getExistingDirectory(
        this, Caption(C::kOutputFolderLabel), static_cast<QLineEdit*>(Control(C::kOutputFolder))->text());
    model_.BrowseOutputFolderClicked(picked.isEmpty() ? std::nullopt
                                                      : std::optional<std::string>(picked.toUtf8().toStdString()));
    Render();
  });
  output_row->addWidget(browse);
  layout->addLayout(output_row);
  add_check(C::kKeepSubfolders, layout, &OptionsDialogModel::KeepSubfoldersClicked);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = Add(C::kOk, new QPushButton(Caption(C::kOk)));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] {
    const bool close = model_.OkClicked();
    Render();
    if (close) accept();
  });
  buttons->addWidget(ok);
  auto* cancel = Add(C::kCancel, new QPushButton(Caption(C::kCancel)));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(cancel);
  buttons->addStretch(1);
  layout->addLayout(buttons);

  model_.Load();
  Render();
}

void OptionsDialogQt::ShowModal() {
  model_.Load();
  Render();
  exec();
}

void OptionsDialogQt::reject() {
  model_.CancelClicked();
  QDialog::reject();
}

void OptionsDialogQt::Fill(QComboBox* combo, const std::vector<std::string>& items, int selection) {
  // Refilled only when the items changed: a long font list is costly to redo.
  std::vector<std::string>& shown = shown_items_[combo];
  if (shown != items || combo->count() != static_cast<int>(items.size())) {
    combo->clear();
    for (const std::string& item : items) combo->addItem(ToQt(item));
    shown = items;
  }
  combo->setCurrentIndex(selection);
}

void OptionsDialogQt::Render() {
  const OptionsControls& shown = model_.Controls();
  // -1 shows no screen fit chosen, which an exclusive group would not allow.
  display_.setExclusive(false);
  for (int i = 0; i < 4; ++i) static_cast<QRadioButton*>(Control(kDisplayItems[i]))->setChecked(shown.display == i);
  display_.setExclusive(true);
  const auto combo = [this](OptionsControl control) { return static_cast<QComboBox*>(Control(control)); };
  const auto check = [this](OptionsControl control, bool checked) {
    static_cast<QCheckBox*>(Control(control))->setChecked(checked);
  };
  Fill(combo(C::kQuality), QualityItems(), shown.qulity);
  static_cast<QLabel*>(Control(C::kQualityText))->setText(ToQt(model_.QualityText()));
  Fill(combo(C::kPlatform), PlatformItems(), shown.platform);
  check(C::kNoResize, shown.noresizefor43scale);
  check(C::kSubtitleSync, shown.subtitlesync);
  check(C::kAudioSync, shown.audiosync);
  check(C::kColourSubtitle, shown.colorsubtitle);
  static_cast<QGroupBox*>(Control(C::kSubtitle))->setChecked(shown.needsubtitle);
  auto* extensions = static_cast<QLineEdit*>(Control(C::kVideoExts));
  // Set only when it differs, so that typing keeps its cursor; a list set anew shows its start.
  if (extensions->text() != ToQt(shown.videofileext)) {
    extensions->setText(ToQt(shown.videofileext));
    extensions->setCursorPosition(0);
  }
  auto* output = static_cast<QLineEdit*>(Control(C::kOutputFolder));
  if (output->text() != ToQt(shown.outputfolder)) output->setText(ToQt(shown.outputfolder));
  check(C::kKeepSubfolders, shown.keepsubfolders);
  Fill(combo(C::kAudioLanguage), model_.AudioLanguageItems(), model_.AudioLanguageIndex());
  const SubtitleListsView& lists = model_.SubtitleLists();
  Fill(combo(C::kFontSize), lists.sizes, lists.size_index);
  Fill(combo(C::kFonts), lists.fonts, lists.font_index);
  Fill(combo(C::kSubtitleClass), model_.SubtitleClassItems(), model_.SubtitleClassIndex());
  for (OptionsControl control : kSubtitleControls) Control(control)->setEnabled(model_.SubtitleControlsEnabled());
  for (OptionsControl control : kScreenFitControls) Control(control)->setEnabled(model_.ScreenFitEnabled());
}

}  // namespace clipvane
