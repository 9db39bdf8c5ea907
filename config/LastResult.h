#pragma once

#include "base/ResultCode.h"
#include "config/SettingsStore.h"

namespace updater {

// The outcome of the latest run of the check family, for deployment scripts and support, in the
// Settings key: LastResult (REG_DWORD, the code the run ended with) and LastResultTime (when, as
// NextUpdateCheck is written). A failed write is not worth ending a run for.
void RecordLastResult(const SettingsStore& settings, ResultCode result);

}  // namespace updater
