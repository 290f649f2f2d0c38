#include "cli/cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "app/program.h"
#include "app/session.h"
#include "cli/script_watch.h"
#include "cli/settings_command.h"
#include "common/text.h"
#include "media/list_commands.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/status_line.h"
#include "runs/run_scripts.h"
#include "platform/system_services.h"
#include "settings/settings_store.h"

namespace clipvane {
namespace {

constexpr const char* kUsage =
    "usage: clipvane-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Works on the list, settings and scripts beside the program, as the window does.\n"
    "Rows are numbered from 1 as 'list' shows them.\n"
    "\n"
    "  add FILE...                 add videos to the list\n"
    "  list                        show the list: row, encoded marker, title, subtitle\n"
    "  refresh                     probe new rows, look for finished videos, show the list\n"
    "  info ROW                    show what the probe learned of a video\n"
    "  remove ROW...               take rows off the list (no file is touched)\n"
    "  clear-encoded               take the encoded rows off the list\n"
    "  encode ROW... [--wait]      start up to four videos at once\n"
    "  encode-all [--queues 1|2|4] [--after none|suspend|shutdown] [--wait]\n"
    "                              encode the whole list in one, two or four queues\n"
    "  make-scripts                write every job script and the whole-list script\n"
    "  settings [KEY=VALUE...]     show the settings, or change and save them\n"
    "  --help, --version\n";

// The status bar's texts, one per line. Setting the text the bar already shows
// changes nothing there, so it prints nothing here either.
class ErrStatus : public StatusLine {
 public:
  explicit ErrStatus(std::ostream& err) : err_(err) {}
  void SetStatusText(const std::string& text) override {
    if (text != shown_) err_ << text << "\n";
    shown_ = text;
  }

 private:
  std::ostream& err_;
  std::string shown_;
};

class ErrNotifier : public UserNotifier {
 public:
  explicit ErrNotifier(std::ostream& err) : err_(err) {}
  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon,
                            MessageButtons buttons) override {
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '\r', '\n');
    err_ << caption << ": " << shown << "\n";
    return buttons == MessageButtons::kYesNo ? MessageAnswer::kNo : MessageAnswer::kOk;
  }

 private:
  std::ostream& err_;
};

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[4096];
  if (!::getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

const char* RefusalText(AddOutcome outcome) {
  switch (outcome) {
    case AddOutcome::kNoFolder: return "no folder part";
    case AddOutcome::kAlreadyListed: return "already listed";
    case AddOutcome::kNotAVideo: return "not a video (see videofileext in MP4.ini)";
    case AddOutcome::kPathTooLong: return "path too long";
    case AddOutcome::kAdded: break;
  }
  return "";
}

void PrintRows(const VideoList& list, std::ostream& out) {
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const VideoRow& r = list.Row(row);
    out << row + 1 << "\t" << (r.encodedMarker.empty() ? " " : r.encodedMarker) << "\t" << r.title << "\t"
        << r.subtitle << "\n";
  }
}

// Row numbers as the user gives them (from 1), checked against the list.
std::optional<std::vector<std::size_t>> ParseRows(const std::vector<std::string>& words, std::size_t row_count,
                                                  std::ostream& err) {
  std::vector<std::size_t> rows;
  for (const std::string& word : words) {
    const int number = ParseIntegerOr(word, 0);
    if (number < 1 || static_cast<std::size_t>(number) > row_count) {
      err << "clipvane-cli: no row " << word << " (the list has " << row_count << ")\n";
      return std::nullopt;
    }
    rows.push_back(static_cast<std::size_t>(number - 1));
  }
  if (rows.empty()) {
    err << "clipvane-cli: which rows? (see 'clipvane-cli list')\n";
    return std::nullopt;
  }
  return rows;
}

std::string ProbeDuration(const std::string& path) {
  const std::string command =
      "ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "' 2>/dev/null";
  std::string text;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[128];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    ::pclose(pipe);
  }
  return TrimBlanks(text).empty() ? "-" : TrimBlanks(text) + " s";
}

