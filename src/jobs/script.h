#pragma once
#include <string>
#include <vector>

#include "common/path_style.h"

namespace clipvane {

// One word group of a command line: option text written as it stands (possibly
// empty, which still keeps its blanks), or a path that the dialect quotes.
struct ScriptArg {
  enum class Kind { kOption, kPath };
  Kind kind;
  std::string text;
};

inline ScriptArg Opt(std::string text) { return {ScriptArg::Kind::kOption, std::move(text)}; }
inline ScriptArg PathArg(std::string path) { return {ScriptArg::Kind::kPath, std::move(path)}; }

// Where a tool's messages go: nowhere special, its error stream ("2> log"), or its
// output stream written right after the last argument ("...\"> log"), with its error
// stream joining it ("...\"> log 2>&1").
enum class Redirect { kNone, kErrors, kOutputTight, kAllTight };

// The environment variable through which a job script tells its tools where the job's
// status file is (see runs/job_status.h).
inline constexpr const char* kJobStatusVariable = "CLIPVANE_JOB";

// One line of a job or run script.
struct ScriptStep {
  // kSetStatusFile: the line that names the job's status file to its tools, in
  // kJobStatusVariable; it comes first in a job script.
  enum class Kind { kDelete, kRunTool, kCallScript, kRunProgram, kMove, kSetStatusFile };
  Kind kind = Kind::kDelete;
  std::string path;  // the file to delete or move, the script to call, the program to run, the status file
  std::string tool;  // kRunTool: "mencoder" or "mp4creator", found in AppDir's bin
  std::vector<ScriptArg> args;
  Redirect redirect = Redirect::kNone;
  std::string log;
  std::string destination;  // kMove: where the file goes, replacing what is there
  bool checked = false;     // a failure ends the script through its failure steps
};

ScriptStep DeleteStep(std::string file);
ScriptStep ToolStep(std::string tool, std::vector<ScriptArg> args, Redirect redirect = Redirect::kNone,
                    std::string log = {});
ScriptStep CallStep(std::string script);
ScriptStep ProgramStep(std::string program, std::vector<ScriptArg> args);
ScriptStep MoveStep(std::string from, std::string to);
ScriptStep StatusFileStep(std::string status_file);
// The step, ending the script through its failure steps when it fails.
ScriptStep Checked(ScriptStep step);

// How scripts are written: Windows batch files for cmd.exe, or POSIX sh scripts.
// Both quote every path, so no file name can break a line.
enum class ScriptDialect { kWindowsBatch, kPosixShell };

#ifdef _WIN32
constexpr ScriptDialect kNativeScriptDialect = ScriptDialect::kWindowsBatch;
#else
constexpr ScriptDialect kNativeScriptDialect = ScriptDialect::kPosixShell;
#endif

PathStyle PathStyleOf(ScriptDialect dialect);
std::string ScriptExtension(ScriptDialect dialect);  // ".bat" or ".sh"
std::string QuotePath(ScriptDialect dialect, const std::string& path);
std::string ToolPath(ScriptDialect dialect, const std::string& app_dir, const std::string& tool);

// The whole script text: each step on its own line, every line ended (CR LF for batch
// files, LF for sh). A script with checked steps ends with status 0 after its last
// step, or, at the first checked step that fails, runs `on_failure` and ends with
// status 1: a batch file jumps to its label ":failed" after its "exit /b 0"; an sh
// script calls its function "failed", which comes first (after the status-file line)
// and also runs when the script is interrupted or stopped.
std::string RenderScript(ScriptDialect dialect, const std::string& app_dir, const std::vector<ScriptStep>& steps,
                         const std::vector<ScriptStep>& on_failure = {});

}  // namespace clipvane
