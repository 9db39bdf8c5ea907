#include "ui/SelectPage.h"

#include <windowsx.h>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "config/ClientConfig.h"
#include "config/ClientFlags.h"
#include "engine/UpdateSession.h"
#include "resources/StringIds.h"
#include "resources/WizardIds.h"
#include "ui/DialogText.h"
#include "ui/ListView.h"
#include "ui/SelectionRules.h"
#include "ui/SizeText.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

constexpr int kUpdateColumnWidth = 280;
constexpr int kSizeColumnWidth = 80;
constexpr int kActionColumnWidth = 80;

bool IsChecked(HWND list, int row) { return ListView_GetCheckState(list, row) != FALSE; }

}  // namespace

SelectPage::SelectPage(WizardShared& shared)
    : WizardPage(shared, WizardPageKind::Select, LoadResourceString(IDS_CHOOSE_UPDATES),
                 FoundUpdatesTitle(shared)) {}

INT_PTR SelectPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_SIZE:
      Arrange();
      return TRUE;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU: {
      const int row = SelectedRow();
      if (reinterpret_cast<HWND>(wParam) != list_ || row < 0) return FALSE;
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (at.x == -1 && at.y == -1) {  // from the keyboard: under the row
        RECT bounds;
        ListView_GetItemRect(list_, row, &bounds, LVIR_LABEL);
        at = {bounds.left, bounds.bottom};
        ClientToScreen(list_, &at);
      }
      ShowContextMenu(row, at);
      return TRUE;
    }
    case WM_SETCURSOR:
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      return OnSplitterMouse(message, lParam);
    case WM_DESTROY:
      Log(kLogDebug, L"DownloadUpdatesDialog closing.");
      return FALSE;
    default:
      return FALSE;
  }
}

void SelectPage::OnInit() {
  rows_ = ListedUpdates(shared_.session.Updates());
  layout_ = ChooseSelectLayout(shared_.config.HasFlag(kFlagVertSplitter),
                               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               static_cast<int>(rows_.size()));
  if (layout_.headerId != IDS_CHOOSE_UPDATES) {
    SendMessageW(Sheet(), PSM_SETHEADERTITLEW, IndexOf(Kind()),
                 reinterpret_cast<LPARAM>(LoadResourceString(layout_.headerId).c_str()));
  }
  RECT client;
  GetClientRect(Window(), &client);
  split_ = layout_.sideBySide ? client.right / 2 : client.bottom * 2 / 5;
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                              (layout_.listHidden ? 0 : WS_VISIBLE),
                          0, 0, 0, 0, Window(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SELECT_LIST)),
                          GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddListColumn(list_, 0, LoadResourceString(IDS_COLUMN_UPDATE), kUpdateColumnWidth);
  AddListColumn(list_, 1, LoadResourceString(IDS_COLUMN_SIZE), kSizeColumnWidth);
  AddListColumn(list_, 2, LoadResourceString(IDS_COLUMN_ACTION), kActionColumnWidth);
  description_.Create(Window(), IDC_SELECT_DESCRIPTION, client);
  Arrange();
  Fill();
}

