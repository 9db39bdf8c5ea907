#include "ui/SummaryPage.h"

#include "base/ResultText.h"
#include "engine/UpdateSession.h"
#include "resources/StringIds.h"
#include "resources/WizardIds.h"
#include "ui/InstallSummary.h"
#include "ui/ListView.h"

namespace updater {

SummaryPage::SummaryPage(WizardShared& shared)
    : WizardPage(shared, WizardPageKind::Summary, LoadResourceString(IDS_INSTALL_SUMMARY),
                 TitleFor(shared, IDS_INSTALLING_UPDATES)) {}

INT_PTR SummaryPage::OnMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    OnInit();
    return TRUE;
  }
  if (message != WM_NOTIFY) return FALSE;
  switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
    case PSN_SETACTIVE: {
      Buttons().Show(kButtonFinish, kButtonNext | kButtonFinish | kButtonCancel);
      Fill();
      const bool chose = StartedWith(WizardPageKind::Choice) || StartedWith(WizardPageKind::Select);
      Buttons().Enable(kButtonFinish | (anyFailed_ && chose ? kButtonBack : 0),
                       kButtonBack | kButtonFinish);
      return Answer(Window(), 0);
    }
    case PSN_WIZBACK:
      if (!anyFailed_) return Answer(Window(), -1);
      ShowWindow(GetDlgItem(Window(), IDC_SUMMARY_ICON), SW_HIDE);
      SetDlgItemTextW(Window(), IDC_SUMMARY_TEXT, L"");
      return Answer(Window(), IDD_SELECT_PAGE);
    default:
      return FALSE;
  }
}

void SummaryPage::OnInit() {
  const HWND list = GetDlgItem(Window(), IDC_SUMMARY_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  AddListColumn(list, 0, LoadResourceString(IDS_COLUMN_UPDATE), 220);
  AddListColumn(list, 1, LoadResourceString(IDS_COLUMN_STATUS), 200);
}

void SummaryPage::Fill() {
  const HWND list = GetDlgItem(Window(), IDC_SUMMARY_LIST);
  ListView_DeleteAllItems(list);
  anyFailed_ = false;
  int row = 0;
  for (const SummaryRow& summary : SummaryRows(shared_.session.Updates())) {
    AddListRow(list, row, summary.name, 0);
    SetListCell(list, row, 1, summary.status);
    ++row;
    anyFailed_ = anyFailed_ || summary.failed;
  }
  // The Status column takes what the Update column leaves.
  RECT client;
  GetClientRect(list, &client);
  ListView_SetColumnWidth(list, 1, client.right - ListView_GetColumnWidth(list, 0) - 3);
  const HWND icon = GetDlgItem(Window(), IDC_SUMMARY_ICON);
  if (anyFailed_) {
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
  }
  ShowWindow(icon, anyFailed_ ? SW_SHOW : SW_HIDE);
  SetDlgItemTextW(Window(), IDC_SUMMARY_TEXT,
                  anyFailed_ ? LoadResourceString(IDS_SOME_UPDATES_FAILED).c_str() : L"");
}

}  // namespace updater
