#include "ui/TraySheet.h"

#include <commctrl.h>

#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "resources/TrayIds.h"
#include "ui/DialogText.h"

namespace updater {
namespace {

constexpr UINT_PTR kSubclassId = IDM_TRAY;
constexpr UINT kStartBalloonMs = 20000;

HMODULE ThisModule() { return GetModuleHandleW(nullptr); }

// The first item of the icon's menu: the default command, drawn bold in the menu.
UINT DefaultCommand() {
  const MenuHandle menu(LoadMenuW(ThisModule(), MAKEINTRESOURCEW(IDM_TRAY)));
  return menu ? GetMenuItemID(GetSubMenu(menu.Get(), 0), 0) : IDM_TRAY_SHOW;
}

}  // namespace

TrayAction TrayActionFor(LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_RBUTTONUP:
      return TrayAction::ShowMenu;
    case WM_LBUTTONDBLCLK:
    case NIN_BALLOONUSERCLICK:
      return TrayAction::DefaultCommand;
    default:
      return TrayAction::None;
  }
}

POINT TrayMenuPoint(POINT cursor, bool cursorOnMonitor, const RECT& nearestWorkArea) {
  if (!cursorOnMonitor) {
    if (cursor.x < nearestWorkArea.left) {
      cursor.x = nearestWorkArea.left;
    } else if (cursor.x >= nearestWorkArea.right) {
      cursor.x = nearestWorkArea.right - 1;
    }
  }
  return cursor;
}

DWORD SheetTemplateStyle(DWORD style, bool startMinimized) {
  if (startMinimized) style &= ~DWORD{WS_VISIBLE};
  return (style & ~DWORD{WS_MAXIMIZEBOX}) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION |
         WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
}

void EditSheetTemplate(void* dialogTemplate, bool startMinimized) {
  // The extended form starts with its version 1 and the signature 0xFFFF, and keeps its style
  // after the help id and the extended style.
  struct ExtendedHead { WORD version, signature; DWORD helpId, exStyle, style; };
  auto* extended = static_cast<ExtendedHead*>(dialogTemplate);
  if (extended->version == 1 && extended->signature == 0xFFFF) {
    extended->style = SheetTemplateStyle(extended->style, startMinimized);
  } else {
    auto* plain = static_cast<DLGTEMPLATE*>(dialogTemplate);
    plain->style = SheetTemplateStyle(plain->style, startMinimized);
  }
}

UINT TraySheet::CallbackMessage() {
  static const UINT message = RegisterWindowMessageW(L"WM_TRAYICON");
  return message;
}

ResultCode TraySheet::Attach(HWND sheet, const std::wstring& applicationName,
                             const std::wstring& balloon, WizardStartOptions* options) {
  Detach();
  if (!SetWindowSubclass(sheet, &TraySheet::SubclassProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(this))) {
    return ERROR_INVALID_WINDOW_HANDLE;
  }
  sheet_ = sheet;
  applicationName_ = applicationName;
  balloon_ = balloon;
  options_ = options;
  iconImage_.Reset(static_cast<HICON>(LoadImageW(
      ThisModule(), MAKEINTRESOURCEW(IDI_UPDATER), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
      GetSystemMetrics(SM_CYSMICON), 0)));
  const ResultCode added =
      icon_.Add(sheet, IDM_TRAY, CallbackMessage(), iconImage_.Get(), applicationName);
  if (options_ != nullptr && options_->startMinimized && icon_.IsAdded()) {
    keepHidden_ = true;
    PostMessageW(sheet, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  }
  return added;
}

void TraySheet::Detach() {
  icon_.Remove();
  if (sheet_ != nullptr) {
    RemoveWindowSubclass(sheet_, &TraySheet::SubclassProc, kSubclassId);
    sheet_ = nullptr;
  }
}

void TraySheet::OnPageStarted() {
  if (options_ == nullptr || !options_->startMinimized) {
    return;
  }
  options_->startMinimized = false;
  icon_.ShowBalloon(balloon_, applicationName_, kStartBalloonMs, NIIF_INFO);
}

LRESULT CALLBACK TraySheet::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) {
  auto* traySheet = reinterpret_cast<TraySheet*>(self);
  if (message == WM_NCDESTROY) {
    traySheet->Detach();
    return DefSubclassProc(window, message, wParam, lParam);
  }
  return traySheet->OnMessage(message, wParam, lParam);
}

LRESULT TraySheet::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WINDOWPOSCHANGING && keepHidden_) {
    // Neither the minimise nor the sheet itself may show a sheet that starts in the tray, not
    // even for a moment, until the user brings it back.
    reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~UINT{SWP_SHOWWINDOW};
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
    const LRESULT result = DefSubclassProc(sheet_, message, wParam, lParam);
    // Without an icon a hidden sheet could not be brought back.
    if (!restoring_ && icon_.IsAdded()) {
      ShowWindow(sheet_, SW_HIDE);
    }
    return result;
  }
  if (message == CallbackMessage()) {
    switch (TrayActionFor(lParam)) {
      case TrayAction::ShowMenu:
        ShowMenu();
        break;
      case TrayAction::DefaultCommand:
        SendMessageW(sheet_, WM_COMMAND, DefaultCommand(), 0);
        break;
      case TrayAction::None:
        break;
    }
    return 0;
  }
  if (message == WM_COMMAND && OnCommand(LOWORD(wParam))) {
    return 0;
  }
  return DefSubclassProc(sheet_, message, wParam, lParam);
}

bool TraySheet::OnCommand(int command) {
  switch (command) {
    case IDM_TRAY_SHOW:
      Restore();
      return true;
    case IDM_TRAY_EXIT:
      icon_.Remove();
      // Cancel first, so that running downloads stop; Finish closes a sheet that refused it.
      PostMessageW(sheet_, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
      PostMessageW(sheet_, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
      return true;
    case kFinishButton:
    case IDCANCEL:
      closingButton_ = command;
      return false;
    default:
      return false;
  }
}

void TraySheet::Restore() {
  keepHidden_ = false;
  if (!IsWindowVisible(sheet_)) {
    // Back the way it went: shown minimised, then normal. A minimise on the way must not hide it.
    restoring_ = true;
    ShowWindow(sheet_, SW_SHOWMINIMIZED);
    ShowWindow(sheet_, SW_SHOWNORMAL);
    restoring_ = false;
  } else if (IsIconic(sheet_)) {
    // Minimised without an icon to hide in.
    ShowWindow(sheet_, SW_RESTORE);
  }
  SetForegroundWindow(sheet_);
}

void TraySheet::ShowMenu() {
  const MenuHandle menu(LoadMenuW(ThisModule(), MAKEINTRESOURCEW(IDM_TRAY)));
  const HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (popup == nullptr) {
    return;
  }
  SetMenuTexts(popup, {{IDM_TRAY_SHOW, IDS_TRAY_SHOW}, {IDM_TRAY_EXIT, IDS_TRAY_EXIT}});
  SetMenuDefaultItem(popup, 0, TRUE);
  POINT cursor = {};
  GetCursorPos(&cursor);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
  const bool onMonitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTONULL) != nullptr;
  const POINT at = TrayMenuPoint(cursor, onMonitor, monitor.rcWork);
  // The sheet must be in the foreground, or the menu would not close when the user clicks
  // elsewhere; the WM_NULL afterwards makes a second right click open it again at once.
  SetForegroundWindow(sheet_);
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, sheet_, nullptr);
  PostMessageW(sheet_, WM_NULL, 0, 0);
}

}  // namespace updater
