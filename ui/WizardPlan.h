#pragma once

#include <windows.h>

#include <vector>

namespace updater {

// The pages a wizard can hold, each named after its dialog template.
enum class WizardPageKind { Choice = 106, Progress = 194, Summary = 195, Select = 196 };

// The /install kinds that show the wizard.
enum class WizardKind { CheckNow, Silent, SilentAll, SilentCritical };

// Which updates the driver selects itself before a sheet without a selection page.
enum class Preselection { None, All, CriticalOnly };

struct WizardPlan {
  WizardKind kind = WizardKind::CheckNow;  // the kind after the policy
  std::vector<WizardPageKind> pages;  // the first is the start page
  Preselection preselection = Preselection::None;
  // The automatic kinds run unattended: the sheet starts hidden in the notification area.
  bool startMinimized = false;
};

// The pages and the pre-selection of a kind; /install silent follows the stored AutoUpdatePolicy
// (`hasPolicy` says whether one is stored): AutoAll and AutoCritical run as their own kinds.
WizardPlan PlanWizard(WizardKind kind, bool hasPolicy, DWORD policy);

}  // namespace updater
