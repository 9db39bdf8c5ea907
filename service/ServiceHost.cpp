#include "service/ServiceHost.h"

#include <windows.h>

#include "base/Logger.h"
#include "base/ResultText.h"

namespace updater {
namespace {

// The dispatcher calls ServiceMain without any context of ours, so the handler of this one
// service per process waits here.
ServiceRequestHandler* g_handler = nullptr;

// Shared by ServiceMain's thread and the dispatcher's thread, which runs the control handler.
SRWLOCK g_statusLock = SRWLOCK_INIT;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status = {};

ResultCode ReportStatus(DWORD state, ResultCode exitCode, DWORD waitHint) {
  AcquireSRWLockExclusive(&g_statusLock);
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
  g_status.dwWin32ExitCode = exitCode == kSuccess ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
  g_status.dwServiceSpecificExitCode = exitCode;
  g_status.dwCheckPoint = 0;
  g_status.dwWaitHint = waitHint;
  const BOOL reported = SetServiceStatus(g_statusHandle, &g_status);
  const ResultCode error = reported ? kSuccess : GetLastError();
  ReleaseSRWLockExclusive(&g_statusLock);
  return error;
}

ResultCode ReportCurrentStatus() {
  AcquireSRWLockExclusive(&g_statusLock);
  const ResultCode error = SetServiceStatus(g_statusHandle, &g_status) ? kSuccess : GetLastError();
  ReleaseSRWLockExclusive(&g_statusLock);
  return error;
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void*) {
  Log(kLogTrace, L"Handler");
  ResultCode error = kSuccess;
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    // Stopping must not wait for the request to finish: the manager asks again after the hint.
    error = ReportStatus(SERVICE_STOP_PENDING, kSuccess, 3000);
    Log(kLogTrace, L"Stoping service");
    g_handler->Stop();
  } else {
    error = ReportCurrentStatus();
  }
  if (error != kSuccess) Log(kLogError, L"Unable to set the service status: " + ResultText(error));
  return NO_ERROR;
}

void ReportFromMain(DWORD state, ResultCode exitCode) {
  const ResultCode error = ReportStatus(state, exitCode, 0);
  if (error != kSuccess) {
    Log(kLogError, L"Unable to set the service status error code: " + ResultText(error));
  }
}

void WINAPI ServiceMain(DWORD argc, wchar_t** argv) {
  g_statusHandle =
      RegisterServiceCtrlHandlerExW(argc > 0 ? argv[0] : L"", ControlHandler, nullptr);
  if (!g_statusHandle) {
    Log(kLogError, L"Unable to find the service error code: " + ResultText(GetLastError()));
    return;
  }
  if (g_handler->Prepare() == -1) {
    ReportFromMain(SERVICE_STOPPED, kSuccess);
    return;
  }
  ReportFromMain(SERVICE_RUNNING, kSuccess);
  const std::vector<std::wstring> arguments(argv, argv + argc);
  ReportFromMain(SERVICE_STOPPED, g_handler->Handle(arguments));
}

}  // namespace

ResultCode RunService(const std::wstring& name, ServiceRequestHandler& handler) {
  g_handler = &handler;
  // An own-process service may leave its entry's name empty.
  wchar_t emptyName[] = L"";
  const SERVICE_TABLE_ENTRYW table[] = {{emptyName, ServiceMain}, {nullptr, nullptr}};
  if (StartServiceCtrlDispatcherW(table)) return kSuccess;
  const ResultCode error = GetLastError();
  Log(kLogError, L"Unable to start service " + name + L" error: " + ResultText(error));
  return error;
}

}  // namespace updater
