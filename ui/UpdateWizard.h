#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "ui/WizardPage.h"
#include "ui/WizardPages.h"

namespace updater {

class ProgressPage;

struct WizardOutcome {
  // What PropertySheetW returned: 0 when the sheet was closed without finishing, -1 when it
  // could not be created.
  INT_PTR sheetResult = 0;
  // The worker's result when the progress page ran it; else 0 after Finish, kCanceled after a
  // close without finishing, and -1 without a sheet.
  ResultCode result = kSuccess;
};

// The update wizard: a property sheet with the pages of `pages`, over the session's updates.
class UpdateWizard {
 public:
  UpdateWizard(const ClientConfig& config, UpdateSession& session,
               std::vector<WizardPageKind> pages, bool justDownload, bool startMinimized);
  UpdateWizard(const UpdateWizard&) = delete;
  UpdateWizard& operator=(const UpdateWizard&) = delete;

  // Shows the sheet modally, owned by the active window, and returns once it has closed and the
  // worker, if it ran, has ended.
  WizardOutcome Run();

  // Restores the sheet, also from the notification area, and brings it to the front while it is
  // shown; safe from any thread, a no-op otherwise.
  void BringToFront() const;

 private:
  static int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM data);
  void OnInitialized(HWND sheet);

  // The wizard whose sheet is shown (one at a time): the sheet callback carries no data of its own.
  static UpdateWizard* running_;

  WizardShared shared_;
  std::vector<std::unique_ptr<WizardPage>> pages_;
  ProgressPage* progress_ = nullptr;
  IconHandle icon_;
  std::atomic<HWND> sheet_{nullptr};
};

}  // namespace updater
