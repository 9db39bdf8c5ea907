#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/WizardButtons.h"
#include "ui/WizardPages.h"
#include "ui/SheetLayout.h"
#include "ui/TraySheet.h"
#include "ui/WizardStartOptions.h"

namespace updater {

class ClientConfig;
class UpdateSession;

// What the pages of one wizard share: the configuration, the session whose updates they mark,
// the page sequence, and what the select page counted for the progress page.
struct WizardShared {
  const ClientConfig& config;
  UpdateSession& session;
  std::vector<WizardPageKind> pages;
  bool justDownload = false;
  bool aero = false;
  int toDownload = 0;
  int downloaded = 0;
  WizardStartOptions start;
  // The notification-area icon, while the sheet is shown.
  TraySheet tray;
  // The classic sheet's own layout when it changes size.
  SheetLayout layout;
};

// One page of the wizard: its template, its header title and its dialog procedure. The page
// object outlives the sheet.
class WizardPage {
 public:
  // `windowTitle` is the sheet's title while the page is shown.
  WizardPage(WizardShared& shared, WizardPageKind kind, std::wstring headerTitle,
             std::wstring windowTitle);
  WizardPage(const WizardPage&) = delete;
  WizardPage& operator=(const WizardPage&) = delete;
  virtual ~WizardPage() = default;

  PROPSHEETPAGEW Describe();
  WizardPageKind Kind() const { return kind_; }

  // "Found Updates for <ApplicationName>", the sheet's title before the work begins.
  static std::wstring FoundUpdatesTitle(const WizardShared& shared);
  // "<text> for <ApplicationName>".
  static std::wstring TitleFor(const WizardShared& shared, unsigned textId);

 protected:
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  HWND Window() const { return window_; }
  HWND Sheet() const { return GetParent(window_); }
  WizardButtons Buttons() const { return WizardButtons(Sheet(), shared_.aero); }
  // The index of `kind` in the sheet, or -1 when it holds no such page.
  int IndexOf(WizardPageKind kind) const;
  bool StartedWith(WizardPageKind kind) const {
    return !shared_.pages.empty() && shared_.pages.front() == kind;
  }
  void MoveTo(WizardPageKind kind) const;
  // Answers a notification: DWLP_MSGRESULT carries the value.
  static INT_PTR Answer(HWND window, LONG_PTR value);

  WizardShared& shared_;
  const std::wstring headerTitle_;
  const std::wstring windowTitle_;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static UINT CALLBACK PageCallback(HWND, UINT message, PROPSHEETPAGEW*);

  const WizardPageKind kind_;
  HWND window_ = nullptr;
};

}  // namespace updater
