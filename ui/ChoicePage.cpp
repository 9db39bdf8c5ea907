#include "ui/ChoicePage.h"

#include "base/ResultText.h"
#include "config/CheckSchedule.h"
#include "config/ClientConfig.h"
#include "config/ClientFlags.h"
#include "resources/StringIds.h"
#include "resources/WizardIds.h"
#include "ui/HyperlinkControl.h"
#include "ui/IconFile.h"
#include "ui/UpdateOptionsDialog.h"

namespace updater {
namespace {

struct CommandLink {
  int id;
  unsigned text;
  int icon;
};
constexpr CommandLink kLinks[3] = {
    {IDC_INSTALL_NOW, IDS_DOWNLOAD_AND_INSTALL_NOW, IDR_INSTALL_NOW_ICON},
    {IDC_REMIND_TOMORROW, IDS_REMIND_ME_TOMORROW, IDR_REMIND_TOMORROW_ICON},
    {IDC_DISABLE_AUTO_CHECK, IDS_DISABLE_AUTO_CHECK, IDR_DISABLE_CHECK_ICON},
};

int ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

ChoicePage::ChoicePage(WizardShared& shared)
    : WizardPage(shared, WizardPageKind::Choice,
                 FormatText(LoadResourceString(IDS_UPDATES_AVAILABLE).c_str(),
                            shared.config.ApplicationName().c_str()),
                 FoundUpdatesTitle(shared)) {}

INT_PTR ChoicePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lParam)->code != PSN_SETACTIVE) return FALSE;
      Buttons().Show(kButtonBack | kButtonDisabledFinish | kButtonCancel,
                     kButtonBack | kButtonNext | kButtonFinish | kButtonCancel);
      Buttons().Enable(kButtonNext, kButtonBack | kButtonNext);
      return Answer(Window(), 0);
    default:
      return FALSE;
  }
}

void ChoicePage::OnInit() {
  const int pixels = CommandLinkIconSize(ScreenDpi());
  for (int i = 0; i < 3; ++i) {
    const HWND button = GetDlgItem(Window(), kLinks[i].id);
    SetWindowTextW(button, LoadResourceString(kLinks[i].text).c_str());
    icons_[i] = LoadIconFile(kLinks[i].icon, pixels);
    SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icons_[i].Get()));
  }
  // Not offered where checks may not be switched off, nor where the administrator decides.
  if (shared_.config.HasFlag(kFlagNoDisableAutoCheck) ||
      shared_.config.Policy().autoUpdatePolicy.has_value()) {
    ShowWindow(GetDlgItem(Window(), IDC_DISABLE_AUTO_CHECK), SW_HIDE);
  }
  const HWND options = GetDlgItem(Window(), IDC_CONFIGURE_OPTIONS);
  SetWindowTextW(options, LoadResourceString(IDS_CONFIGURE_OPTIONS_LINK).c_str());
  ShowWindow(options, shared_.config.HasFlag(kFlagShowConfigOptionsButton) ? SW_SHOW : SW_HIDE);
  AttachHyperlink(options, IDC_CONFIGURE_OPTIONS, false);
}

void ChoicePage::OnCommand(int id) {
  switch (id) {
    case IDC_INSTALL_NOW:
      Buttons().Show(kButtonBack | kButtonNext | kButtonDisabledFinish,
                     kButtonBack | kButtonNext | kButtonFinish);
      PostMessageW(Sheet(), PSM_SETCURSEL, 1, 0);
      return;
    case IDC_REMIND_TOMORROW:
      ScheduleNextCheck(shared_.config, 1);
      FinishNow();
      return;
    case IDC_DISABLE_AUTO_CHECK:
      shared_.config.Settings().WriteDword(SettingsKey::Settings, L"AutoUpdatePolicy",
                                           kAutoUpdatePolicyDisable);
      FinishNow();
      return;
    case IDC_CONFIGURE_OPTIONS: {
      // The options are stored for the next runs; this run keeps the folder it downloads into.
      ClientConfig options = shared_.config;
      UpdateOptionsDialog(options).Show(GetActiveWindow());
      return;
    }
    default:
      return;
  }
}

void ChoicePage::FinishNow() const {
  Buttons().Show(kButtonBack | kButtonFinish,
                 kButtonBack | kButtonNext | kButtonFinish | kButtonCancel);
  PostMessageW(Sheet(), PSM_PRESSBUTTON, PSBTN_FINISH, 0);
}

}  // namespace updater
