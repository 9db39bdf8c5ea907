#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// What the command server starts for an installer: the program and its whole command line.
struct ServerLaunch {
  std::wstring program;
  std::wstring commandLine;
};

// Windows Installer packages (".msi") and patches (".msp") run through msiexec.exe of the system
// folder under `windowsFolder`, without interface; anything else is started itself. The silent
// arguments follow. kMsiexecNotFound for a package when the Windows folder is unknown.
ResultCode PlanServerLaunch(const std::wstring& installer, const std::wstring& silentArguments,
                            const std::wstring& windowsFolder, ServerLaunch* launch);

// The Windows folder as the "windir" environment variable gives it; empty when it is not set.
std::wstring WindowsFolderFromEnvironment();

}  // namespace updater
