#include "tools/driver/WatcherProcess.h"

#include <psapi.h>

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <vector>

#include "tools/driver/TrayRecorder.h"
#include "tools/driver/WindowDriver.h"

WatcherProcess::WatcherProcess(const std::string& exe, const std::string& arguments) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  if (!::CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &FInfo))
    throw std::runtime_error("cannot start " + exe);
}

WatcherProcess::~WatcherProcess() {
  if (::WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(FInfo.hProcess, 99);
    // Its last tray calls come here; they must not hang its end.
    PumpUntil([this] { return !Running(); }, 10000);
  }
  ::CloseHandle(FInfo.hProcess);
  ::CloseHandle(FInfo.hThread);
}

HWND WatcherProcess::Find(const char* className, bool visibleOnly) const {
  return FindProcessWindow(FInfo.dwProcessId, className, visibleOnly);
}

HWND WatcherProcess::WaitFor(const char* className, bool visibleOnly, DWORD timeout) const {
  HWND found = nullptr;
  PumpUntil([&] { return (found = Find(className, visibleOnly)) != nullptr || !Running(); }, timeout);
  return found;
}

bool WatcherProcess::WaitForExit(DWORD timeout) const {
  return PumpUntil([this] { return !Running(); }, timeout);
}

bool WatcherProcess::Running() const { return ::WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT; }

DWORD WatcherProcess::ExitCode() const {
  DWORD code = 0;
  ::GetExitCodeProcess(FInfo.hProcess, &code);
  return code;
}

namespace {

// The system's handle table, as NtQuerySystemInformation lists it.
struct HandleEntry {
  ULONG OwnerPid;
  BYTE ObjectType;
  BYTE HandleFlags;
  USHORT HandleValue;
  PVOID ObjectPointer;
  ULONG AccessMask;
};
struct HandleTable {
  ULONG Count;
  HandleEntry Handles[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

}  // namespace

// Wine answers GetProcessHandleCount for another process with 0; its
// system handle table does list every process's handles.
bool CountHandlesInSystemTable(DWORD processId, DWORD& count) {
  const auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return false;
  std::vector<char> buffer(1 << 16);
  LONG status = kInfoLengthMismatch;
  // The table grows while we look; 64 MiB is far beyond any test machine.
  while (buffer.size() <= (64u << 20)) {
    ULONG needed = 0;
    status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status != kInfoLengthMismatch) break;
    buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
  }
  if (status != 0) return false;
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
  const size_t room = (buffer.size() - offsetof(HandleTable, Handles)) / sizeof(HandleEntry);
  count = 0;
  for (size_t i = 0; i < table->Count && i < room; ++i) count += table->Handles[i].OwnerPid == processId;
  return true;
}

// Wine reports no private bytes for another process (it gives 0). The
// committed private regions of its address space are what Windows counts.
bool SumCommittedPrivate(HANDLE process, SIZE_T& bytes) {
  SYSTEM_INFO system;
  ::GetSystemInfo(&system);
  auto* at = static_cast<char*>(system.lpMinimumApplicationAddress);
  auto* const end = static_cast<char*>(system.lpMaximumApplicationAddress);
  bytes = 0;
  MEMORY_BASIC_INFORMATION region;
  // Each step moves past one region, so the walk ends at the top of the
  // address space.
  while (at < end && ::VirtualQueryEx(process, at, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
    if (region.RegionSize == 0) return false;
    at = static_cast<char*>(region.BaseAddress) + region.RegionSize;
  }
  return bytes != 0;
}

bool MeasureProcess(HANDLE process, ProcessUsage& usage) {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  FILETIME created, ended, kernel, user;
  if (!::GetProcessHandleCount(process, &usage.Handles) ||
      (usage.Handles == 0 && !CountHandlesInSystemTable(::GetProcessId(process), usage.Handles)) ||
      !::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) ||
      !::GetProcessTimes(process, &created, &ended, &kernel, &user))
    return false;
  usage.PrivateBytes = memory.PrivateUsage;
  if (usage.PrivateBytes == 0 && !SumCommittedPrivate(process, usage.PrivateBytes)) return false;
  usage.WorkingSet = memory.WorkingSetSize;
  usage.PeakWorkingSet = memory.PeakWorkingSetSize;
  const auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  usage.CpuSeconds = static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
  return true;
}
