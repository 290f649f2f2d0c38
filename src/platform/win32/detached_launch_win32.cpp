#include "platform/detached_launch.h"
#include "platform/utf.h"
#include "platform/win32/process_handles_win32.h"
#include "platform/windows_command_line.h"

namespace clipvane {

Expected<Launched, LaunchFailure> LaunchDetached(const std::vector<std::string>& argv, const std::string& output_file) {
  if (argv.empty()) return MakeUnexpected(LaunchFailure{"", "no program named"});
  std::wstring command_line = Utf8ToWide(WindowsCommandLine(argv));
  std::lock_guard<std::mutex> start_lock(InheritanceLock());
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE ends[2] = {OpenNullDevice(GENERIC_READ),
                    output_file.empty() ? OpenNullDevice(GENERIC_WRITE)
                                        : CreateFileW(Utf8ToWide(output_file).c_str(), GENERIC_WRITE,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (ends[1] == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    CloseOwned(ends[0]);
    return MakeUnexpected(LaunchFailure{argv[0], output_file + ": " + SystemMessage(error)});
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
  const DWORD error = ok ? 0 : GetLastError();
  for (HANDLE& end : ends) CloseOwned(end);
  if (!ok) return MakeUnexpected(LaunchFailure{argv[0], SystemMessage(error)});
  CloseHandle(started.hThread);
  const Launched launched = LaunchedFrom(started.hProcess);
  CloseHandle(started.hProcess);
  return launched;
}

}  // namespace clipvane
