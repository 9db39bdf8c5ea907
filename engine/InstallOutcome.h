#pragma once

#include <windows.h>

#include "base/ResultCode.h"

namespace updater {

// The result of one installer run: the launch's failure, or the exit code when the user
// cancelled the installer (1602, 1223). Any other exit code counts as success, since installers
// disagree on what they return; detection afterwards decides whether the update is there.
ResultCode InstallerExitResult(ResultCode launch, DWORD exitCode);

}  // namespace updater
