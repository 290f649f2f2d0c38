#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/process.h"
#include "platform/utf.h"
#include "platform/windows_command_line.h"

namespace clipvane {
namespace {

std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 && text ? std::wstring(text, length) : L"error " + std::to_wstring(error);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
    message.pop_back();
  }
  return WideToUtf8(message);
}

// Inheritable handles exist only while one child is being made, under this lock, so
// that two children started from two threads never inherit each other's pipes (a
// pipe held open by the wrong child would never report its end).
std::mutex g_start_mutex;

HANDLE OpenNullDevice(DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
}

// An inheritable copy of one of our standard handles, or the null device when we
// have none.
HANDLE InheritableStandardHandle(DWORD which) {
  HANDLE own = GetStdHandle(which);
  HANDLE copy = nullptr;
  if (own && own != INVALID_HANDLE_VALUE &&
      DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
    return copy;
  }
  return OpenNullDevice(GENERIC_WRITE);
}

// The jobs of every group with running children, for the console handler.
std::mutex g_jobs_mutex;
std::vector<HANDLE> g_jobs;

// Ctrl+C and Ctrl+Break reach the children on our console by themselves: we stay to
// collect how they ended. When the console closes or the user logs off, this process
// is ended after the handler, and the children are ended with it right away.
std::atomic<int> g_first_event{0};

BOOL WINAPI OnConsoleControl(DWORD event) {
  int none = 0;
  // Told as the POSIX signal numbers are: 2 for an interrupt, 15 for the rest.
  g_first_event.compare_exchange_strong(none, event == CTRL_C_EVENT ? 2 : 15);
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  std::lock_guard<std::mutex> lock(g_jobs_mutex);
  for (HANDLE job : g_jobs) TerminateJobObject(job, STATUS_CONTROL_C_EXIT);
  return FALSE;
}

void WatchJob(HANDLE job) {
  std::lock_guard<std::mutex> lock(g_jobs_mutex);
  if (g_jobs.empty()) SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  g_jobs.push_back(job);
}

void ForgetJob(HANDLE job) {
  std::lock_guard<std::mutex> lock(g_jobs_mutex);
  for (std::size_t i = 0; i < g_jobs.size(); ++i) {
    if (g_jobs[i] != job) continue;
    g_jobs.erase(g_jobs.begin() + static_cast<std::ptrdiff_t>(i));
    if (g_jobs.empty()) SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    break;
  }
}

STARTUPINFOW StartupWith(HANDLE input, HANDLE output, HANDLE errors) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  return startup;
}

void CloseOwned(HANDLE& handle) {
  if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = nullptr;
}

}  // namespace

struct ChildProcesses::Impl {
  struct Piece {
    std::size_t child;
    int stream;
    std::string bytes;  // empty: the stream has ended
  };

  struct Child {
    HANDLE process = nullptr;
    bool own_session = false;
    int status = 127;
    OutputReader readers[2];
  };

  HANDLE job = nullptr;
  std::vector<Child> children;
  // The read end of a pipe that the next child started reads; not inheritable
  // until that child is made.
  HANDLE next_input = nullptr;
  std::vector<std::thread> readers;
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<Piece> pieces;
  int open_streams = 0;

  Impl() {
    // Every child goes into one job that ends them all when its last handle closes,
    // which happens when this process ends, however it ends.
    job = CreateJobObjectW(nullptr, nullptr);
    if (job) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
      WatchJob(job);
    }
  }

  ~Impl() {
    if (job) {
      ForgetJob(job);
      // Ends whatever still runs, the children's own children included.
      CloseHandle(job);
    }
  }

  void Read(std::size_t child, int stream, HANDLE pipe) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      std::lock_guard<std::mutex> lock(mutex);
      pieces.push_back({child, stream, std::string(buffer, got)});
      arrived.notify_one();
    }
    CloseHandle(pipe);
    std::lock_guard<std::mutex> lock(mutex);
    pieces.push_back({child, stream, {}});
    arrived.notify_one();
  }
};

