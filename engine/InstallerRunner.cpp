#include "engine/InstallerRunner.h"

#include <windows.h>

#include <string>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "engine/InstallOutcome.h"
#include "install/InstallerLaunch.h"

namespace updater {

ResultCode DirectInstallerRunner::Run(const UpdateInfo& update) {
  DWORD exitCode = 0;
  const ResultCode launch = RunInstaller(update, forceMsiBasicUi_, true, &exitCode);
  if (Logger::Instance().ShouldLog(kLogTrace)) {
    Log(kLogTrace, L"Update \"" + update.name + L"\" installer runned. Exit code: " +
                       std::to_wstring(exitCode) + L". Return code: " + ResultText(launch));
  }
  return InstallerExitResult(launch, exitCode);
}

}  // namespace updater