void SelectPage::Fill() {
  applying_ = true;
  const RowGroups groups = GroupRows(rows_, shared_.config.ApplicationName());
  if (!groups.names.empty()) {
    // Wine accepts the groups but does not draw them.
    ListView_EnableGroupView(list_, TRUE);
    for (size_t i = 0; i < groups.names.size(); ++i) {
      LVGROUP group = {};
      group.cbSize = sizeof(group);
      group.mask = LVGF_HEADER | LVGF_GROUPID | LVGF_ALIGN;
      group.pszHeader = const_cast<wchar_t*>(groups.names[i].c_str());
      group.iGroupId = static_cast<int>(i);
      group.uAlign = LVGA_HEADER_LEFT;
      ListView_InsertGroup(list_, -1, &group);
    }
  }
  for (size_t i = 0; i < rows_.size(); ++i) {
    const int row = static_cast<int>(i);
    AddListRow(list_, row, rows_[i]->name, reinterpret_cast<LPARAM>(rows_[i]));
    SetListCell(list_, row, 1, SizeText(static_cast<std::uint64_t>(rows_[i]->size)));
    if (!groups.names.empty()) {
      LVITEMW item = {};
      item.mask = LVIF_GROUPID;
      item.iItem = row;
      item.iGroupId = groups.groupOfRow[i];
      ListView_SetItem(list_, &item);
    }
  }
  checks_ = InitialChecks(rows_);
  if (rows_.size() == 1) rows_.front()->selectedForInstall = true;
  ShowChecks();
  RECT client;
  GetClientRect(list_, &client);
  ListView_SetColumnWidth(list_, 2, client.right - kUpdateColumnWidth - kSizeColumnWidth - 3);
  applying_ = false;
  if (!rows_.empty()) {
    ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  ShowSelected();
}

void SelectPage::Arrange() {
  if (list_ == nullptr) return;
  RECT client;
  GetClientRect(Window(), &client);
  const SelectPanes panes = SplitPanes(client, layout_, split_);
  MoveWindow(list_, panes.list.left, panes.list.top, panes.list.right - panes.list.left,
             panes.list.bottom - panes.list.top, TRUE);
  description_.Move(panes.description);
}

void SelectPage::ShowChecks() {
  const bool wasApplying = applying_;
  applying_ = true;
  bool anyChecked = false;
  for (size_t i = 0; i < rows_.size(); ++i) {
    const int row = static_cast<int>(i);
    if (IsChecked(list_, row) != checks_[i]) ListView_SetCheckState(list_, row, checks_[i]);
    const bool downloaded = shared_.session.DownloadStateOf(*rows_[i]) == DownloadState::Downloaded;
    SetListCell(list_, row, 2, LoadResourceString(ActionTextId(checks_[i], downloaded)));
    anyChecked = anyChecked || checks_[i];
  }
  applying_ = wasApplying;
  Buttons().Enable(anyChecked ? kButtonNext : 0, kButtonNext);
}

void SelectPage::ChangeRow(int row, bool checked) {
  ChangeCheck(rows_, static_cast<size_t>(row), checked, &checks_);
  ShowChecks();
}

int SelectPage::SelectedRow() const { return ListView_GetNextItem(list_, -1, LVNI_SELECTED); }

void SelectPage::ShowSelected() {
  const int row = SelectedRow();
  if (row < 0) {
    description_.Clear();
    return;
  }
  const UpdateInfo& update = *rows_[static_cast<size_t>(row)];
  description_.Show(update, SizeText(static_cast<std::uint64_t>(update.size)));
}

void SelectPage::ShowContextMenu(int row, POINT at) {
  if (!rows_.empty() && row >= 0) {
    const MenuHandle menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_UPDATE_MENU)));
    const HMENU items = GetSubMenu(menu.Get(), 0);
    const bool checked = checks_[static_cast<size_t>(row)];
    SetMenuTexts(items,
                 {{IDM_INSTALL_UPDATE, IDS_ACTION_INSTALL}, {IDM_SKIP_UPDATE, IDS_ACTION_SKIP}});
    EnableMenuItem(items, IDM_INSTALL_UPDATE, MF_BYCOMMAND | (checked ? MF_GRAYED : MF_ENABLED));
    EnableMenuItem(items, IDM_SKIP_UPDATE, MF_BYCOMMAND | (checked ? MF_ENABLED : MF_GRAYED));
    const UINT chosen = TrackPopupMenu(items, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                       Window(), nullptr);
    if (chosen == IDM_INSTALL_UPDATE || chosen == IDM_SKIP_UPDATE) {
      ChangeRow(row, chosen == IDM_INSTALL_UPDATE);
    }
  }
}

INT_PTR SelectPage::OnNotify(const NMHDR& header) {
  if (header.hwndFrom == list_) {
    if (header.code == LVN_ITEMCHANGED) {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (change.iItem < 0 || change.iItem >= static_cast<int>(rows_.size())) return FALSE;
      if ((change.uChanged & LVIF_STATE) != 0 && !applying_ &&
          ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0) {
        const bool checked = IsChecked(list_, change.iItem);
        // The box already shows the new state; the rules start from the old one.
        if (checks_[static_cast<size_t>(change.iItem)] != checked) ChangeRow(change.iItem, checked);
      }
      if (((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0) ShowSelected();
      return FALSE;
    }
    if (header.code == NM_DBLCLK) {
      const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
      if (row >= 0) ChangeRow(row, !checks_[static_cast<size_t>(row)]);
      return FALSE;
    }
    return FALSE;
  }
  LRESULT result = 0;
  if (description_.OnNotify(&header, &result)) return Answer(Window(), result);
  switch (header.code) {
    case PSN_SETACTIVE:
      Buttons().Show(kButtonBack | kButtonNext | kButtonDisabledFinish | kButtonCancel,
                     kButtonBack | kButtonNext | kButtonFinish | kButtonCancel);
      Buttons().Enable(StartedWith(Kind()) ? 0 : kButtonBack, kButtonBack);
      ShowChecks();
      return Answer(Window(), 0);
    case PSN_WIZNEXT:
      Commit();
      return Answer(Window(), 0);
    default:
      return FALSE;
  }
}

void SelectPage::Commit() {
  CommitChecks(shared_.session.Updates(), rows_, checks_);
  shared_.toDownload = shared_.downloaded = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (!checks_[i]) continue;
    const bool downloaded = shared_.session.DownloadStateOf(*rows_[i]) == DownloadState::Downloaded;
    ++(downloaded ? shared_.downloaded : shared_.toDownload);
  }
}

bool SelectPage::OnSplitterMouse(UINT message, LPARAM lParam) {
  if (layout_.listHidden) return false;
  RECT client;
  GetClientRect(Window(), &client);
  const SelectPanes panes = SplitPanes(client, layout_, split_);
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (message == WM_SETCURSOR) {
    GetCursorPos(&at);
    ScreenToClient(Window(), &at);
    if (!dragging_ && !PtInRect(&panes.splitter, at)) return false;
    SetCursor(LoadCursorW(nullptr, layout_.sideBySide ? IDC_SIZEWE : IDC_SIZENS));
    return Answer(Window(), TRUE);
  }
  if (message == WM_LBUTTONDOWN && PtInRect(&panes.splitter, at)) {
    dragging_ = true;
    SetCapture(Window());
    return true;
  }
  if (!dragging_) return false;
  if (message == WM_LBUTTONUP) {
    dragging_ = false;
    ReleaseCapture();
  }
  split_ = layout_.sideBySide ? at.x - client.left : at.y - client.top;
  Arrange();
  return true;
}

}  // namespace updater
