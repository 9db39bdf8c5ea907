#include "install/InstallerLaunch.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "base/ProcessStart.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "install/AppPackageScript.h"
#include "install/PowerShellRunner.h"

namespace updater {
namespace {

bool HasExtension(const std::wstring& path, const wchar_t* extension) {
  return _wcsicmp(PathFindExtensionW(path.c_str()), extension) == 0;
}

}  // namespace

std::wstring InstallCommandLine(const UpdateInfo& update, bool forceMsiBasicUi) {
  if (!forceMsiBasicUi || !HasExtension(update.localFilePath, L".msi") ||
      update.commandLine.find(L"/qb") != std::wstring::npos) {
    return update.commandLine;
  }
  return update.commandLine + L" /qb";
}

InstallerLaunch PlanInstallerLaunch(const UpdateInfo& update, bool forceMsiBasicUi) {
  InstallerLaunch launch;
  if (HasExtension(update.localFilePath, L".appx")) {
    launch.isAppPackage = true;
    launch.script = AppPackageScript(update.localFilePath);
    return launch;
  }
  launch.file = update.localFilePath;
  launch.parameters = InstallCommandLine(update, forceMsiBasicUi);
  launch.show = update.HasFlag(kUpdateSilentInstall) ? SW_HIDE : SW_SHOWNORMAL;
  return launch;
}

ResultCode RunInstaller(const UpdateInfo& update, bool forceMsiBasicUi, bool wait,
                        DWORD* exitCode) {
  const InstallerLaunch launch = PlanInstallerLaunch(update, forceMsiBasicUi);
  if (launch.isAppPackage) {
    PowerShellRunner runner;
    if (runner.RunScript(launch.script)) return kSuccess;
    RegisterResultText(kAppPackageFailed, runner.Output());
    return kAppPackageFailed;
  }
  ShellOpen open{launch.file, launch.parameters};
  open.show = launch.show;
  // Elevation is left to the installer's manifest and to the shell. The shell shows no error box:
  // a silent run would wait for it forever, and the result code reports the failure anyway.
  open.mask = SEE_MASK_FLAG_NO_UI;
  KernelHandle process;
  const ResultCode opened = OpenThroughShell(open, wait ? &process : nullptr);
  if (opened != kSuccess) return opened;
  if (process) {
    WaitForSingleObject(process.Get(), INFINITE);
    GetExitCodeProcess(process.Get(), exitCode);
  }
  return kSuccess;
}

}  // namespace updater
