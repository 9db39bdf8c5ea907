#include "ui/WizardPage.h"

#include <algorithm>

#include "base/ResultText.h"
#include "config/ClientConfig.h"
#include "resources/StringIds.h"

namespace updater {

WizardPage::WizardPage(WizardShared& shared, WizardPageKind kind, std::wstring headerTitle,
                       std::wstring windowTitle)
    : shared_(shared),
      headerTitle_(std::move(headerTitle)),
      windowTitle_(std::move(windowTitle)),
      kind_(kind) {}

PROPSHEETPAGEW WizardPage::Describe() {
  PROPSHEETPAGEW page = {};
  page.dwSize = sizeof(page);
  // The page's title, not PSM_SETTITLE: a wizard shows the title of the page it shows.
  page.dwFlags = PSP_USECALLBACK | PSP_USEHEADERTITLE | PSP_USETITLE;
  page.pszTitle = windowTitle_.c_str();
  page.hInstance = GetModuleHandleW(nullptr);
  page.pszTemplate = MAKEINTRESOURCEW(static_cast<int>(kind_));
  page.pfnDlgProc = &WizardPage::DialogProc;
  page.pfnCallback = &WizardPage::PageCallback;
  page.lParam = reinterpret_cast<LPARAM>(this);
  page.pszHeaderTitle = headerTitle_.c_str();
  return page;
}

UINT CALLBACK WizardPage::PageCallback(HWND, UINT, PROPSHEETPAGEW*) {
  return 1;  // PSPCB_CREATE: create the page
}

INT_PTR CALLBACK WizardPage::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* page = reinterpret_cast<WizardPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
    page->window_ = window;
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
  }
  auto* page = reinterpret_cast<WizardPage*>(GetWindowLongPtrW(window, DWLP_USER));
  if (page == nullptr) return FALSE;
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == PSN_SETACTIVE) {
    page->Buttons().SetDefaultTexts();
    page->shared_.layout.FitPage(window);
    page->shared_.tray.OnPageStarted();
  }
  return page->OnMessage(message, wParam, lParam);
}

int WizardPage::IndexOf(WizardPageKind kind) const {
  const auto found = std::find(shared_.pages.begin(), shared_.pages.end(), kind);
  return found == shared_.pages.end() ? -1 : static_cast<int>(found - shared_.pages.begin());
}

void WizardPage::MoveTo(WizardPageKind kind) const {
  const int index = IndexOf(kind);
  if (index >= 0) PostMessageW(Sheet(), PSM_SETCURSEL, index, 0);
}

std::wstring WizardPage::FoundUpdatesTitle(const WizardShared& shared) {
  return FormatText(LoadResourceString(IDS_FOUND_UPDATES_FOR).c_str(),
                    shared.config.ApplicationName().c_str());
}

std::wstring WizardPage::TitleFor(const WizardShared& shared, unsigned textId) {
  return FormatText(LoadResourceString(IDS_TITLE_FOR_APP).c_str(),
                    LoadResourceString(textId).c_str(), shared.config.ApplicationName().c_str());
}

INT_PTR WizardPage::Answer(HWND window, LONG_PTR value) {
  SetWindowLongPtrW(window, DWLP_MSGRESULT, value);
  return TRUE;
}

}  // namespace updater
