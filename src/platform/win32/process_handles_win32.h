#pragma once
#include <windows.h>

#include <mutex>
#include <string>

#include "platform/detached_launch.h"

namespace clipvane {

// What the attached children and the detached launcher share on Windows.

// The system's words for an error code, in UTF-8.
std::string SystemMessage(DWORD error);

// Inheritable handles exist only while one child is being made, under this lock, so
// that two children started from two threads never inherit each other's pipes (a
// pipe held open by the wrong child would never report its end).
std::mutex& InheritanceLock();

// The null device, inheritable.
HANDLE OpenNullDevice(DWORD access);

STARTUPINFOW StartupWith(HANDLE input, HANDLE output, HANDLE errors);

void CloseOwned(HANDLE& handle);

// When the process started, as IdentifyProcess names it: its creation time in
// 100-nanosecond steps since 1601, which no two processes of one id share. Empty when
// the system will not tell.
std::string CreationTimeOf(HANDLE process);

// The process of a handle as Launched names it.
Launched LaunchedFrom(HANDLE process);

}  // namespace clipvane
