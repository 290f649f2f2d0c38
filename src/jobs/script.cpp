#include "jobs/script.h"

#include <algorithm>

namespace clipvane {

namespace {

ScriptStep Step(ScriptStep::Kind kind, std::string path) {
  ScriptStep step;
  step.kind = kind;
  step.path = std::move(path);
  return step;
}

}  // namespace

ScriptStep DeleteStep(std::string file) { return Step(ScriptStep::Kind::kDelete, std::move(file)); }

ScriptStep ToolStep(std::string tool, std::vector<ScriptArg> args, Redirect redirect, std::string log) {
  ScriptStep step = Step(ScriptStep::Kind::kRunTool, {});
  step.tool = std::move(tool);
  step.args = std::move(args);
  step.redirect = redirect;
  step.log = std::move(log);
  return step;
}

ScriptStep CallStep(std::string script) { return Step(ScriptStep::Kind::kCallScript, std::move(script)); }

ScriptStep ProgramStep(std::string program, std::vector<ScriptArg> args) {
  ScriptStep step = Step(ScriptStep::Kind::kRunProgram, std::move(program));
  step.args = std::move(args);
  return step;
}

ScriptStep MoveStep(std::string from, std::string to) {
  ScriptStep step = Step(ScriptStep::Kind::kMove, std::move(from));
  step.destination = std::move(to);
  return step;
}

ScriptStep StatusFileStep(std::string status_file) {
  return Step(ScriptStep::Kind::kSetStatusFile, std::move(status_file));
}

ScriptStep Checked(ScriptStep step) {
  step.checked = true;
  return step;
}

PathStyle PathStyleOf(ScriptDialect dialect) {
  return dialect == ScriptDialect::kWindowsBatch ? PathStyle::kWindows : PathStyle::kPosix;
}

std::string ScriptExtension(ScriptDialect dialect) { return dialect == ScriptDialect::kWindowsBatch ? ".bat" : ".sh"; }

std::string QuotePath(ScriptDialect dialect, const std::string& path) {
  std::string quoted;
  if (dialect == ScriptDialect::kWindowsBatch) {
    // Inside a batch file "%" starts a variable even within quotes; "%%" is one "%".
    // Windows file names cannot hold a quotation mark.
    quoted = "\"";
    for (char c : path) quoted += c == '%' ? std::string("%%") : std::string(1, c);
    return quoted + "\"";
  }
  // Single quotes keep everything literal in sh but a single quote itself.
  quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ToolPath(ScriptDialect dialect, const std::string& app_dir, const std::string& tool) {
  const char separator = Separator(PathStyleOf(dialect));
  return app_dir + "bin" + separator + tool + (dialect == ScriptDialect::kWindowsBatch ? ".exe" : "");
}

namespace {

std::string RenderArgs(ScriptDialect dialect, const std::vector<ScriptArg>& args) {
  std::string text;
  for (const ScriptArg& arg : args)
    text += " " + (arg.kind == ScriptArg::Kind::kPath ? QuotePath(dialect, arg.text) : arg.text);
  return text;
}

std::string RenderStep(ScriptDialect dialect, const std::string& app_dir, const ScriptStep& step) {
  const bool batch = dialect == ScriptDialect::kWindowsBatch;
  switch (step.kind) {
    case ScriptStep::Kind::kDelete: return (batch ? "del " : "rm -f ") + QuotePath(dialect, step.path);
    case ScriptStep::Kind::kCallScript:
      if (batch) {
        // "call" expands "%" once more after the line was read, so a "%" in the name
        // is written four times: the reading leaves "%%", the call "%".
        std::string path;
        for (char c : step.path) path += c == '%' ? std::string("%%") : std::string(1, c);
        return "call " + QuotePath(dialect, path);
      }
      return "sh " + QuotePath(dialect, step.path);
    case ScriptStep::Kind::kRunProgram: return QuotePath(dialect, step.path) + RenderArgs(dialect, step.args);
    case ScriptStep::Kind::kMove:
      return (batch ? "move /y " : "mv -f ") + QuotePath(dialect, step.path) + " " +
             QuotePath(dialect, step.destination);
    case ScriptStep::Kind::kSetStatusFile:
      if (batch) {
        // The quotes around the whole assignment keep every other character as it is;
        // QuotePath has doubled each "%" already.
        const std::string quoted = QuotePath(dialect, step.path);
        return std::string("set \"") + kJobStatusVariable + "=" + quoted.substr(1);
      }
      return std::string(kJobStatusVariable) + "=" + QuotePath(dialect, step.path) + "; export " + kJobStatusVariable;
    case ScriptStep::Kind::kRunTool: break;
  }
  std::string line = QuotePath(dialect, ToolPath(dialect, app_dir, step.tool)) + RenderArgs(dialect, step.args);
  if (step.redirect == Redirect::kErrors) line += " 2> " + QuotePath(dialect, step.log);
  if (step.redirect == Redirect::kOutputTight || step.redirect == Redirect::kAllTight)
    line += "> " + QuotePath(dialect, step.log);
  if (step.redirect == Redirect::kAllTight) line += " 2>&1";
  return line;
}

}  // namespace

std::string RenderScript(ScriptDialect dialect, const std::string& app_dir, const std::vector<ScriptStep>& steps,
                         const std::vector<ScriptStep>& on_failure) {
  const bool batch = dialect == ScriptDialect::kWindowsBatch;
  const std::string line_end = batch ? "\r\n" : "\n";
  const bool checks = std::any_of(steps.begin(), steps.end(), [](const ScriptStep& step) { return step.checked; });
  std::string text;
  // The status file is named before anything else runs, even the failure steps.
  std::size_t first = 0;
  for (; first < steps.size() && steps[first].kind == ScriptStep::Kind::kSetStatusFile; ++first)
    text += RenderStep(dialect, app_dir, steps[first]) + line_end;
  if (checks && !batch) {
    // Defined first, so that every check and an interruption can reach it.
    text += "failed() {" + line_end;
    for (const ScriptStep& step : on_failure) text += "  " + RenderStep(dialect, app_dir, step) + line_end;
    text += "  exit 1" + line_end + "}" + line_end + "trap failed INT TERM HUP" + line_end;
  }
  for (std::size_t i = first; i < steps.size(); ++i) {
    const ScriptStep& step = steps[i];
    text += RenderStep(dialect, app_dir, step);
    if (step.checked) text += batch ? line_end + "if errorlevel 1 goto failed" : " || failed";
    // cmd's move does not always set the error level when it fails (Wine's never
    // does); a file still at its old place tells.
    if (step.checked && batch && step.kind == ScriptStep::Kind::kMove)
      text += line_end + "if exist " + QuotePath(dialect, step.path) + " goto failed";
    text += line_end;
  }
  if (checks && batch) {
    // A called job ends with its own status and hands control back to its caller.
    text += "exit /b 0" + line_end + ":failed" + line_end;
    for (const ScriptStep& step : on_failure) text += RenderStep(dialect, app_dir, step) + line_end;
    text += "exit /b 1" + line_end;
  }
  return text;
}

}  // namespace clipvane
