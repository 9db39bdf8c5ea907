#pragma once

#include <windows.h>

#include <string>

namespace updater {

// The standard wizard button bits.
constexpr DWORD kButtonBack = 0x1;
constexpr DWORD kButtonNext = 0x2;
constexpr DWORD kButtonFinish = 0x4;
constexpr DWORD kButtonDisabledFinish = 0x8;
constexpr DWORD kButtonCancel = 0x10;

// Control ids of the classic wizard's own buttons.
constexpr int kBackButtonId = 0x3023;
constexpr int kNextButtonId = 0x3024;
constexpr int kFinishButtonId = 0x3025;

// What the classic wizard shows for a show request: for each button whose bit is in `mask`,
// whether its control is visible. Finish is visible only when FINISH is set and DISABLEDFINISH
// is clear.
struct ButtonVisibility {
  bool inMask[4];  // Back, Next, Finish, Cancel
  bool visible[4];
};
ButtonVisibility ClassicVisibility(DWORD flags, DWORD mask);

// Drives the sheet's Back, Next, Finish and Cancel buttons: through the Aero wizard's messages,
// or, in the classic wizard, on the button controls themselves.
class WizardButtons {
 public:
  WizardButtons(HWND sheet, bool aero) : sheet_(sheet), aero_(aero) {}

  void Show(DWORD flags, DWORD mask) const;
  void Enable(DWORD flags, DWORD mask) const;
  void SetText(DWORD button, const std::wstring& text) const;
  // The texts every page starts with.
  void SetDefaultTexts() const;

 private:
  HWND sheet_;
  bool aero_;
};

// Whether the sheet shows the Aero wizard: Wine's property sheet ignores PSH_AEROWIZARD and
// draws the classic one, where PSM_SHOWWIZBUTTONS and its kin do nothing.
bool SheetIsAeroWizard();

}  // namespace updater
