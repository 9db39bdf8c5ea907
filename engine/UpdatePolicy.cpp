#include "engine/UpdatePolicy.h"

#include "config/ClientFlags.h"

namespace updater {

InstallPlan PlanInstall(InstallMode asked, std::optional<DWORD> policy, bool startMinimized) {
  InstallMode mode = asked;
  if (mode == InstallMode::Silent && policy == kAutoUpdatePolicyAutoAll) {
    mode = InstallMode::SilentAll;
  }
  if (mode == InstallMode::Silent && policy == kAutoUpdatePolicyAutoCritical) {
    mode = InstallMode::SilentCritical;
  }
  switch (mode) {
    case InstallMode::SilentAll:
      return {mode, Preselection::All, true};
    case InstallMode::SilentCritical:
      return {mode, Preselection::CriticalOnly, true};
    default:
      return {mode, Preselection::None, startMinimized};
  }
}

bool PreselectionLeavesWork(const SilentSelection& selection, bool justDownload) {
  return selection.selected != 0 && !(justDownload && selection.toDownload == 0);
}

}  // namespace updater
