#include "app/qt/gui_services_qt.h"

#include <fontconfig/fontconfig.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QUrl>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include <filesystem>
#include <set>

namespace clipvane {
namespace {

class DesktopServicesOpener final : public DocumentOpener {
 public:
  // Qt says only whether it found a program to hand the target to.
  std::optional<NotOpened> Open(const std::string& target) override {
    const bool address = target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0;
    if (QDesktopServices::openUrl(
            address ? QUrl(QString::fromStdString(target))
                    : QUrl::fromLocalFile(QFileInfo(QFile::decodeName(target.c_str())).absoluteFilePath())))
      return std::nullopt;
    return NotOpened{};
  }
};

// The window a dialog was over has the keyboard again once it closes, so that Esc
// reaches it while what was picked is added.
class QtFileDialogs final : public ItemPicker {
 public:
  PickedItems PickFiles(const FilesDialogTexts& texts) override {
    QStringList patterns;
    for (const std::string& extension : texts.extensions) patterns << "*." + ToQt(extension);
    const QString filters = ToQt(texts.videos) + " (" + patterns.join(' ') + ");;" + ToQt(texts.all_files) + " (*)";
    QWidget* over = QApplication::activeWindow();
    PickedItems picked;
    for (const QString& path : QFileDialog::getOpenFileNames(over, ToQt(texts.title), QString(), filters))
      picked.paths.push_back(PathFromQt(path));
    if (over) over->activateWindow();
    return picked;
  }
  PickedItems PickFolder(const std::string& title) override {
    QWidget* over = QApplication::activeWindow();
    const QString folder = QFileDialog::getExistingDirectory(over, ToQt(title));
    PickedItems picked;
    if (!folder.isEmpty()) picked.paths.push_back(PathFromQt(folder));
    if (over) over->activateWindow();
    return picked;
  }
};

class QtMessageBoxes final : public Dialogs {
 public:
  void Tell(const Notice& notice) override { Show(notice); }
  bool Ask(const Notice& notice) override { return Show(notice) == QMessageBox::Yes; }
  int Choose(const Notice& notice, const std::vector<std::string>& buttons) override {
    QMessageBox box(QMessageBox::Question, ToQt(notice.caption), Text(notice), QMessageBox::NoButton,
                    QApplication::activeWindow());
    std::vector<QAbstractButton*> added;
    for (const std::string& caption : buttons) added.push_back(box.addButton(ToQt(caption), QMessageBox::AcceptRole));
    // Escape or the title bar's close button is the last answer, the one that changes nothing.
    if (!added.empty()) box.setEscapeButton(added.back());
    box.exec();
    const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
    return chosen == added.end() ? -1 : static_cast<int>(chosen - added.begin());
  }

 private:
  // The product's boxes break their lines with carriage returns alone.
  static QString Text(const Notice& notice) {
    QString text = ToQt(notice.text);
    return text.replace("\r\n", "\n").replace('\r', '\n');
  }
  static int Show(const Notice& notice) {
    static const QMessageBox::Icon kIcons[] = {QMessageBox::NoIcon, QMessageBox::Warning, QMessageBox::Critical};
    QMessageBox box(kIcons[static_cast<int>(notice.icon)], ToQt(notice.caption), Text(notice),
                    notice.question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    return box.exec();
  }
};

class FreedesktopNotifier final : public DesktopNotifier {
 public:
  void Notify(const std::string& title, const std::string& body) override {
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "Notify");
    call << QString("Clipvane") << 0u << QString("clipvane") << ToQt(title) << ToQt(body) << QStringList()
         << QVariantMap() << -1;
    // Sent without waiting for an answer: a desktop without a notification service
    // must not hold up the window.
    QDBusConnection::sessionBus().send(call);
  }
};

// Linux has no AviSynth; the encoder stand-in draws the SSA file itself.
class StandInAviSynth final : public AviSynthSystem {
 public:
  std::string RegisteredPluginDir() override { return {}; }
  bool FileExists(const std::string& path) override { return IsFile(path); }
  bool FolderExists(const std::string& path) override {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
  }
  void CopyFileIfAbsent(const std::string& from, const std::string& to) override {
    if (FileExists(to)) return;
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::skip_existing, error);
  }
  int RunAndWait(const std::string&) override { return -1; }
  bool EncoderDrawsSsa(const std::string& bin) override { return IsFile(bin + "mencoder"); }

 private:
  static bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
  }
};

// The fonts fontconfig lists that match `filter` (":lang=ko", or every font for ""),
// with the properties asked for.
template <typename Take>
void ForEachFont(const char* filter, std::initializer_list<const char*> properties, Take take) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(filter));
  if (!pattern) return;
  FcObjectSet* wanted = FcObjectSetCreate();
  for (const char* property : properties) FcObjectSetAdd(wanted, property);
  if (FcFontSet* fonts = FcFontList(nullptr, pattern, wanted)) {
    for (int i = 0; i < fonts->nfont; ++i) take(fonts->fonts[i]);
    FcFontSetDestroy(fonts);
  }
  FcObjectSetDestroy(wanted);
  FcPatternDestroy(pattern);
}

