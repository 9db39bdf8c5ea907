#include "automation/LauncherProcess.h"

#include <windows.h>
#include <tlhelp32.h>

namespace updater {
namespace {

DWORD ParentProcessId() {
  const KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) return entry.th32ParentProcessID;
  }
  return 0;
}

ULONGLONG CreationTime(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return ~0ull;
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace

KernelHandle OpenLauncherProcess() {
  const DWORD parentId = ParentProcessId();
  if (parentId == 0) return {};
  KernelHandle parent(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parentId));
  if (!parent || CreationTime(parent.Get()) > CreationTime(GetCurrentProcess())) return {};
  return parent;
}

}  // namespace updater
