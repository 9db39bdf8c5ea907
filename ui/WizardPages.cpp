#include "ui/WizardPages.h"

namespace updater {

std::vector<WizardPageKind> WizardPages(InstallKind kind) {
  using Page = WizardPageKind;
  switch (kind) {
    case InstallKind::CheckNow:
      return {Page::Select, Page::Progress, Page::Summary};
    case InstallKind::Silent:
      return {Page::Choice, Page::Select, Page::Progress, Page::Summary};
    case InstallKind::SilentAll:
    case InstallKind::SilentCritical:
      return {Page::Progress, Page::Summary};
  }
  return {};
}

}  // namespace updater