std::string StringOf(FcPattern* font, const char* property, int index = 0) {
  FcChar8* value = nullptr;
  return FcPatternGetString(font, property, index, &value) == FcResultMatch ? reinterpret_cast<char*>(value) : "";
}

// A face as the plain route names it: the family, and the style unless it is the
// regular one; empty for a bitmap font.
std::string FaceName(FcPattern* font) {
  FcBool outline = FcFalse;
  if (FcPatternGetBool(font, FC_OUTLINE, 0, &outline) != FcResultMatch || !outline) return {};
  const std::string style = StringOf(font, FC_STYLE);
  std::string name = StringOf(font, FC_FAMILY);
  if (!name.empty() && !style.empty() && style != "Regular" && style != "Book" && style != "Normal")
    name += " " + style;
  return name;
}

// Every family name of a font: it may carry its name in several languages, 나눔고딕
// and NanumGothic.
void AddFamilies(FcPattern* font, std::vector<std::string>& families) {
  for (int i = 0; !StringOf(font, FC_FAMILY, i).empty(); ++i) families.push_back(StringOf(font, FC_FAMILY, i));
}

class Fontconfig final : public InstalledFonts {
 public:
  explicit Fontconfig(std::string fonts_dir) : fonts_dir_(std::move(fonts_dir)) {}

  std::vector<std::string> Families() override {
    std::vector<std::string> families;
    ForEachFont("", {FC_FAMILY}, [&](FcPattern* font) { AddFamilies(font, families); });
    return families;
  }

  std::vector<FontRegistryValue> RegistryValues() override {
    std::vector<FontRegistryValue> values;
    std::set<std::string> named;
    ForEachFont("", {FC_FAMILY, FC_STYLE, FC_FILE, FC_OUTLINE}, [&](FcPattern* font) {
      const std::string name = FaceName(font);
      const std::string file = std::filesystem::path(StringOf(font, FC_FILE)).lexically_relative(fonts_dir_).string();
      if (!name.empty() && !file.empty() && named.insert(name).second) values.push_back({name, file});
    });
    return values;
  }

  std::vector<std::string> HangulNames() override {
    std::vector<std::string> names;
    ForEachFont(":lang=ko", {FC_FAMILY, FC_STYLE, FC_OUTLINE}, [&](FcPattern* font) {
      AddFamilies(font, names);
      if (const std::string face = FaceName(font); !face.empty()) names.push_back(face);
    });
    return names;
  }

 private:
  std::string fonts_dir_;
};

}  // namespace

QString ToQt(const std::string& ansi) { return QString::fromUtf8(ansi.data(), static_cast<qsizetype>(ansi.size())); }

std::string PathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::vector<std::string> PathsFromUriList(const QByteArray& uri_list) {
  std::vector<std::string> paths;
  for (QByteArray line : uri_list.split('\n')) {
    line = line.trimmed();
    if (!line.startsWith("file://")) continue;  // "#" comments, other schemes
    QByteArray path = line.mid(7);
    path = path.mid(path.indexOf('/'));  // "file://host/path": the host goes
    paths.push_back(QByteArray::fromPercentEncoding(path).toStdString());
  }
  return paths;
}

namespace {

// The writing end the handler tells through: a handler may do no more than write.
std::atomic<int> g_session_end_pipe{-1};

void TellSessionEnd(int) {
  const int saved = errno;
  const char byte = 1;
  if (::write(g_session_end_pipe.load(), &byte, 1) < 0) {
  }
  errno = saved;
}

}  // namespace

CloseOnSessionEnd::CloseOnSessionEnd(std::function<void()> close) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends_) != 0) return;
  g_session_end_pipe = ends_[1];
  auto notifier = std::make_unique<QSocketNotifier>(ends_[0], QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, [this, close] {
    char byte = 0;
    while (::read(ends_[0], &byte, 1) > 0) {
    }
    close();
    QCoreApplication::quit();
  });
  notifier_ = std::move(notifier);
  struct sigaction action {};
  action.sa_handler = TellSessionEnd;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, &previous_[0]);
  ::sigaction(SIGHUP, &action, &previous_[1]);
}

CloseOnSessionEnd::~CloseOnSessionEnd() {
  if (!notifier_) return;
  ::sigaction(SIGTERM, &previous_[0], nullptr);
  ::sigaction(SIGHUP, &previous_[1], nullptr);
  g_session_end_pipe = -1;
  notifier_.reset();
  for (int end : ends_) ::close(end);
}

DocumentOpener& DesktopOpener() {
  static DesktopServicesOpener opener;
  return opener;
}

ItemPicker& FileDialogs() {
  static QtFileDialogs dialogs;
  return dialogs;
}

Dialogs& MessageBoxes() {
  static QtMessageBoxes boxes;
  return boxes;
}

DesktopNotifier& DesktopNotifications() {
  static FreedesktopNotifier notifier;
  return notifier;
}

std::unique_ptr<AviSynthSystem> StandInSubtitleDrawing() { return std::make_unique<StandInAviSynth>(); }

std::unique_ptr<InstalledFonts> FontconfigFonts(const std::string& fonts_dir) {
  return std::make_unique<Fontconfig>(fonts_dir);
}

}  // namespace clipvane
