#include "ui/DialogText.h"

#include "base/ResultText.h"

namespace updater {

void SetDialogTexts(HWND dialog, std::initializer_list<ControlText> texts) {
  for (const ControlText& text : texts) {
    SetDlgItemTextW(dialog, text.control, LoadResourceString(text.stringId).c_str());
  }
}

void SetMenuTexts(HMENU menu, std::initializer_list<ControlText> texts) {
  for (const ControlText& text : texts) {
    const UINT command = static_cast<UINT>(text.control);
    ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING, command,
                LoadResourceString(text.stringId).c_str());
  }
}

std::wstring DialogItemText(HWND dialog, int control) {
  const HWND item = GetDlgItem(dialog, control);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(item, &text[0], static_cast<int>(text.size()))));
  return text;
}

}  // namespace updater
