#include "runs/slurm_cluster.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>

#include "base/text.h"
#include "platform/child_processes.h"
#include "platform/file_system.h"

namespace clipvane {
namespace {

// What one Slurm program said.
struct Said {
  bool started = false;
  int status = -1;
  std::string out, err;
};

// A controller that does not answer keeps a Slurm program trying for many seconds; a
// window asks twice a second, so a program that takes longer than this is ended and
// counts as no answer.
constexpr auto kAnswerWithin = std::chrono::seconds(4);

Said Ask(const std::vector<std::string>& argv) {
  Said said;
  ChildProcesses child;
  const auto started = child.Start(argv, {DeliveredTo([&said](const std::string& chunk) { said.out += chunk; }),
                                          DeliveredTo([&said](const std::string& chunk) { said.err += chunk; })});
  if (!started) {
    said.err = started.error().reason;
    return said;
  }
  const auto give_up = std::chrono::steady_clock::now() + kAnswerWithin;
  bool late = false;
  said.status = child.WaitAll([&] { return late = std::chrono::steady_clock::now() > give_up; }, 50).front();
  said.started = true;
  if (late) {
    said.status = -1;
    said.err = argv[0] + " did not answer within " + std::to_string(kAnswerWithin.count()) + " seconds";
  }
  return said;
}

std::string FirstLine(const std::string& text) {
  const std::vector<std::string> lines = NonEmptyLines(text);
  return lines.empty() ? std::string() : TrimBlanks(lines.front());
}

// A job Slurm no longer knows: ended and forgotten, or never there.
bool UnknownJob(const Said& said) { return said.started && said.err.find("Invalid job id") != std::string::npos; }

SlurmWord Word(const std::string& state, const std::string& reason, const std::string& node) {
  SlurmWord word;
  word.state = state;
  word.life = SlurmStateLive(state) ? SlurmWord::Life::kLive : SlurmWord::Life::kEnded;
  if (reason != "None" && reason != "(null)") word.reason = reason;
  if (node != "(null)") word.node = node;
  return word;
}

SlurmWord Forgotten() {
  SlurmWord word;
  word.life = SlurmWord::Life::kEnded;
  return word;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string ArrayJobOf(const std::string& task) { return task.substr(0, task.find('_')); }

}  // namespace

std::string SlurmTaskName(const std::string& array_job, const std::string& task) { return array_job + "_" + task; }

bool SlurmStateLive(const std::string& state) {
  static const std::set<std::string> kLive{"PENDING",   "CONFIGURING", "RUNNING",     "COMPLETING",
                                           "SUSPENDED", "REQUEUED",    "REQUEUE_FED", "REQUEUE_HOLD",
                                           "RESIZING",  "SIGNALING",   "STAGE_OUT"};
  return kLive.count(state) > 0;
}

std::map<std::string, SlurmWord> ParseSlurmQueue(const std::string& text) {
  std::map<std::string, SlurmWord> tasks;
  for (const std::string& line : NonEmptyLines(text)) {
    const std::vector<std::string> fields = Split(TrimBlanks(line), '|');
    if (fields.size() < 4 || fields[0].empty()) continue;
    tasks[fields[0]] = Word(fields[1], fields[2], fields[3]);
  }
  return tasks;
}

SlurmWord ParseSlurmJob(const std::string& text) {
  std::string state, reason, node;
  for (const std::string& field : Split(FirstLine(text), ' ')) {
    const std::size_t equals = field.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = field.substr(0, equals), value = field.substr(equals + 1);
    if (key == "JobState") state = value;
    else if (key == "Reason") reason = value;
    else if (key == "BatchHost") node = value;
  }
  if (state.empty()) return {};
  return Word(state, reason, node);
}

std::string SlurmEndCause(const SlurmWord& word) {
  static const std::map<std::string, std::string> kMeaning{{"CANCELLED", "cancelled"},
                                                           {"TIMEOUT", "its time limit passed"},
                                                           {"NODE_FAIL", "its node failed"},
                                                           {"PREEMPTED", "preempted by another job"},
                                                           {"OUT_OF_MEMORY", "out of memory"},
                                                           {"DEADLINE", "its deadline passed"},
                                                           {"BOOT_FAIL", "its node did not start"}};
  if (word.state.empty()) return "Slurm ended it: its Slurm job is no longer known";
  // A task's own tools ask while Slurm still ends it: a time limit says so in its
  // reason, a cancel does not.
  std::string state = word.state, reason = word.reason;
  if (state == "COMPLETING") state = reason == "TimeLimit" ? "TIMEOUT" : "CANCELLED";
  if (reason == "TimeLimit") reason.clear();
  std::string cause = "Slurm ended it: " + state;
  const auto meaning = kMeaning.find(state);
  std::string why = meaning != kMeaning.end() ? meaning->second : std::string();
  if (!reason.empty()) why += (why.empty() ? "" : ", ") + reason;
  return why.empty() ? cause : cause + " (" + why + ")";
}

SlurmWord AskSlurm(const std::string& task) {
  struct Answer {
    std::chrono::steady_clock::time_point when;
    bool answered = false;  // the controller answered
    std::map<std::string, SlurmWord> tasks;
  };
  static std::mutex guard;
  static std::map<std::string, Answer> answers;
  const std::string array_job = ArrayJobOf(task);
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> lock(guard);
  Answer& answer = answers[array_job];
  // No answer is kept longer: asking again at once would only wait as long again.
  const auto fresh = answer.answered ? std::chrono::seconds(1) : std::chrono::seconds(15);
  if (answer.when == std::chrono::steady_clock::time_point() || now - answer.when > fresh) {
    const Said said = Ask({"squeue", "-h", "-r", "-t", "all", "-j", array_job, "-o", "%i|%T|%r|%N"});
    answer.when = now;
    answer.answered = (said.started && said.status == 0) || UnknownJob(said);
    answer.tasks = said.status == 0 ? ParseSlurmQueue(said.out) : std::map<std::string, SlurmWord>();
  }
  if (!answer.answered) return {};
  const auto found = answer.tasks.find(task);
  return found != answer.tasks.end() ? found->second : Forgotten();
}

SlurmWord AskSlurmNow(const std::string& task) {
  const Said said = Ask({"scontrol", "show", "job", "-o", task});
  if (said.started && said.status == 0) return ParseSlurmJob(said.out);
  return UnknownJob(said) ? Forgotten() : SlurmWord();
}

std::optional<std::string> CancelSlurmTasks(const std::vector<std::string>& tasks) {
  if (tasks.empty()) return std::nullopt;
  std::vector<std::string> argv{"scancel"};
  argv.insert(argv.end(), tasks.begin(), tasks.end());
  const Said said = Ask(argv);
  if (said.started && said.status == 0) return std::nullopt;
  return said.started ? "scancel: " + FirstLine(said.err) : "scancel: " + said.err;
}

std::string SlurmTaskScriptText() {
  return "#!/bin/sh\n"
         "# One task of a cluster run: the job script at the task's place among the arguments.\n"
         "shift \"$SLURM_ARRAY_TASK_ID\"\n"
         "exec sh \"$1\"\n";
}

std::vector<std::string> SbatchArguments(const SlurmSubmission& submission) {
  std::vector<std::string> argv{"sbatch", "--job-name=clipvane"};
  argv.insert(argv.end(), submission.user_options.begin(), submission.user_options.end());
  std::string array = "--array=0-" + std::to_string(submission.job_scripts.size() - 1);
  if (submission.at_once > 0) array += "%" + std::to_string(submission.at_once);
  // The jobs write their own logs; a task's own output has nothing to keep.
  if (!submission.after.empty()) argv.push_back("--dependency=afterany:" + submission.after);
  argv.insert(argv.end(), {"--parsable", array, "--requeue", "--output=/dev/null", "--error=/dev/null",
                           "--chdir=" + submission.work_folder, submission.task_script});
  argv.insert(argv.end(), submission.job_scripts.begin(), submission.job_scripts.end());
  return argv;
}

std::size_t SlurmMaxArraySize() {
  constexpr std::size_t kSlurmDefault = 1001;
  const Said said = Ask({"scontrol", "show", "config"});
  for (const std::string& line : NonEmptyLines(said.out)) {
    const std::vector<std::string> sides = Split(line, '=');
    if (sides.size() != 2 || TrimBlanks(sides[0]) != "MaxArraySize") continue;
    const std::optional<int> size = ParsePlainNumber(TrimBlanks(sides[1]));
    if (size && *size > 0) return static_cast<std::size_t>(*size);
  }
  return kSlurmDefault;
}

Expected<std::string, std::string> SubmitToSlurm(const SlurmSubmission& submission) {
  if (submission.job_scripts.empty()) return MakeUnexpected(std::string("no job to submit"));
  const Said said = Ask(SbatchArguments(submission));
  if (!said.started) return MakeUnexpected("sbatch: " + said.err);
  const std::string id = FirstLine(said.out).substr(0, FirstLine(said.out).find(';'));
  if (said.status == 0 && !id.empty()) return id;
  const std::string why = FirstLine(said.err);
  return MakeUnexpected(why.empty() ? "sbatch ended with status " + std::to_string(said.status) : why);
}

std::vector<std::string> SlurmOptionWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, in_word = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::optional<std::string> SlurmRefusal(const std::string& data_folder) {
  const Said version = Ask({"sbatch", "--version"});
  if (!version.started) return "Slurm's sbatch is not found (install slurm-client): " + version.err;
  const Said nodes = Ask({"sinfo", "-h", "-N", "-o", "%N"});
  if (!nodes.started) return "Slurm's sinfo is not found (install slurm-client): " + nodes.err;
  if (nodes.status != 0) {
    const std::string why = FirstLine(nodes.err);
    return "the Slurm cluster does not answer" + (why.empty() ? std::string() : ": " + why);
  }
  std::set<std::string> names;
  for (const std::string& line : NonEmptyLines(nodes.out)) names.insert(TrimBlanks(line));
  if (names.empty()) return "the Slurm cluster has no node";
  if (names.size() > 1 && OnLocalOnlyStorage(data_folder))
    return "the program folder " + data_folder +
           " is on storage only this machine sees (tmpfs); the other nodes cannot reach it: put it on a folder "
           "every node shares (NFS)";
  return std::nullopt;
}

}  // namespace clipvane
