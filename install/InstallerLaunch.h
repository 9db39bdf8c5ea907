#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

// How one update's installer is started: an app package through PowerShell, anything else
// (executables, Windows Installer packages and patches) opened by the shell.
struct InstallerLaunch {
  bool isAppPackage = false;
  // App package: the script that installs it.
  std::wstring script;
  // Shell: the file opened, its parameters (empty: none) and the show state.
  std::wstring file;
  std::wstring parameters;
  int show = SW_SHOWNORMAL;
};

// The update's CommandLine, with " /qb" added for an .msi when the basic interface is forced and
// the text does not ask for it already.
std::wstring InstallCommandLine(const UpdateInfo& update, bool forceMsiBasicUi);

InstallerLaunch PlanInstallerLaunch(const UpdateInfo& update, bool forceMsiBasicUi);

// Starts the update's installer and, when `wait`, waits for it and stores its exit code. Returns
// the launch's Windows error, kAppPackageFailed (with the PowerShell output registered as its
// text) or 0. An app package gives no exit code.
ResultCode RunInstaller(const UpdateInfo& update, bool forceMsiBasicUi, bool wait,
                        DWORD* exitCode);

}  // namespace updater
