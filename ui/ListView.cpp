#include "ui/ListView.h"

namespace updater {

void AddListColumn(HWND list, int index, const std::wstring& text, int width) {
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(text.c_str());
  ListView_InsertColumn(list, index, &column);
}

void AddListRow(HWND list, int row, const std::wstring& text, LPARAM data) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  item.lParam = data;
  ListView_InsertItem(list, &item);
}

void SetListCell(HWND list, int row, int column, const std::wstring& text) {
  ListView_SetItemText(list, row, column, const_cast<wchar_t*>(text.c_str()));
}

}  // namespace updater
