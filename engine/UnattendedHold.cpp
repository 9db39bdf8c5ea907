#include "engine/UnattendedHold.h"

namespace updater {

bool IsUnattended(const InstallPlan& plan) { return plan.preselection != Preselection::None; }

ResultCode UpdateWindowHold(const InstallPlan& plan,
                            const std::optional<UpdateWindowHours>& window, int minuteOfDay) {
  if (!IsUnattended(plan) || !window || IsInsideWindow(*window, minuteOfDay)) return kSuccess;
  return kOutsideUpdateWindow;
}

ResultCode MeteredDownloadHold(const InstallPlan& plan, const SilentSelection& selection,
                               bool meteredAllowed, const std::function<bool()>& isMetered) {
  if (!IsUnattended(plan) || selection.toDownload == 0 || meteredAllowed) return kSuccess;
  return isMetered() ? kMeteredConnection : kSuccess;
}

}  // namespace updater