// Follows the started scripts to their end, then tells what became of every video.
int WaitAndReport(WatchingShell& shell, const std::vector<std::string>& videos, const Workspace& workspace,
                  std::ostream& out, std::ostream& err) {
  const auto start = std::chrono::system_clock::now();
  const bool live = ::isatty(STDERR_FILENO);
  std::map<std::string, int> shown_percent;
  shell.WaitAll([&](const std::string& script, const std::string& line) {
    const int percent = ProgressPercent(line);
    if (percent < 0) return;
    const std::string name = FileNamePart(script, PathStyle::kPosix);
    int& last = shown_percent[name];
    if (live) {
      err << "\r" << name << ": " << TrimBlanks(line) << "\033[K" << std::flush;
    } else if (percent >= last + 10 || (percent == 100 && last != 100)) {
      err << name << ": " << percent << "%\n";
      last = percent;
    }
  });
  if (live) err << "\r\033[K";

  out << "video\tresult\tsize\tduration\telapsed\n";
  int missing = 0;
  std::set<std::string> reported;
  for (const std::string& video : videos) {
    const std::string output = workspace.OutputPath(video);
    if (!reported.insert(output).second) continue;  // two videos of one name share an output
    struct stat st {};
    if (::stat(output.c_str(), &st) != 0 || st.st_size == 0) {
      out << video << "\tmissing\t-\t-\t-\n";
      ++missing;
      continue;
    }
    const auto finished = std::chrono::system_clock::from_time_t(st.st_mtim.tv_sec) +
                          std::chrono::duration_cast<std::chrono::system_clock::duration>(
                              std::chrono::nanoseconds(st.st_mtim.tv_nsec));
    const double elapsed = std::max(0.0, std::chrono::duration<double>(finished - start).count());
    char size[32], seconds[32];
    std::snprintf(size, sizeof size, "%.1f MB", static_cast<double>(st.st_size) / (1024.0 * 1024.0));
    std::snprintf(seconds, sizeof seconds, "%.1f s", elapsed);
    out << video << "\twritten " << output << "\t" << size << "\t" << ProbeDuration(output) << "\t" << seconds
        << "\n";
  }
  return missing == 0 ? 0 : 1;
}

struct Options {
  bool wait = false;
  int queues = 1;
  PowerAction after = PowerAction::kNone;
  std::vector<std::string> words;
};

std::optional<Options> ParseOptions(const std::vector<std::string>& args, bool whole_list, std::ostream& err) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--wait") {
      options.wait = true;
    } else if (whole_list && arg == "--queues" && has_value) {
      const std::string& value = args[++i];
      if (value != "1" && value != "2" && value != "4") {
        err << "clipvane-cli: --queues takes 1, 2 or 4\n";
        return std::nullopt;
      }
      options.queues = value[0] - '0';
    } else if (whole_list && arg == "--after" && has_value) {
      const std::string& value = args[++i];
      if (value == "none") options.after = PowerAction::kNone;
      else if (value == "suspend") options.after = PowerAction::kSuspend;
      else if (value == "shutdown") options.after = PowerAction::kShutdown;
      else {
        err << "clipvane-cli: --after takes none, suspend or shutdown\n";
        return std::nullopt;
      }
    } else if (arg.rfind("--", 0) == 0) {
      err << "clipvane-cli: unknown option " << arg << "\n";
      return std::nullopt;
    } else {
      options.words.push_back(arg);
    }
  }
  if (whole_list && !options.words.empty()) {
    err << "clipvane-cli: encode-all takes no rows\n";
    return std::nullopt;
  }
  return options;
}

int Encode(Session& session, const std::vector<std::string>& args, bool whole_list, std::ostream& out,
           std::ostream& err) {
  const std::optional<Options> options = ParseOptions(args, whole_list, err);
  if (!options) return 2;
  std::vector<std::string> videos;
  WatchingShell watching;
  // With --wait the scripts are started so that their progress can be followed.
  EncodeCommandContext context(session.Jobs(),
                               options->wait ? static_cast<Shell&>(watching) : session.Commands().shell,
                               session.Commands().notifier);
  context.scripted_videos = &videos;
  context.set_status = session.Commands().set_status;
  if (whole_list) {
    session.power = options->after;
    if (!EncodeWholeList(options->queues, session.Rows(), session.power, context)) {
      err << "clipvane-cli: nothing to encode\n";
      return 1;
    }
  } else {
    const auto rows = ParseRows(options->words, session.list.RowCount(), err);
    if (!rows) return 2;
    for (std::size_t row = 0; row < session.list.RowCount(); ++row) session.list.SetSelected(row, false);
    for (std::size_t row : *rows) session.list.SetSelected(row, true);
    if (EncodeSelection(session.Rows(), context) == 0) {
      err << "clipvane-cli: nothing started\n";
      return 1;
    }
  }
  for (const std::string& video : videos) err << "started " << video << "\n";
  if (!options->wait) return 0;
  return WaitAndReport(watching, videos, session.program.workspace, out, err);
}

