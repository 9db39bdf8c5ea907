#pragma once

#include <string>

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

// What the command server starts for an installer: the program and its whole command line.
struct ServerLaunch {
  std::wstring program;
  std::wstring commandLine;
};

// The installer arguments for a run without user interface: "/exenoui", the command line and
// " /qn" when NoGuiSwitch holds the token "/exenoui" (any letter case); otherwise the command line,
// a blank and NoGuiSwitch.
std::wstring SilentCommandLine(const UpdateInfo& update);

// Windows Installer packages (".msi") and patches (".msp") run through msiexec.exe of the system
// folder under `windowsFolder`, without interface; anything else is started itself. The silent
// arguments follow. kMsiexecNotFound for a package when the Windows folder is unknown.
ResultCode PlanServerLaunch(const std::wstring& installer, const std::wstring& silentArguments,
                            const std::wstring& windowsFolder, ServerLaunch* launch);

// The Windows folder as the "windir" environment variable gives it; empty when it is not set.
std::wstring WindowsFolderFromEnvironment();

}  // namespace updater
