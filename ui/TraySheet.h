#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "ui/TrayIcon.h"
#include "ui/WizardStartOptions.h"

namespace updater {

// What a callback message of the icon asks for.
enum class TrayAction { None, ShowMenu, DefaultCommand };
TrayAction TrayActionFor(LPARAM mouseMessage);

// Where the icon's menu opens: at the cursor, with x kept inside the nearest monitor's work
// area when the cursor is on no monitor (a screen taken away under a remembered position).
POINT TrayMenuPoint(POINT cursor, bool cursorOnMonitor, const RECT& nearestWorkArea);

// The style of the sheet's dialog template before it is created: a sheet that starts in the
// notification area must not be visible for a moment; none can be maximised, and every one can
// be minimised (to the icon) and resized.
DWORD SheetTemplateStyle(DWORD style, bool startMinimized);
// Applies SheetTemplateStyle to the template PSCB_PRECREATE hands over, in either of its forms.
void EditSheetTemplate(void* dialogTemplate, bool startMinimized);

// The notification-area icon of the wizard's property sheet and the sheet behaviour that goes
// with it: minimising hides the sheet and leaves only the icon, a double click on the icon or a
// click on its balloon restores it, a right click opens the icon's menu ("Show Ruddle", "Exit").
//
// The wizard holds one TraySheet for the life of its property sheet and calls
//   Attach(sheet, applicationName, balloon, &options)
//                                              once, from its PropSheetProc at PSCB_INITIALIZED;
//   OnPageStarted()                            from every page's PSN_SETACTIVE.
// Attach subclasses the sheet's window procedure and adds the icon; the icon is removed and the
// subclass undone when the sheet is destroyed (or on "Exit"). With the start-minimised option
// set, Attach hides the sheet and the first page to start shows the start balloon. Both calls
// and every message come on the sheet's thread. The options must outlive the sheet.
class TraySheet {
 public:
  // The callback message of the icon, registered once by name, as the shell posts it.
  static UINT CallbackMessage();

  TraySheet() = default;
  TraySheet(const TraySheet&) = delete;
  TraySheet& operator=(const TraySheet&) = delete;
  ~TraySheet() { Detach(); }

  // Returns the result of adding the icon: on a failure the sheet works on without the icon (and
  // without hiding itself, which would leave nothing to bring it back). A sheet that starts
  // minimised is not shown at all until the user brings it back from the icon.
  ResultCode Attach(HWND sheet, const std::wstring& applicationName, const std::wstring& balloon,
                    WizardStartOptions* options);

  // When the start-minimised option is set: a balloon with the text `balloon` (the sheet's first
  // title; the sheet may not show it yet when its first page starts) and the application's name
  // as title, for 20 seconds; the option is cleared.
  void OnPageStarted();

  // The icon's tool tip, written as TipText writes it.
  void SetTip(const std::wstring& tip) { icon_.SetTip(tip); }

  // The button that closed the sheet, Finish (kFinishButton) or Cancel (IDCANCEL); 0 before.
  static constexpr int kFinishButton = 0x3025;
  int ClosingButton() const { return closingButton_; }

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCommand(int command);
  void ShowMenu();
  void Restore();
  void Detach();

  HWND sheet_ = nullptr;
  std::wstring applicationName_;
  std::wstring balloon_;
  WizardStartOptions* options_ = nullptr;
  bool restoring_ = false;
  bool keepHidden_ = false;  // started in the tray and not brought back yet
  int closingButton_ = 0;
  IconHandle iconImage_;  // declared before icon_: the image must outlive the icon that shows it
  TrayIcon icon_;
};

}  // namespace updater
