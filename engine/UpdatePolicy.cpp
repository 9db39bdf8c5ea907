#include "engine/UpdatePolicy.h"

#include "config/ClientFlags.h"

namespace updater {

InstallPlan PlanInstall(InstallKind asked, std::optional<DWORD> policy, bool startMinimized) {
  InstallKind kind = asked;
  if (kind == InstallKind::Silent && policy == kAutoUpdatePolicyAutoAll) {
    kind = InstallKind::SilentAll;
  }
  if (kind == InstallKind::Silent && policy == kAutoUpdatePolicyAutoCritical) {
    kind = InstallKind::SilentCritical;
  }
  switch (kind) {
    case InstallKind::SilentAll:
      return {kind, Preselection::All, true};
    case InstallKind::SilentCritical:
      return {kind, Preselection::CriticalOnly, true};
    default:
      return {kind, Preselection::None, startMinimized};
  }
}

bool PreselectionLeavesWork(const SilentSelection& selection, bool justDownload) {
  return selection.selected != 0 && !(justDownload && selection.toDownload == 0);
}

}  // namespace updater
