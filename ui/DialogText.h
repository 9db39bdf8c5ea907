#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace updater {

// A dialog control, or a menu item's command, and the string-table text it shows.
struct ControlText {
  int control;
  unsigned stringId;
};

// Sets each control's text from the string table, so that templates carry no user-visible text.
void SetDialogTexts(HWND dialog, std::initializer_list<ControlText> texts);

// Sets the text of each menu item (by its command) from the string table.
void SetMenuTexts(HMENU menu, std::initializer_list<ControlText> texts);

// The whole text of a dialog control, however long.
std::wstring DialogItemText(HWND dialog, int control);

}  // namespace updater