ChildProcesses::ChildProcesses() : impl_(std::make_unique<Impl>()) {}

ChildProcesses::~ChildProcesses() {
  CloseOwned(impl_->next_input);
  // Still running when WaitAll was never reached: end them all, with their own
  // children, so that the readers see their pipes close.
  if (impl_->job) TerminateJobObject(impl_->job, STATUS_CONTROL_C_EXIT);
  for (Impl::Child& child : impl_->children) {
    if (child.process && !child.own_session) TerminateProcess(child.process, STATUS_CONTROL_C_EXIT);
  }
  for (std::thread& reader : impl_->readers) reader.join();
  for (Impl::Child& child : impl_->children) CloseOwned(child.process);
}

std::size_t ChildProcesses::Start(const std::vector<std::string>& argv, ChildStreams streams) {
  impl_->children.emplace_back();
  const std::size_t number = impl_->children.size() - 1;
  // Taken by this child whatever becomes of it, so that a later child never reads
  // what was meant for this one.
  HANDLE input = impl_->next_input;
  impl_->next_input = nullptr;
  if (argv.empty()) {
    CloseOwned(input);
    std::fprintf(stderr, "cannot start a program without a name\n");
    return number;
  }
  std::wstring command_line = Utf8ToWide(WindowsCommandLine(argv));

  std::lock_guard<std::mutex> start_lock(g_start_mutex);
  if (input) SetHandleInformation(input, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  HANDLE child_ends[3] = {input ? input : OpenNullDevice(GENERIC_READ), nullptr, nullptr};
  HANDLE read_ends[2] = {nullptr, nullptr};
  HANDLE to_next[2] = {nullptr, nullptr};  // read and write end of the pipe into the next child
  const OutputRoute* routes[2] = {&streams.output, &streams.errors};
  for (int stream = 0; stream < 2; ++stream) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    switch (routes[stream]->kind) {
      case OutputRoute::Kind::kInherit:
        child_ends[stream + 1] = InheritableStandardHandle(stream == 0 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
        break;
      case OutputRoute::Kind::kDiscard:
        child_ends[stream + 1] = OpenNullDevice(GENERIC_WRITE);
        break;
      case OutputRoute::Kind::kDeliver:
        if (CreatePipe(&read_ends[stream], &child_ends[stream + 1], &inherit, 0)) {
          SetHandleInformation(read_ends[stream], HANDLE_FLAG_INHERIT, 0);
        }
        break;
      case OutputRoute::Kind::kToNextChild:
        // A roomy pipe, so that a quick writer is seldom held up by its reader.
        if (!to_next[1] && CreatePipe(&to_next[0], &to_next[1], &inherit, 1 << 16)) {
          SetHandleInformation(to_next[0], HANDLE_FLAG_INHERIT, 0);
        }
        if (to_next[1]) {
          DuplicateHandle(GetCurrentProcess(), to_next[1], GetCurrentProcess(), &child_ends[stream + 1], 0, TRUE,
                          DUPLICATE_SAME_ACCESS);
        }
        break;
    }
  }
  // The child's copies are all that keep the pipe open for writing.
  CloseOwned(to_next[1]);

  STARTUPINFOW startup = StartupWith(child_ends[0], child_ends[1], child_ends[2]);
  PROCESS_INFORMATION started{};
  // Suspended until it is in the job, so that nothing it starts escapes the job.
  DWORD flags = CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED;
  if (streams.own_session) flags |= CREATE_NEW_PROCESS_GROUP;
  const BOOL ok = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                 &startup, &started);
  const DWORD error = ok ? 0 : GetLastError();
  for (HANDLE& end : child_ends) CloseOwned(end);

  // The next child sees the end of its input when this one ends, or at once when it
  // never started.
  impl_->next_input = to_next[0];
  Impl::Child& child = impl_->children.back();
  if (!ok) {
    for (HANDLE& end : read_ends) CloseOwned(end);
    std::fprintf(stderr, "cannot start %s: %s\n", argv[0].c_str(), SystemMessage(error).c_str());
    return number;
  }
  // A job inside a job needs Windows 8; where the assignment fails the child still
  // runs, and is only not ended with us.
  if (impl_->job && !streams.own_session) AssignProcessToJobObject(impl_->job, started.hProcess);
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  child.process = started.hProcess;
  child.own_session = streams.own_session;
  for (int stream = 0; stream < 2; ++stream) {
    if (!read_ends[stream]) continue;
    child.readers[stream] = routes[stream]->reader;
    {
      std::lock_guard<std::mutex> lock(impl_->mutex);
      ++impl_->open_streams;
    }
    impl_->readers.emplace_back(&Impl::Read, impl_.get(), number, stream, read_ends[stream]);
  }
  return number;
}

