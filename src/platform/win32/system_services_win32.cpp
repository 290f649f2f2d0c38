// The process entries are read through the ANSI Toolhelp calls, whose names the
// Unicode build would otherwise map to their wide twins.
#undef UNICODE
#undef _UNICODE
#include <windows.h>
// windows.h first: the shell and Toolhelp headers depend on it.
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <vector>

#include "platform/system_services.h"
#include "platform/utf.h"
#include "platform/win32/process_handles_win32.h"

namespace clipvane {
namespace {

// Another process's command line, where Windows lets us read it: asked for by its own
// class of NtQueryInformationProcess (Windows 8.1 and later), or else read from the
// process's parameters in its memory, as older Windows and Wine need.
std::optional<std::string> CommandLineOf(DWORD id) {
  using Query = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  if (!query) return std::nullopt;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (!process) return std::nullopt;
  struct Counted {
    USHORT length, maximum;
    PWSTR text;
  };
  std::optional<std::string> line;
  std::vector<unsigned char> buffer(4096);
  ULONG needed = 0;
  if (query(process, 60, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) == 0) {
    const auto* counted = reinterpret_cast<const Counted*>(buffer.data());
    line = counted->text ? WideToUtf8(std::wstring_view(counted->text, counted->length / sizeof(wchar_t))) : "";
  } else {
    // The 64-bit layouts: the parameters' address in the PEB, the command line in them.
    struct Basic {
      LONG_PTR exit_status;
      PVOID peb;
      ULONG_PTR affinity, priority, id, parent;
    } basic{};
    PVOID parameters = nullptr;
    Counted counted{};
    SIZE_T got = 0;
    if (query(process, 0, &basic, sizeof basic, &needed) == 0 && basic.peb &&
        ReadProcessMemory(process, static_cast<char*>(basic.peb) + 0x20, &parameters, sizeof parameters, &got) &&
        parameters &&
        ReadProcessMemory(process, static_cast<char*>(parameters) + 0x70, &counted, sizeof counted, &got)) {
      std::wstring text(counted.length / sizeof(wchar_t), L'\0');
      if (text.empty() || ReadProcessMemory(process, counted.text, text.data(), counted.length, &got))
        line = WideToUtf8(text);
    }
  }
  CloseHandle(process);
  return line;
}

class ToolhelpProcessList final : public ProcessList {
 public:
  std::vector<ProcessEntry> Snapshot() const override {
    std::vector<ProcessEntry> entries;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return entries;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;  // 296, the ANSI entry
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      const char* name = entry.szExeFile;
      entries.push_back({entry.th32ProcessID, std::string(name, strnlen(name, MAX_PATH)), entry.th32ParentProcessID,
                         CommandLineOf(entry.th32ProcessID)});
    }
    CloseHandle(snapshot);
    return entries;
  }

  std::uint32_t OwnProcessId() const override { return GetCurrentProcessId(); }
};

class Win32Sleeper final : public Sleeper {
 public:
  void SleepMilliseconds(unsigned milliseconds) override { Sleep(milliseconds); }
};

class Win32PowerControl final : public PowerControl {
 public:
  // Enables the shutdown privilege and forces the power off. Nothing is checked:
  // a refusal leaves the computer running and the caller ends all the same.
  void PowerOff() override {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
    TOKEN_PRIVILEGES wanted{};
    LookupPrivilegeValueA("", "SeShutdownPrivilege", &wanted.Privileges[0].Luid);
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD previous_length = 0;
    AdjustTokenPrivileges(token, FALSE, &wanted, sizeof wanted, &previous, &previous_length);
    ExitWindowsEx(EWX_POWEROFF | EWX_FORCE, 0);
    if (token) CloseHandle(token);
  }

  void Suspend() override { ShellExecuteA(nullptr, "open", "rundll32", "powrprof.dll,SetSuspendState", "", SW_SHOW); }
};

}  // namespace

std::string ExecutablePath() {
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::string path(size, '\0');
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
    if (n < size) {
      path.resize(n);
      return path;
    }
  }
}

std::string FontsFolder() {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_FONTS, &items)) || !items) return {};
  char path[MAX_PATH + 1] = {};
  const BOOL ok = SHGetPathFromIDListA(items, path);
  CoTaskMemFree(items);
  return ok ? std::string(path) : std::string();
}

std::string UserDataFolder() { return {}; }

bool ProcessIsAlive(std::uint32_t id) {
  if (id == 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to look at
  const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return alive;
}

std::optional<ProcessIdentity> IdentifyProcess(std::uint32_t id) {
  if (id == 0) return std::nullopt;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
  if (!process) return std::nullopt;  // gone, or another user's, which no job of ours is
  const std::string started = WaitForSingleObject(process, 0) == WAIT_TIMEOUT ? CreationTimeOf(process) : "";
  CloseHandle(process);
  if (started.empty()) return std::nullopt;
  return ProcessIdentity{id, started};
}

std::uint32_t ParentProcessId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  const DWORD own = GetCurrentProcessId();
  std::uint32_t parent = 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more && parent == 0; more = Process32Next(snapshot, &entry))
    if (entry.th32ProcessID == own) parent = entry.th32ParentProcessID;
  CloseHandle(snapshot);
  return parent;
}

bool CanWriteInFolder(const std::string& folder) {
  // A folder's read-only mark says nothing on Windows: only a file made there tells.
  char probe[MAX_PATH + 1] = {};
  if (!GetTempFileNameA(folder.c_str(), "cv", 0, probe)) return false;
  DeleteFileA(probe);
  return true;
}

ProcessList& NativeProcessList() {
  static ToolhelpProcessList list;
  return list;
}

Sleeper& NativeSleeper() {
  static Win32Sleeper sleeper;
  return sleeper;
}

PowerControl& NativePowerControl() {
  static Win32PowerControl power;
  return power;
}

}  // namespace clipvane
