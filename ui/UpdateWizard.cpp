#include "ui/UpdateWizard.h"

#include "base/Logger.h"
#include "base/ResultText.h"
#include "config/ClientConfig.h"
#include "config/ClientFlags.h"
#include "resources/StringIds.h"
#include "resources/TrayIds.h"
#include "ui/ChoicePage.h"
#include "ui/ProgressPage.h"
#include "ui/SelectLayout.h"
#include "ui/SelectPage.h"
#include "ui/SummaryPage.h"

namespace updater {
namespace {

// Missing from the MinGW headers.
constexpr DWORD kAeroWizard = 0x00004000;
constexpr DWORD kResizable = 0x04000000;
constexpr WORD kUpdaterIcon = 128;
constexpr int kSideBySideWidth = 850;
constexpr int kSideBySideHeight = 600;

}  // namespace

UpdateWizard* UpdateWizard::running_ = nullptr;

UpdateWizard::UpdateWizard(const ClientConfig& config, UpdateSession& session,
                           std::vector<WizardPageKind> pages, bool justDownload,
                           bool startMinimized)
    : shared_{config, session, std::move(pages), justDownload, SheetIsAeroWizard(), 0, 0,
              WizardStartOptions{startMinimized}, {}, {}} {
  for (const WizardPageKind kind : shared_.pages) {
    switch (kind) {
      case WizardPageKind::Choice:
        pages_.push_back(std::make_unique<ChoicePage>(shared_));
        break;
      case WizardPageKind::Select:
        pages_.push_back(std::make_unique<SelectPage>(shared_));
        break;
      case WizardPageKind::Progress: {
        auto progress = std::make_unique<ProgressPage>(shared_);
        progress_ = progress.get();
        pages_.push_back(std::move(progress));
        break;
      }
      case WizardPageKind::Summary:
        pages_.push_back(std::make_unique<SummaryPage>(shared_));
        break;
    }
  }
}

WizardOutcome UpdateWizard::Run() {
  std::vector<PROPSHEETPAGEW> descriptions;
  for (const auto& page : pages_) descriptions.push_back(page->Describe());
  icon_.Reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                            MAKEINTRESOURCEW(kUpdaterIcon), IMAGE_ICON, 0, 0,
                                            LR_DEFAULTSIZE)));
  PROPSHEETHEADERW header = {};
  header.dwSize = PROPSHEETHEADERW_V1_SIZE;
  header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE | PSH_USECALLBACK | kResizable | kAeroWizard |
                   PSH_WIZARDHASFINISH | PSH_USEHICON;
  header.hwndParent = GetActiveWindow();
  header.hInstance = GetModuleHandleW(nullptr);
  header.hIcon = icon_.Get();
  header.nPages = static_cast<UINT>(descriptions.size());
  header.ppsp = descriptions.data();
  header.pfnCallback = &UpdateWizard::SheetCallback;
  const std::wstring title = WizardPage::FoundUpdatesTitle(shared_);
  header.pszCaption = title.c_str();

  WizardOutcome outcome;
  running_ = this;
  outcome.sheetResult = PropertySheetW(&header);
  running_ = nullptr;
  sheet_ = nullptr;
  if (progress_ != nullptr && progress_->WorkerRan()) {
    outcome.result = progress_->WaitForWorker();
  } else if (outcome.sheetResult < 0) {
    outcome.result = static_cast<ResultCode>(-1);  // no sheet, nothing shown
  } else {
    outcome.result = outcome.sheetResult > 0 ? kSuccess : kCanceled;
  }
  return outcome;
}

int CALLBACK UpdateWizard::SheetCallback(HWND sheet, UINT message, LPARAM data) {
  if (running_ == nullptr) return 0;
  if (message == PSCB_PRECREATE) {
    EditSheetTemplate(reinterpret_cast<void*>(data), running_->shared_.start.startMinimized);
  } else if (message == PSCB_INITIALIZED) {
    running_->OnInitialized(sheet);
  }
  return 0;
}

void UpdateWizard::BringToFront() const {
  // The tray's "Show" command: it knows whether the sheet is hidden in the notification area.
  const HWND sheet = sheet_.load();
  if (sheet != nullptr) PostMessageW(sheet, WM_COMMAND, IDM_TRAY_SHOW, 0);
}

void UpdateWizard::OnInitialized(HWND sheet) {
  sheet_ = sheet;
  SetWindowLongPtrW(sheet, GWL_EXSTYLE,
                    GetWindowLongPtrW(sheet, GWL_EXSTYLE) & ~LONG_PTR{WS_EX_CONTEXTHELP});
  SetWindowLongPtrW(sheet, GWL_STYLE, GetWindowLongPtrW(sheet, GWL_STYLE) | WS_MINIMIZEBOX);
  if (!shared_.aero) shared_.layout.Attach(sheet);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (ChooseSelectLayout(shared_.config.HasFlag(kFlagVertSplitter), screenWidth, screenHeight, 0)
          .sideBySide) {
    // Room for the list beside the description, centred on the primary screen.
    SetWindowPos(sheet, nullptr, (screenWidth - kSideBySideWidth) / 2,
                 (screenHeight - kSideBySideHeight) / 2, kSideBySideWidth, kSideBySideHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const ResultCode added =
      shared_.tray.Attach(sheet, shared_.config.ApplicationName(),
                          WizardPage::FoundUpdatesTitle(shared_), &shared_.start);
  if (added != kSuccess) Log(kLogInfo, L"No notification-area icon. LastError: " + ResultText(added));
}

}  // namespace updater
