#include "ui/WizardPages.h"

namespace updater {

std::vector<WizardPageKind> WizardPages(InstallMode mode) {
  using Page = WizardPageKind;
  switch (mode) {
    case InstallMode::CheckNow:
      return {Page::Select, Page::Progress, Page::Summary};
    case InstallMode::Silent:
      return {Page::Choice, Page::Select, Page::Progress, Page::Summary};
    case InstallMode::SilentAll:
    case InstallMode::SilentCritical:
      return {Page::Progress, Page::Summary};
  }
  return {};
}

}  // namespace updater
