#pragma once

#include "ui/WizardPage.h"

namespace updater {

// The summary page (template 195): one row per update selected for install with its outcome,
// and a note when some failed; after a failure Back returns to the choice of updates.
class SummaryPage : public WizardPage {
 public:
  explicit SummaryPage(WizardShared& shared);

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInit();
  void Fill();

  bool anyFailed_ = false;
};

}  // namespace updater
