#include "engine/InstallOutcome.h"

namespace updater {

ResultCode InstallerExitResult(ResultCode launch, DWORD exitCode) {
  if (launch != kSuccess) return launch;
  if (exitCode == kInstallUserExit || exitCode == kUserCanceled) return exitCode;
  return kSuccess;
}

}  // namespace updater
