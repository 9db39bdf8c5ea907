#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace updater {

// The few list-view calls the wizard's pages make, with the structures filled in one place.
void AddListColumn(HWND list, int index, const std::wstring& text, int width);
void AddListRow(HWND list, int row, const std::wstring& text, LPARAM data);
void SetListCell(HWND list, int row, int column, const std::wstring& text);

}  // namespace updater
