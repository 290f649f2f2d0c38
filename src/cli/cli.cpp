#include "cli/cli.h"

#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "base/text.h"
#include "cli/job_commands.h"
#include "cli/settings_command.h"
#include "cli/wait_report.h"
#include "common/progress.h"
#include "media/list_commands.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "runs/slurm_cluster.h"
#include "session/program.h"
#include "settings/settings_store.h"

namespace clipvane {
namespace {

constexpr const char* kUsage =
    "usage: clipvane-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Works on the list, settings and scripts beside the program, as the window does.\n"
    "Rows are numbered from 1 as 'list' shows them.\n"
    "\n"
    "  add [--] FILE|FOLDER...     add videos to the list; a folder adds those in it\n"
    "                              and in all its subfolders, in name order\n"
    "  list                        show the list: row, encoded marker, title, subtitle\n"
    "  refresh                     probe new rows, look for finished videos, show the list\n"
    "  info ROW                    show what the probe learned of a video\n"
    "  remove ROW...               take rows off the list (no file is touched)\n"
    "  clear-encoded               take the encoded rows off the list\n"
    "  encode ROW... [--wait]      start up to four videos at once\n"
    "  encode-all [--queues 1|2|4] [--after none|suspend|shutdown] [--wait]\n"
    "                              encode the whole list in one, two or four queues\n"
    "  encode ROW... --on slurm [--wait]\n"
    "  encode-all --on slurm [--queues N] [--wait]\n"
    "                              submit the jobs to a Slurm cluster as one job array,\n"
    "                              at most N running at once (sbatch options: the\n"
    "                              SBATCH_* variables and slurmoptions in MP4.ini)\n"
    "  make-scripts                write every job script and the whole-list script\n"
    "  status                      show how each row's job stands: row, then waiting,\n"
    "                              running (with percentage, speed and time left),\n"
    "                              written, failed (with the cause) or stopped\n"
    "  stop ROW... | --all         stop the jobs of these rows, or every job, and wait\n"
    "                              until they say they stopped\n"
    "  settings [KEY=VALUE...]     show the settings, or change and save them\n"
    "  --help, --version\n";

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[4096];
  if (!::getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

void PrintRows(const VideoList& list, std::ostream& out) {
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const VideoRow& r = list.Row(row);
    out << row + 1 << "\t" << (r.encoded_marker.empty() ? " " : r.encoded_marker) << "\t" << r.title << "\t"
        << r.subtitle << "\t" << list.ShownOutput(row) << "\n";
  }
}

// Row numbers as the user gives them (from 1), checked against the list.
std::optional<std::vector<std::size_t>> ParseRows(const std::vector<std::string>& words, std::size_t row_count,
                                                  std::ostream& err) {
  std::vector<std::size_t> rows;
  for (const std::string& word : words) {
    // Plain decimal numbers only: "0x1" or " 1" is no row number.
    const int number = ParsePlainNumber(word).value_or(0);
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

struct Options {
  bool wait = false;
  bool on_slurm = false;
  bool queues_given = false;
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
    } else if (arg == "--on" && has_value) {
      if (args[++i] != "slurm") {
        err << "clipvane-cli: --on takes slurm\n";
        return std::nullopt;
      }
      options.on_slurm = true;
    } else if (whole_list && arg == "--queues" && has_value) {
      options.queues = ParsePlainNumber(args[++i]).value_or(0);
      options.queues_given = true;
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
  // A cluster runs as many tasks at once as it is told; one machine has 1, 2 or 4 queues.
  const bool queues_fit =
      options.on_slurm ? options.queues >= 1 : options.queues == 1 || options.queues == 2 || options.queues == 4;
  if (!queues_fit) {
    err << (options.on_slurm ? "clipvane-cli: --queues takes a number from 1\n"
                             : "clipvane-cli: --queues takes 1, 2 or 4\n");
    return std::nullopt;
  }
  return options;
}

// Why a video was left out, in a plain line's words.
const char* RefusalText(RefusalReason reason) {
  switch (reason) {
    case RefusalReason::kNoFolder: return "no folder part";
    case RefusalReason::kAlreadyListed: return "already listed";
    case RefusalReason::kNotAVideo: return "not a video (see videofileext in MP4.ini)";
    case RefusalReason::kPathTooLong: return "path too long";
    case RefusalReason::kFileMissing: return "file missing";
    case RefusalReason::kNoPicture: return "no picture found";
    case RefusalReason::kPictureTooSmall: return "the picture is too small to encode (under 16x16 pixels)";
    case RefusalReason::kSourceIsOutput: return "the video is its own result file";
    case RefusalReason::kIsFolder: return "a folder, not a video file";
    case RefusalReason::kLineBreakInName: return "a line break in the name, which list.log cannot hold";
    case RefusalReason::kNoVideoStream: return "not a video";
    case RefusalReason::kRunScriptName: return "its job script would be a run script of that name; rename the video";
    case RefusalReason::kNameTooLong: return "the name is too long for its MP4 and log (at most 251 bytes)";
    case RefusalReason::kSubtitleNotAFile: return "its subtitle (.smi or .srt) is not a file";
    case RefusalReason::kCannotScript: return "its job cannot be made";
    case RefusalReason::kNotLaunched: return "its job script did not start";
    case RefusalReason::kNotStarted: return "not started: at most four at once";
    case RefusalReason::kInIncoming: return "it is an MP4 made here (in the output folder), where the results go";
    case RefusalReason::kAlreadyRunning: return "already running (see 'clipvane-cli status')";
  }
  return "";
}

// One run of clipvane-cli: its services, the program's record and, for the commands
// on the list, the session over list.log.
struct Cli {
  CliServices& services;
  Program& program;
  std::unique_ptr<Session> session;
  std::string last_status;  // a step repeating the text shown last prints nothing

  std::ostream& Out() { return services.out; }
  std::ostream& Err() { return services.err; }
  VideoList& List() { return session->List(); }

  // The steps of long work on stderr, as the status bar shows them.
  Progress Steps() {
    return [this](const ProgressStep& step) {
      const std::string text = StatusText(step);
      if (text != last_status) Err() << text << "\n";
      last_status = text;
    };
  }
};

using CommandFunction = int (*)(Cli& cli, const std::vector<std::string>& args);

// Selects exactly the rows the user named (from 1), or says what is wrong with them.
bool SelectNamedRows(Cli& cli, const std::vector<std::string>& words) {
  const auto rows = ParseRows(words, cli.List().RowCount(), cli.Err());
  if (rows) cli.List().SelectOnly(*rows);
  return rows.has_value();
}

// Every video an encode command left out, by its row, with the reason.
void SayRefusals(Cli& cli, const EncodeResult& result) {
  for (const Refusal& refusal : result.refused) {
    // Only a run script is refused without a row.
    std::ostream& err = refusal.row == kNoRow
                            ? cli.Err() << "clipvane-cli: " << refusal.path << ": the run script did not start"
                            : cli.Err() << "clipvane-cli: not converted: row " << refusal.row + 1 << ": "
                                        << refusal.path << ": " << RefusalText(refusal.reason);
    if (!refusal.detail.empty()) err << ": " << refusal.detail;
    err << "\n";
  }
}

// Whether the row's job script was written but did not start.
bool DidNotStart(const EncodeResult& result, std::size_t row) {
  return std::any_of(result.refused.begin(), result.refused.end(), [row](const Refusal& refusal) {
    return refusal.row == row && refusal.reason == RefusalReason::kNotLaunched;
  });
}

// A folder and every folder below it: how many videos it added, and the first few
// files it left out, named below the folder. False when it gave no video at all.
bool AddFolder(Cli& cli, const std::string& folder) {
  constexpr std::size_t kNamesShown = 5;
  const AddReport report = cli.session->AddItems({Absolute(folder)});
  cli.Err() << "added " << report.added << " videos from " << folder;
  if (report.already_listed > 0) cli.Err() << " (" << report.already_listed << " listed already)";
  cli.Err() << "\n";
  if (!report.skipped.empty()) {
    const std::string root = Absolute(folder);
    const std::size_t below = root.size() + (root.back() == '/' ? 0 : 1);
    cli.Err() << "clipvane-cli: " << folder << ": skipped " << report.skipped.size() << " files: ";
    for (std::size_t i = 0; i < report.skipped.size() && i < kNamesShown; ++i) {
      const Refusal& skipped = report.skipped[i];
      cli.Err() << (i > 0 ? ", " : "") << skipped.path.substr(std::min(below, skipped.path.size()));
      if (skipped.reason != RefusalReason::kNotAVideo) cli.Err() << " (" << RefusalText(skipped.reason) << ")";
    }
    cli.Err() << (report.skipped.size() > kNamesShown ? ", ...\n" : "\n");
  }
  if (report.added > 0 || report.already_listed > 0) return true;
  cli.Err() << "clipvane-cli: not added: " << folder << ": no videos in it or below it\n";
  return false;
}

int Add(Cli& cli, const std::vector<std::string>& args) {
  std::vector<std::string> files;
  bool options_ended = false;
  for (const std::string& arg : args) {
    if (!options_ended && arg == "--") {
      options_ended = true;
    } else if (!options_ended && arg.size() > 1 && arg[0] == '-') {
      cli.Err() << "clipvane-cli: add: unknown option " << arg << " (put -- before a file name that starts with -)\n";
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    cli.Err() << "clipvane-cli: add which files?\n";
    return 2;
  }
  int refused = 0;
  for (const std::string& file : files) {
    if (cli.services.core.files.IsDirectory(Absolute(file))) {
      refused += !AddFolder(cli, file);
      continue;
    }
    const AddOutcome outcome = cli.List().AddVideo(Absolute(file));
    if (!outcome) continue;
    cli.Err() << "clipvane-cli: not added: " << file << ": " << RefusalText(*outcome) << "\n";
    ++refused;
  }
  cli.session->SaveList();
  PrintRows(cli.List(), cli.Out());
  return refused == 0 ? 0 : 1;
}

int ListRows(Cli& cli, const std::vector<std::string>& args) {
  if (!args.empty()) {
    cli.Err() << "clipvane-cli: list takes no arguments\n";
    return 2;
  }
  PrintRows(cli.List(), cli.Out());
  return 0;
}

int Refresh(Cli& cli, const std::vector<std::string>& args) {
  if (!args.empty()) {
    cli.Err() << "clipvane-cli: refresh takes no arguments\n";
    return 2;
  }
  // One line per row that failed, not two per row probed.
  cli.session->Refresh();
  std::size_t failed = 0, encoded = 0;
  for (std::size_t row = 0; row < cli.List().RowCount(); ++row) {
    const VideoRow& shown = cli.List().Row(row);
    encoded += shown.encoded_marker == "*";
    const auto problem = cli.session->PictureProblem(shown.entry);
    if (!problem) continue;
    ++failed;
    cli.Err() << "clipvane-cli: row " << row + 1 << ": " << shown.entry.path << ": " << RefusalText(*problem) << "\n";
  }
  cli.Err() << "refreshed " << cli.List().RowCount() << " rows: " << failed << " without a picture, " << encoded
            << " encoded\n";
  PrintRows(cli.List(), cli.Out());
  return 0;
}

int Info(Cli& cli, const std::vector<std::string>& args) {
  const auto rows = ParseRows(args, cli.List().RowCount(), cli.Err());
  if (!rows) return 2;
  if (rows->size() != 1) {
    cli.Err() << "clipvane-cli: info takes one row\n";
    return 2;
  }
  const VideoEntry entry = cli.session->Probe(rows->front(), cli.Steps());
  if (const auto problem = cli.session->PictureProblem(entry)) {
    cli.Err() << "clipvane-cli: " << entry.path << ": " << RefusalText(*problem) << "\n";
    return 1;
  }
  std::string report = entry.facts.report;
  report.erase(std::remove(report.begin(), report.end(), '\r'), report.end());
  cli.Out() << report;
  return 0;
}

int Remove(Cli& cli, const std::vector<std::string>& args) {
  if (!SelectNamedRows(cli, args)) return 2;
  DeleteSelected(cli.List());
  cli.session->SaveList();
  PrintRows(cli.List(), cli.Out());
  return 0;
}

int ClearEncodedRows(Cli& cli, const std::vector<std::string>&) {
  ClearEncoded(cli.List());
  cli.session->SaveList();
  PrintRows(cli.List(), cli.Out());
  return 0;
}

// Why a run cannot go to the cluster, or nothing: checked before any job is claimed,
// so that a refused run starts nothing.
std::optional<std::string> ClusterRefusal(Cli& cli, const Options& options) {
  // The machines of a cluster are not this one's to power off or suspend.
  if (options.after != PowerAction::kNone) return "--after does not apply to a run on a Slurm cluster";
  return SlurmRefusal(cli.program.workspace.DataDir());
}

int Encode(Cli& cli, const std::vector<std::string>& args, bool whole_list) {
  const std::optional<Options> options = ParseOptions(args, whole_list, cli.Err());
  if (!options) return 2;
  if (!whole_list && !SelectNamedRows(cli, options->words)) return 2;
  if (options->on_slurm) {
    if (const auto refusal = ClusterRefusal(cli, *options)) {
      cli.Err() << "clipvane-cli: nothing submitted: " << *refusal << "\n";
      return 1;
    }
  }
  // Started as the window starts them, detached: --wait follows their records.
  const EncodeResult result =
      options->on_slurm
          ? cli.session->EncodeOnCluster(whole_list, options->queues_given ? options->queues : 0, cli.Steps())
      : whole_list ? cli.session->EncodeWholeList(options->queues, options->after, cli.Steps())
                   : cli.session->EncodeSelection(cli.Steps());
  if (!result.slurm_job.empty()) cli.Err() << "submitted to Slurm as job array " << result.slurm_job << "\n";
  for (const ScriptedJob& job : result.scripted)
    if (!DidNotStart(result, job.row)) cli.Err() << "started " << job.video << "\n";
  SayRefusals(cli, result);
  if (result.started.empty()) {
    cli.Err() << "clipvane-cli: nothing started\n";
    return 1;
  }
  const bool all_converted = result.refused.empty();
  if (!options->wait) return all_converted ? 0 : 1;
  std::vector<ScriptedJob> jobs;
  for (const ScriptedJob& job : result.scripted)
    if (!DidNotStart(result, job.row)) jobs.push_back(job);
  return WaitAndReport(*cli.session, cli.services.relay, jobs, all_converted, cli.services.core.files,
                       cli.services.core.mediainfo, cli.Out(), cli.Err());
}

int EncodeSome(Cli& cli, const std::vector<std::string>& args) { return Encode(cli, args, false); }
int EncodeAll(Cli& cli, const std::vector<std::string>& args) { return Encode(cli, args, true); }

int MakeScripts(Cli& cli, const std::vector<std::string>&) {
  const EncodeResult result = cli.session->MakeBatchFiles(PowerAction::kNone, cli.Steps());
  SayRefusals(cli, result);
  if (!result.written) {
    cli.Err() << "clipvane-cli: the list gives no job\n";
    return 1;
  }
  cli.Err() << "encoding scripts (" << ScriptExtension(cli.session->Dialect()) << ") written\n";
  for (const std::string& script : cli.session->RunScripts(0)) cli.Out() << script << "\n";
  return result.refused.empty() ? 0 : 1;  // the rows left out were named above
}

int Status(Cli& cli, const std::vector<std::string>& args) {
  if (!args.empty()) {
    cli.Err() << "clipvane-cli: status takes no arguments\n";
    return 2;
  }
  PrintJobStatus(*cli.session, cli.Out());
  return 0;
}

int Stop(Cli& cli, const std::vector<std::string>& args) {
  std::vector<std::string> asked;  // status files
  int status = 0;
  if (args.size() == 1 && args[0] == "--all") {
    const Session::StoppedAll stopped = cli.session->StopAll();
    asked = stopped.asked;
    if (asked.empty()) cli.Err() << "clipvane-cli: no job runs\n";
    if (stopped.power_action_held) cli.Err() << "clipvane-cli: the run's power action is held back\n";
  } else {
    const auto rows = ParseRows(args, cli.List().RowCount(), cli.Err());
    if (!rows) return 2;
    for (std::size_t row : *rows)
      if (!IsLive(cli.session->Status(row).state)) {
        cli.Err() << "clipvane-cli: row " << row + 1 << ": no job runs\n";
        status = 1;
      }
    for (std::size_t row : cli.session->StopRows(*rows)) asked.push_back(cli.session->StatusFile(row));
  }
  if (!StopAndWait(*cli.session, asked, cli.services.core.files, cli.Out())) {
    cli.Err() << "clipvane-cli: a job did not stop in time\n";
    return 1;
  }
  return status;
}

int Settings(Cli& cli, const std::vector<std::string>& args) {
  return SettingsCommand(args, cli.program, cli.Out(), cli.Err());
}

struct CliCommand {
  const char* name;
  CommandFunction run;
  bool opens_list;    // works on list.log: the session is opened first
  bool changes_list;  // may write list.log: holds its lock from the read to the write
};

const CliCommand kCommands[] = {
    {"add", Add, true, true},
    {"list", ListRows, true, false},
    {"refresh", Refresh, true, false},
    {"info", Info, true, false},
    {"remove", Remove, true, true},
    {"clear-encoded", ClearEncodedRows, true, true},
    {"encode", EncodeSome, true, false},
    {"encode-all", EncodeAll, true, false},
    {"make-scripts", MakeScripts, true, false},
    {"status", Status, true, false},
    {"stop", Stop, true, false},
    {"settings", Settings, false, false},
};

}  // namespace

int RunCli(const std::vector<std::string>& arguments, const Workspace& workspace, CliServices& services) {
  std::ostream& out = services.out;
  std::ostream& err = services.err;
  if (arguments.empty()) {
    err << kUsage;
    return 2;
  }
  const std::string& name = arguments[0];
  if (name == "--help" || name == "-h" || name == "help") {
    out << kUsage;
    return 0;
  }
  if (name == "--version") {
    out << "clipvane-cli " << kProgramVersion << "\n";
    return 0;
  }
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CliCommand& candidate) { return name == candidate.name; });
  if (command == std::end(kCommands)) {
    err << "clipvane-cli: unknown command " << name << "\n" << kUsage;
    return 2;
  }
  const std::vector<std::string> args(arguments.begin() + 1, arguments.end());
  try {
    Program program = StartProgram(workspace, OpenIniProfile(workspace.SettingsFile()), services.fonts_folder);
    SayCheck(LoadSettings(program.settings, program.preset, *program.ini), err);
    Cli cli{services, program, nullptr, {}};
    std::unique_ptr<FileLock> list_lock;
    if (command->opens_list) {
      cli.session = std::make_unique<Session>(program, services.core);
      if (command->changes_list) list_lock = cli.session->LockList();
      // The drawing of coloured subtitles is done by the mencoder stand-in itself here.
      cli.session->SetAviSynthPluginDir(workspace.Bin() + "/");
      cli.session->OpenWorkspace();
    }
    return command->run(cli, args);
  } catch (const PlatformError& error) {
    err << "clipvane-cli: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace clipvane
