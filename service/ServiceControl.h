#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"

namespace updater {

// A handle of the service control manager or of one service.
using ServiceHandle = ClosedBy<SC_HANDLE, &CloseServiceHandle>;

// The binary path the service control manager runs: the executable and "/runservice", the
// executable quoted when it holds a blank, since the manager would otherwise try "C:\Program"
// and the like first.
std::wstring ServiceCommandLine(const std::wstring& executablePath);

// Registers `executablePath` as a service named ExecutableBaseName(executablePath), started on
// demand, that runs as LocalSystem, with a description, and lets every user start and stop it.
// A service whose permission could not be added is deleted again. Nothing is registered from a
// place that other users can change (CheckServiceLocation). Returns 0, kUnsafeServiceLocation or
// the Windows error.
ResultCode InstallService(const std::wstring& executablePath);

// Deletes the service `name`. Returns 0 or the Windows error.
ResultCode UninstallService(const std::wstring& name);

// `dacl` (a service's; null for none) with an entry that lets Everyone start and stop the service
// and read who may, and nothing more: SERVICE_CHANGE_CONFIG would let any user run anything as
// LocalSystem. `combined` is freed with LocalFree.
ResultCode AddEveryoneStartAndStop(PACL dacl, PACL* combined);

// Lets every user start and stop the service `name` of `manager`.
ResultCode ConfigService(SC_HANDLE manager, const std::wstring& name);

// Opens the service control manager and the service `name` with `access`; failures are logged.
ResultCode OpenServiceByName(const std::wstring& name, DWORD access, ServiceHandle* manager,
                             ServiceHandle* service);

// Polls the service until it reaches `state`; kRequestTimeout after `timeoutMs`.
ResultCode WaitForServiceState(SC_HANDLE service, DWORD state, DWORD timeoutMs = 30000,
                               DWORD pollMs = 500);

// The configured binary path of the service `name`, with its switches.
ResultCode QueryServiceBinaryPath(const std::wstring& name, std::wstring* binaryPath);

// Starts the service `name` with one start argument, which it sees after its own name.
ResultCode StartServiceWithArgument(const std::wstring& name, const std::wstring& argument);

}  // namespace updater
