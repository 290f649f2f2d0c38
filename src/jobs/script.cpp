#include "jobs/script.h"

namespace clipvane {

ScriptStep DeleteStep(std::string file) {
  return {ScriptStep::Kind::kDelete, std::move(file), {}, {}, Redirect::kNone, {}};
}

ScriptStep ToolStep(std::string tool, std::vector<ScriptArg> args, Redirect redirect, std::string log) {
  return {ScriptStep::Kind::kRunTool, {}, std::move(tool), std::move(args), redirect, std::move(log)};
}

ScriptStep CallStep(std::string script) {
  return {ScriptStep::Kind::kCallScript, std::move(script), {}, {}, Redirect::kNone, {}};
}

ScriptStep ProgramStep(std::string program, std::vector<ScriptArg> args) {
  return {ScriptStep::Kind::kRunProgram, std::move(program), {}, std::move(args), Redirect::kNone, {}};
}

PathStyle PathStyleOf(ScriptDialect dialect) {
  return dialect == ScriptDialect::kWindowsBatch ? PathStyle::kWindows : PathStyle::kPosix;
}

std::string ScriptExtension(ScriptDialect dialect) {
  return dialect == ScriptDialect::kWindowsBatch ? ".bat" : ".sh";
}

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
    case ScriptStep::Kind::kDelete:
      return (batch ? "del " : "rm -f ") + QuotePath(dialect, step.path);
    case ScriptStep::Kind::kCallScript:
      if (batch) {
        // "call" expands "%" once more after the line was read, so a "%" in the name
        // is written four times: the reading leaves "%%", the call "%".
        std::string path;
        for (char c : step.path) path += c == '%' ? std::string("%%") : std::string(1, c);
        return "call " + QuotePath(dialect, path);
      }
      return "sh " + QuotePath(dialect, step.path);
    case ScriptStep::Kind::kRunProgram:
      return QuotePath(dialect, step.path) + RenderArgs(dialect, step.args);
    case ScriptStep::Kind::kRunTool:
      break;
  }
  std::string line = QuotePath(dialect, ToolPath(dialect, app_dir, step.tool)) + RenderArgs(dialect, step.args);
  if (step.redirect == Redirect::kErrors) line += " 2> " + QuotePath(dialect, step.log);
  if (step.redirect == Redirect::kOutputTight) line += "> " + QuotePath(dialect, step.log);
  return line;
}

}  // namespace

std::string RenderScript(ScriptDialect dialect, const std::string& app_dir,
                         const std::vector<ScriptStep>& steps) {
  const char* line_end = dialect == ScriptDialect::kWindowsBatch ? "\r\n" : "\n";
  std::string text;
  for (const ScriptStep& step : steps) text += RenderStep(dialect, app_dir, step) + line_end;
  return text;
}

}  // namespace clipvane
