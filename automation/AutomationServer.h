#pragma once

#include <windows.h>

#include <string>

#include "automation/UpdaterObject.h"
#include "base/ResultCode.h"

namespace updater {

constexpr wchar_t kProxyStubLibraryName[] = L"Updater-comproxystub.dll";

struct AutomationServerOptions {
  std::wstring classId;  // "{...}"
  // Loads the proxy-stub library beside `executablePath` and registers it for the current user.
  bool registerProxyStub = false;
  std::wstring executablePath;
  // A server that COM started for a client that died before creating an object would otherwise
  // wait for ever.
  DWORD idleMs = 60000;
  // Ends the server with the process that started it: under Wine, the client (see
  // OpenLauncherProcess).
  bool endWithLauncher = false;
};

// Serves the class `classId` on this thread until its last object is released, until no object
// was alive for `idleMs`, or until the launcher ends. kInvalidCommandLine for a class id that is
// not one.
ResultCode ServeAutomation(const AutomationContext& context,
                           const AutomationServerOptions& options);

// Ends the serving loop (nothing when none runs on any thread).
void EndAutomationServer();

}  // namespace updater
