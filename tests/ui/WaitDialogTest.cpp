#include "ui/WaitDialog.h"

#include <gtest/gtest.h>

#include <thread>

#include "resources/ResourceIds.h"

namespace updater {
namespace {

// The worker's status reaches the window; Cancel ends the window, and the worker is waited for
// when it heeds the cancel, or ended after the given wait when it does not.
TEST(WaitDialogTest, CancelEndsTheWindowAndTheWorker) {
  for (const bool heeds : {true, false}) {
    WaitDialog dialog(L"Removing Files");
    dialog.SetInitialStatus(L"Pending");
    std::thread user([] {  // gives up after five seconds
      for (int i = 0; i < 250; ++i, Sleep(20)) {
        const HWND window = FindWindowW(L"#32770", L"Removing Files");
        wchar_t status[16] = {};
        GetDlgItemTextW(window, IDC_WAIT_STATUS, status, 16);
        if (window && IsWindowVisible(window) && std::wstring(status) == L"Deleting") {
          PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
          return;
        }
      }
    });
    const WaitOutcome outcome = dialog.Run(
        [heeds](WaitProgress& progress) {
          progress.SetStatus(L"Deleting");
          while (!heeds || !progress.IsCanceled()) Sleep(5);
          return kCanceled;
        },
        50);
    user.join();
    EXPECT_TRUE(outcome.canceled) << "the status never reached the window, heeds " << heeds;
    EXPECT_EQ(heeds, outcome.finished) << "heeds " << heeds;
    EXPECT_EQ(kCanceled, outcome.result) << "heeds " << heeds;
  }
}

}  // namespace
}  // namespace updater