std::vector<int> ChildProcesses::WaitAll() {
  Impl& impl = *impl_;
  CloseOwned(impl.next_input);
  while (true) {
    Impl::Piece piece;
    {
      std::unique_lock<std::mutex> lock(impl.mutex);
      impl.arrived.wait(lock, [&impl] { return !impl.pieces.empty() || impl.open_streams == 0; });
      if (impl.pieces.empty()) break;
      piece = std::move(impl.pieces.front());
      impl.pieces.pop_front();
      if (piece.bytes.empty()) --impl.open_streams;
    }
    if (!piece.bytes.empty()) impl.children[piece.child].readers[piece.stream](piece.bytes);
  }
  for (std::thread& reader : impl.readers) reader.join();
  impl.readers.clear();
  std::vector<int> statuses;
  for (Impl::Child& child : impl.children) {
    if (child.process) {
      WaitForSingleObject(child.process, INFINITE);
      DWORD code = 127;
      GetExitCodeProcess(child.process, &code);
      child.status = static_cast<int>(code);
      CloseOwned(child.process);
    }
    statuses.push_back(child.status);
  }
  return statuses;
}

int SignalPassedOn() { return g_first_event.load(); }

bool StartDetached(const std::vector<std::string>& argv, const std::string& output_file) {
  if (argv.empty()) return false;
  std::wstring command_line = Utf8ToWide(WindowsCommandLine(argv));
  std::lock_guard<std::mutex> start_lock(g_start_mutex);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE ends[2] = {OpenNullDevice(GENERIC_READ),
                    output_file.empty()
                        ? OpenNullDevice(GENERIC_WRITE)
                        : CreateFileW(Utf8ToWide(output_file).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (ends[1] == INVALID_HANDLE_VALUE) {
    CloseOwned(ends[0]);
    return false;
  }
  // Output and errors share one handle, and so one place in the file.
  STARTUPINFOW startup = StartupWith(ends[0], ends[1], ends[1]);
  PROCESS_INFORMATION started{};
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP | DETACHED_PROCESS;
  // Out of our job where that is allowed, so that it outlives us.
  BOOL ok = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, flags | CREATE_BREAKAWAY_FROM_JOB,
                           nullptr, nullptr, &startup, &started);
  if (!ok) {
    ok = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup,
                        &started);
  }
  for (HANDLE& end : ends) CloseOwned(end);
  if (!ok) return false;
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

std::string ProgramBesideThisOne(const std::string& name) {
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::wstring own(size, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, own.data(), size);
    if (length == 0) return name;
    if (length >= size) continue;
    own.resize(length);
    const std::wstring beside = own.substr(0, own.find_last_of(L"\\/") + 1) + Utf8ToWide(name) + L".exe";
    const DWORD attributes = GetFileAttributesW(beside.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return name;
    return WideToUtf8(beside);
  }
}

}  // namespace clipvane
