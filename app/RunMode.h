#pragma once

#include "engine/UpdatePolicy.h"

namespace updater {

// The numbers appear in the log after "Mode: "; 5 is never produced. The /install modes are the
// engine's install kinds, number for number.
enum class RunMode : int {
  CheckNow = 0,
  Silent = 1,
  SilentAll = 2,
  SilentCritical = 3,
  Configure = 4,
  Install = static_cast<int>(InstallKind::CheckNow),
  InstallSilent = static_cast<int>(InstallKind::Silent),
  InstallSilentAll = static_cast<int>(InstallKind::SilentAll),
  InstallSilentCritical = static_cast<int>(InstallKind::SilentCritical),
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

// The install kind of an /install mode, and the mode of a kind.
constexpr InstallKind InstallKindOf(RunMode mode) { return static_cast<InstallKind>(mode); }
constexpr RunMode RunModeOf(InstallKind kind) { return static_cast<RunMode>(kind); }

}  // namespace updater
