#pragma once

#include "engine/InstallMode.h"

namespace updater {

// The numbers appear in the log after "Mode: "; 5 is never produced. The /install modes are the
// engine's install modes, number for number.
enum class RunMode : int {
  CheckNow = 0,
  Silent = 1,
  SilentAll = 2,
  SilentCritical = 3,
  Configure = 4,
  Install = static_cast<int>(InstallMode::CheckNow),
  InstallSilent = static_cast<int>(InstallMode::Silent),
  InstallSilentAll = static_cast<int>(InstallMode::SilentAll),
  InstallSilentCritical = static_cast<int>(InstallMode::SilentCritical),
  Clean = 10,
  JustCheck = 11,
  JustCheckCritical = 12,
  RunService = 13,
  DebugService = 14,
  InstallService = 15,
  ConfigService = 16,
  UninstallService = 17,
  RunServer = 18,
  SetSetting = 19,
  Automation = 20,
  OpenLink = 21,
};

// The engine's install mode of an /install run mode, and back.
constexpr InstallMode InstallModeOf(RunMode mode) { return static_cast<InstallMode>(mode); }
constexpr RunMode RunModeOf(InstallMode mode) { return static_cast<RunMode>(mode); }

}  // namespace updater
