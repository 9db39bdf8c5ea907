#pragma once

#include "base/UniqueHandle.h"
#include "ui/WizardPage.h"

namespace updater {

// The choice page (template 106): download and install now, be reminded tomorrow, or turn the
// automatic check off; the last two write the setting and finish the wizard at once.
class ChoicePage : public WizardPage {
 public:
  explicit ChoicePage(WizardShared& shared);

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInit();
  void OnCommand(int id);
  void FinishNow() const;

  IconHandle icons_[3];
};

}  // namespace updater
