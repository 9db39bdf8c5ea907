#include "ui/WizardPlan.h"

#include "config/ClientFlags.h"

namespace updater {

WizardPlan PlanWizard(WizardKind kind, bool hasPolicy, DWORD policy) {
  if (kind == WizardKind::Silent && hasPolicy) {
    if (policy == kAutoUpdatePolicyAutoAll) kind = WizardKind::SilentAll;
    if (policy == kAutoUpdatePolicyAutoCritical) kind = WizardKind::SilentCritical;
  }
  using Page = WizardPageKind;
  switch (kind) {
    case WizardKind::CheckNow:
      return {kind, {Page::Select, Page::Progress, Page::Summary}, Preselection::None};
    case WizardKind::Silent:
      return {kind,
              {Page::Choice, Page::Select, Page::Progress, Page::Summary},
              Preselection::None};
    case WizardKind::SilentAll:
      return {kind, {Page::Progress, Page::Summary}, Preselection::All, true};
    case WizardKind::SilentCritical:
      return {kind, {Page::Progress, Page::Summary}, Preselection::CriticalOnly, true};
  }
  return {};
}

}  // namespace updater
