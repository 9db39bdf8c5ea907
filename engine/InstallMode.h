#pragma once

namespace updater {

// What an /install run of a temporary copy was started for. The numbers are those of the run
// modes the command line names them by, which the log shows.
enum class InstallMode : int { CheckNow = 6, Silent = 7, SilentAll = 8, SilentCritical = 9 };

}  // namespace updater
