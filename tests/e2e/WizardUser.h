#pragma once

#include <windows.h>

#include <string>

namespace updater::test {

// The sheet's buttons by control id: under Wine the wizard has the classic buttons.
inline constexpr int kBack = 0x3023;
inline constexpr int kNext = 0x3024;
inline constexpr int kFinish = 0x3025;

// Drives another process's update wizard as a user would: finds its windows and controls, reads
// what they show (list views through the owner's memory, since their texts are not marshalled)
// and presses buttons and keys.
class WizardUser {
 public:
  WizardUser() = default;
  WizardUser(const WizardUser&) = delete;
  WizardUser& operator=(const WizardUser&) = delete;
  // Ends a wizard that is still open, so that a failed test leaves none for the next to find.
  ~WizardUser();

  // Waits for the sheet titled `title`, shown unless `hidden`; false when it does not come.
  bool WaitForSheet(const std::wstring& title, bool hidden = false);
  HWND Sheet() const { return sheet_; }
  std::wstring Title() const;
  // The control `id` on the current page, or nullptr.
  HWND Control(int id) const;
  std::wstring Text(int id) const;
  int Rows(int listId) const;
  bool Checked(int listId, int row) const;
  std::wstring Cell(int listId, int row, int column) const;
  bool Enabled(int buttonId) const { return IsWindowEnabled(GetDlgItem(sheet_, buttonId)) != FALSE; }
  void Press(int buttonId) const;
  // Clicks the check box of `row`.
  void Click(int listId, int row) const;
  // Double-clicks the label of `row`.
  void DoubleClick(int listId, int row) const;
  // Opens the context menu of the list's selected row from the keyboard and takes the item that
  // `downs` presses of the down arrow reach.
  void ChooseFromMenu(int listId, int downs) const;
  // Waits for a message box of the wizard, answers it with `button` and returns its text.
  std::wstring AnswerBox(int button) const;

 private:
  HWND sheet_ = nullptr;
};

}  // namespace updater::test
