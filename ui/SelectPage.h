#pragma once

#include <vector>

#include "catalogue/UpdateInfo.h"
#include "ui/DescriptionPane.h"
#include "ui/SelectLayout.h"
#include "ui/WizardPage.h"

namespace updater {

// The select-updates page (template 196): a list of the applicable updates with check boxes and
// the description of the selected one, split by a bar the user can drag. The checks follow the
// selection rules; Next commits them as the updates to install.
class SelectPage : public WizardPage {
 public:
  explicit SelectPage(WizardShared& shared);

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  INT_PTR OnNotify(const NMHDR& header);
  void OnInit();
  void Fill();
  void Arrange();
  // The user's change of one row, with all that follows from it.
  void ChangeRow(int row, bool checked);
  void ShowChecks();
  void ShowSelected();
  void ShowContextMenu(int row, POINT at);
  bool OnSplitterMouse(UINT message, LPARAM lParam);
  int SelectedRow() const;
  void Commit();

  HWND list_ = nullptr;
  DescriptionPane description_;
  SelectLayout layout_;
  std::vector<UpdateInfo*> rows_;
  std::vector<bool> checks_;
  int split_ = 0;
  bool dragging_ = false;
  // Set while the page itself changes check boxes, whose notifications it then ignores.
  bool applying_ = false;
};

}  // namespace updater
