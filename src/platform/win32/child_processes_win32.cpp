#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/child_processes.h"
#include "platform/signal_relay.h"
#include "platform/utf.h"
#include "platform/win32/process_handles_win32.h"
#include "platform/windows_command_line.h"

namespace clipvane {
namespace {

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

  SignalRelay* relay = nullptr;
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

  explicit Impl(SignalRelay* relay_) : relay(relay_) {
    // Every child goes into one job that ends them all when its last handle closes,
    // which happens when this process ends, however it ends.
    job = CreateJobObjectW(nullptr, nullptr);
    if (job) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
      if (relay) relay->Add(reinterpret_cast<SignalRelay::Target>(job));
    }
  }

  ~Impl() {
    if (job) {
      if (relay) relay->Remove(reinterpret_cast<SignalRelay::Target>(job));
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

ChildProcesses::ChildProcesses(SignalRelay* relay) : impl_(std::make_unique<Impl>(relay)) {}

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

Expected<std::size_t, LaunchFailure> ChildProcesses::Start(const std::vector<std::string>& argv, ChildStreams streams) {
  impl_->children.emplace_back();
  const std::size_t number = impl_->children.size() - 1;
  // Taken by this child whatever becomes of it, so that a later child never reads
  // what was meant for this one.
  HANDLE input = impl_->next_input;
  impl_->next_input = nullptr;
  if (argv.empty()) {
    CloseOwned(input);
    return MakeUnexpected(LaunchFailure{"", "no program named"});
  }
  std::wstring command_line = Utf8ToWide(WindowsCommandLine(argv));

  std::lock_guard<std::mutex> start_lock(InheritanceLock());
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
      case OutputRoute::Kind::kDiscard: child_ends[stream + 1] = OpenNullDevice(GENERIC_WRITE); break;
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
  // A window program's console child would open a console window of its own.
  if (!GetConsoleWindow()) flags |= CREATE_NO_WINDOW;
  const BOOL ok =
      CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup, &started);
  const DWORD error = ok ? 0 : GetLastError();
  for (HANDLE& end : child_ends) CloseOwned(end);

  // The next child sees the end of its input when this one ends, or at once when it
  // never started.
  impl_->next_input = to_next[0];
  Impl::Child& child = impl_->children.back();
  if (!ok) {
    for (HANDLE& end : read_ends) CloseOwned(end);
    return MakeUnexpected(LaunchFailure{argv[0], SystemMessage(error)});
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

std::vector<int> ChildProcesses::WaitAll() { return WaitAll(nullptr, 0); }

std::vector<int> ChildProcesses::WaitAll(const std::function<bool()>& stop_wanted, unsigned interval_ms) {
  Impl& impl = *impl_;
  CloseOwned(impl.next_input);
  bool stopped = false;
  while (true) {
    if (stop_wanted && !stopped && stop_wanted()) {
      stopped = true;
      // The job ends the children with everything they started.
      if (impl.job) TerminateJobObject(impl.job, STATUS_CONTROL_C_EXIT);
      for (Impl::Child& child : impl.children)
        if (child.process) TerminateProcess(child.process, STATUS_CONTROL_C_EXIT);
    }
    Impl::Piece piece;
    {
      std::unique_lock<std::mutex> lock(impl.mutex);
      const auto ready = [&impl] { return !impl.pieces.empty() || impl.open_streams == 0; };
      if (stop_wanted && !stopped) {
        if (!impl.arrived.wait_for(lock, std::chrono::milliseconds(interval_ms), ready)) continue;
      } else {
        impl.arrived.wait(lock, ready);
      }
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

std::uint32_t ChildProcesses::ProcessId(std::size_t child) const {
  if (child >= impl_->children.size() || !impl_->children[child].process) return 0;
  return GetProcessId(impl_->children[child].process);
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
