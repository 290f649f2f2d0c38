#include "runs/leftovers.h"

#include <map>
#include <set>

#include "jobs/job_plan.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

bool IsHex(const std::string& text, bool upper) {
  if (text.empty()) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (upper ? (c >= 'A' && c <= 'F') : (c >= 'a' && c <= 'f')))) return false;
  return true;
}

// A job's files and what their names say: the job ("qv1A2B"), and whether its build
// made it (the log, the subtitle copy) rather than its run.
struct JobFile {
  std::string path;
  std::string job;
  bool prepared = false;
};

// "qv1A2B.avi" in temp, or ".qv1A2B.avi.5f3e" that a tool was writing; in incoming
// ".qv1A2B.part", or "..qv1A2B.part.5f3e" (and the check's "..qv1A2B.part.5f3e.mp4").
// Nothing for any other name: a video's own files (its SSA file, its MP4) never look
// like these.
std::optional<JobFile> JobFileOf(const std::string& path, bool in_incoming, PathStyle style) {
  std::string name = FileNamePart(path, style);
  // The check's second name for a built MP4 is a partial file with ".mp4" after it.
  const std::string mp4 = ".mp4";
  if (in_incoming && name.rfind("..", 0) == 0 && name.size() > mp4.size() &&
      name.compare(name.size() - mp4.size(), mp4.size(), mp4) == 0)
    name.resize(name.size() - mp4.size());
  bool partial = false;
  const std::size_t last_dot = name.rfind('.');
  if (name.size() > 1 && name[0] == '.' && last_dot != std::string::npos && IsHex(name.substr(last_dot + 1), false)) {
    name = name.substr(1, last_dot - 1);  // a tool's partial file: the name it was to have
    partial = true;
  }
  if (in_incoming) {
    if (name.empty() || name[0] != '.') return std::nullopt;
    name.erase(0, 1);
  }
  const std::size_t dot = name.find('.');
  if (dot == std::string::npos || name.rfind("qv", 0) != 0 || dot < 3 || dot > 6) return std::nullopt;
  const std::string job = name.substr(0, dot), extension = name.substr(dot);
  if (!IsHex(job.substr(2), true)) return std::nullopt;
  static const std::set<std::string> kTemp{".tmp", ".smi", ".avi", ".avi2", ".m4v", ".aac", ".mp4"};
  if (in_incoming ? extension != ".part" : !kTemp.count(extension)) return std::nullopt;
  return JobFile{path, job, !partial && !in_incoming && (extension == ".tmp" || extension == ".smi")};
}

bool Names(const std::string& text, const std::string& job) {
  for (std::size_t at = text.find(job); at != std::string::npos; at = text.find(job, at + 1)) {
    const bool starts = at == 0 || text[at - 1] == '/' || text[at - 1] == '\\' || text[at - 1] == '.';
    if (starts && at + job.size() < text.size() && text[at + job.size()] == '.') return true;
  }
  return false;
}

// The scripts of batch that a command line runs, and the job scripts they call.
std::vector<std::string> ScriptTexts(const std::string& command_line, const Workspace& workspace, ScriptDialect dialect,
                                     const FileSystem& files) {
  const std::string folder = AnsiToUtf8(workspace.Batch() + Separator(workspace.Style()));
  const std::string extension = ScriptExtension(dialect);
  std::vector<std::string> texts;
  for (std::size_t at = command_line.find(folder); at != std::string::npos; at = command_line.find(folder, at + 1)) {
    const std::size_t end = command_line.find(extension, at);
    if (end == std::string::npos) break;
    const std::string text =
        files.ReadWholeFile(Utf8ToAnsi(command_line.substr(0, end + extension.size()).substr(at))).value_or("");
    texts.push_back(text);
    // A run script's calls: each names a job script of the same folder.
    const std::string ansi_folder = workspace.Batch() + Separator(workspace.Style());
    for (std::size_t call = text.find(ansi_folder); call != std::string::npos;
         call = text.find(ansi_folder, call + 1)) {
      const std::size_t call_end = text.find(extension, call);
      if (call_end == std::string::npos) break;
      texts.push_back(files.ReadWholeFile(text.substr(call, call_end + extension.size() - call)).value_or(""));
    }
  }
  return texts;
}

}  // namespace

std::vector<std::string> RemoveLeftovers(const Workspace& workspace, ScriptDialect dialect, FileSystem& files,
                                         const ProcessList& processes, const std::vector<std::string>& job_processes) {
  const PathStyle style = workspace.Style();
  std::unique_ptr<FileLock> lock;
  try {
    lock = files.LockExclusive(workspace.TempLockFile());
  } catch (const PlatformError&) {
    return {};  // a folder that cannot be written has nothing of ours to clear
  }
  std::vector<JobFile> found;
  for (const bool in_incoming : {false, true})
    for (const std::string& path : files.FilesIn(in_incoming ? workspace.Incoming() : workspace.Temp()))
      if (auto file = JobFileOf(path, in_incoming, style)) found.push_back(*file);
  if (found.empty()) return {};

  std::set<std::string> running, waiting;
  std::vector<std::string> texts;
  for (const ProcessEntry& process : processes.Snapshot()) {
    if (!process.command_line) {
      for (const std::string& name : job_processes)
        if (EqualsIgnoringAsciiCase(process.exe_name, name)) return {};  // it may be one of ours
      continue;
    }
    texts.push_back(*process.command_line);
    for (const std::string& text : ScriptTexts(*process.command_line, workspace, dialect, files))
      texts.push_back(AnsiToUtf8(text));
  }
  for (const JobFile& file : found)
    for (const std::string& text : texts)
      if (Names(text, AnsiToUtf8(file.job))) running.insert(file.job);
  // A job waits when its log is still as its build made it, empty, and a written
  // script names it; one that ran and ended, or was killed, has written to its log.
  std::vector<std::string> scripts;
  bool scripts_read = false;
  for (const JobFile& file : found) {
    if (running.count(file.job) || !file.prepared || waiting.count(file.job)) continue;
    const std::string log = workspace.Temp() + Separator(style) + file.job + ".tmp";
    const FileStamp stamp = files.Stamp(log);
    if (!stamp.exists || stamp.size != 0) continue;
    if (!scripts_read) {
      for (const std::string& script : files.FilesIn(workspace.Batch()))
        if (EqualsIgnoringAsciiCase(ExtensionOf(script, style), ScriptExtension(dialect)))
          scripts.push_back(files.ReadWholeFile(script).value_or(""));
      scripts_read = true;
    }
    for (const std::string& script : scripts)
      if (Names(script, file.job)) {
        waiting.insert(file.job);
        break;
      }
  }
  std::vector<std::string> removed;
  for (const JobFile& file : found) {
    if (running.count(file.job) || (file.prepared && waiting.count(file.job))) continue;
    if (files.RemoveFile(file.path)) removed.push_back(file.path);
  }
  return removed;
}

}  // namespace clipvane
