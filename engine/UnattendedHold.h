#pragma once

#include <functional>
#include <optional>

#include "base/ResultCode.h"
#include "catalogue/Selection.h"
#include "config/AdminPolicy.h"
#include "engine/UpdatePolicy.h"

namespace updater {

// Whether a run installs with no person choosing: its plan preselects the updates. The
// administrator's limits on unattended installations hold for these runs only.
bool IsUnattended(const InstallPlan& plan);

// kOutsideUpdateWindow when an unattended run starts at `minuteOfDay` (local time, 0-1439)
// outside the administrator's `window`; kSuccess otherwise and without a window.
ResultCode UpdateWindowHold(const InstallPlan& plan,
                            const std::optional<UpdateWindowHours>& window, int minuteOfDay);

// kMeteredConnection when an unattended run still has installers to download (`selection`), the
// administrator did not allow metered downloads and `isMetered` says the connection is metered;
// kSuccess otherwise. `isMetered` is asked only when its answer decides.
ResultCode MeteredDownloadHold(const InstallPlan& plan, const SilentSelection& selection,
                               bool meteredAllowed, const std::function<bool()>& isMetered);

}  // namespace updater
