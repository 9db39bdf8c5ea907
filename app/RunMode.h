#pragma once

namespace updater {

// The numbers appear in the log after "Mode: "; 5 is never produced.
enum class RunMode : int {
  CheckNow = 0,
  Silent = 1,
  SilentAll = 2,
  SilentCritical = 3,
  Configure = 4,
  Install = 6,
  InstallSilent = 7,
  InstallSilentAll = 8,
  InstallSilentCritical = 9,
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

}  // namespace updater
