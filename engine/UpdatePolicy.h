#pragma once

#include <windows.h>

#include <optional>

#include "catalogue/Selection.h"
#include "engine/InstallMode.h"

namespace updater {

// Which updates a run selects itself before it downloads; with None the user chooses.
enum class Preselection { None, All, CriticalOnly };

// What an /install run does once the policy is applied, whichever front end shows it.
struct InstallPlan {
  InstallMode mode = InstallMode::CheckNow;  // the mode after the policy
  Preselection preselection = Preselection::None;
  // The automatic modes run unattended, as does a run started minimised: hidden in the
  // notification area.
  bool startMinimized = false;
};

// The plan of a run asked for as `asked`. /install silent follows the stored AutoUpdatePolicy
// (`policy`, empty when none is stored): AutoAll and AutoCritical run as their own modes.
// `startMinimized` is the run's own switch.
InstallPlan PlanInstall(InstallMode asked, std::optional<DWORD> policy, bool startMinimized);

// Whether a run that preselected `selection` has work left: some update is selected and, for a
// run that only downloads, some selected one is still to be downloaded.
bool PreselectionLeavesWork(const SilentSelection& selection, bool justDownload);

}  // namespace updater
