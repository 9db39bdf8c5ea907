#include "ui/WizardButtons.h"

#include <commctrl.h>

#include "base/ResultText.h"
#include "resources/StringIds.h"

namespace updater {
namespace {

// Missing from the MinGW headers.
constexpr UINT kShowWizButtons = WM_USER + 138;
constexpr UINT kEnableWizButtons = WM_USER + 139;
constexpr UINT kSetButtonText = WM_USER + 140;

struct ButtonControl {
  DWORD bit;
  int id;
};
constexpr ButtonControl kControls[4] = {
    {kButtonBack, kBackButtonId},
    {kButtonNext, kNextButtonId},
    {kButtonFinish, kFinishButtonId},
    {kButtonCancel, IDCANCEL},
};

int ControlOf(DWORD button) {
  for (const ButtonControl& control : kControls) {
    if (control.bit == button) return control.id;
  }
  return 0;
}

}  // namespace

ButtonVisibility ClassicVisibility(DWORD flags, DWORD mask) {
  ButtonVisibility result{};
  for (int i = 0; i < 4; ++i) {
    const DWORD bit = kControls[i].bit;
    result.inMask[i] = (mask & bit) != 0;
    result.visible[i] = (flags & bit) != 0;
  }
  result.visible[2] = (flags & kButtonFinish) != 0 && (flags & kButtonDisabledFinish) == 0;
  return result;
}

void WizardButtons::Show(DWORD flags, DWORD mask) const {
  if (aero_) {
    SendMessageW(sheet_, kShowWizButtons, flags, mask);
    return;
  }
  const ButtonVisibility visibility = ClassicVisibility(flags, mask);
  for (int i = 0; i < 4; ++i) {
    if (!visibility.inMask[i]) continue;
    ShowWindow(GetDlgItem(sheet_, kControls[i].id), visibility.visible[i] ? SW_SHOW : SW_HIDE);
  }
}

void WizardButtons::Enable(DWORD flags, DWORD mask) const {
  if (aero_) {
    SendMessageW(sheet_, kEnableWizButtons, flags, mask);
    return;
  }
  for (const ButtonControl& control : kControls) {
    if ((mask & control.bit) == 0) continue;
    EnableWindow(GetDlgItem(sheet_, control.id), (flags & control.bit) != 0);
  }
}

void WizardButtons::SetText(DWORD button, const std::wstring& text) const {
  if (aero_) {
    SendMessageW(sheet_, kSetButtonText, button, reinterpret_cast<LPARAM>(text.c_str()));
    return;
  }
  SetDlgItemTextW(sheet_, ControlOf(button), text.c_str());
}

void WizardButtons::SetDefaultTexts() const {
  SetText(kButtonNext, LoadResourceString(IDS_NEXT));
  SetText(kButtonBack, LoadResourceString(IDS_BACK));
  SetText(kButtonCancel, LoadResourceString(IDS_CANCEL));
  SetText(kButtonFinish, LoadResourceString(IDS_FINISH));
}

bool SheetIsAeroWizard() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr;
}

}  // namespace updater