int Dispatch(const std::string& command, const std::vector<std::string>& args, Program& program,
             ErrNotifier& notifier, ErrStatus& status, std::ostream& out, std::ostream& err) {
  if (command == "settings") return SettingsCommand(args, program, notifier, out, err);

  Session session(program, NativeFileSystem(), NativeShell(), status, notifier);
  // The drawing of coloured subtitles is done by the mencoder stand-in itself here.
  session.avisynth_plugin_dir = program.workspace.Bin() + "/";
  session.OpenWorkspace();
  VideoList& list = session.list;

  if (command == "add") {
    if (args.empty()) {
      err << "clipvane-cli: add which files?\n";
      return 2;
    }
    int refused = 0;
    for (const std::string& file : args) {
      const AddOutcome outcome = list.AddVideo(Absolute(file));
      if (outcome == AddOutcome::kAdded) continue;
      err << "clipvane-cli: not added: " << file << ": " << RefusalText(outcome) << "\n";
      ++refused;
    }
    session.SaveList();
    PrintRows(list, out);
    return refused == 0 ? 0 : 1;
  }
  if (command == "list" || command == "refresh") {
    if (args.size()) {
      err << "clipvane-cli: " << command << " takes no arguments\n";
      return 2;
    }
    if (command == "refresh") RefreshList(list, session.probe);
    PrintRows(list, out);
    return 0;
  }
  if (command == "info") {
    const auto rows = ParseRows(args, list.RowCount(), err);
    if (!rows || rows->size() != 1) return 2;
    const VideoEntry entry = session.probe.ProbeVideo(list, rows->front());
    if (entry.facts.height == 0) {
      err << "clipvane-cli: " << entry.path << ": no picture found\n";
      return 1;
    }
    std::string report = entry.facts.report;
    report.erase(std::remove(report.begin(), report.end(), '\r'), report.end());
    out << report;
    return 0;
  }
  if (command == "remove") {
    const auto rows = ParseRows(args, list.RowCount(), err);
    if (!rows) return 2;
    for (std::size_t row = 0; row < list.RowCount(); ++row) list.SetSelected(row, false);
    for (std::size_t row : *rows) list.SetSelected(row, true);
    DeleteSelected(list);
    session.SaveList();
    PrintRows(list, out);
    return 0;
  }
  if (command == "clear-encoded") {
    ClearEncoded(list);
    session.SaveList();
    PrintRows(list, out);
    return 0;
  }
  if (command == "encode" || command == "encode-all") return Encode(session, args, command == "encode-all", out, err);
  if (command == "make-scripts") {
    if (!MakeBatchFiles(session.Rows(), session.power, session.Commands())) {
      err << "clipvane-cli: the list gives no job\n";
      return 1;
    }
    for (const std::string& script : RunScriptPaths(0, program.workspace, session.Jobs().dialect))
      out << script << "\n";
    return 0;
  }
  err << "clipvane-cli: unknown command " << command << "\n" << kUsage;
  return 2;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, const Workspace& workspace, std::ostream& out,
           std::ostream& err) {
  if (arguments.empty()) {
    err << kUsage;
    return 2;
  }
  const std::string& command = arguments[0];
  if (command == "--help" || command == "-h" || command == "help") {
    out << kUsage;
    return 0;
  }
  if (command == "--version") {
    out << "clipvane-cli " << kProgramVersion << "\n";
    return 0;
  }
  const std::vector<std::string> args(arguments.begin() + 1, arguments.end());
  ErrNotifier notifier(err);
  ErrStatus status(err);
  try {
    Program program = StartProgram(workspace, SpecialFolderPath(kFontsFolder));
    LoadSettings(program.settings, *program.ini, notifier);
    return Dispatch(command, args, program, notifier, status, out, err);
  } catch (const PlatformError& error) {
    err << "clipvane-cli: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace clipvane
