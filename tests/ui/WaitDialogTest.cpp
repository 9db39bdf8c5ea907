#include "ui/WaitDialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <thread>

#include "TestSupport.h"
#include "resources/ResourceIds.h"

namespace updater {
namespace {

// The worker's status and progress reach the window (a known total ends the marquee); Cancel ends
// the window, and the worker is waited for when it heeds the cancel, or ended after the given wait
// when it does not.
TEST(WaitDialogTest, CancelEndsTheWindowAndTheWorker) {
  for (const bool heeds : {true, false}) {
    WaitDialog dialog(L"Removing Files");
    dialog.SetInitialStatus(L"Pending");
    bool sawStatus = false;
    LRESULT position = -1;
    std::thread user([&sawStatus, &position] {  // cancels once it sees the status, or after five seconds
      HWND window = nullptr;
      sawStatus = test::WaitUntil([&window] {
        window = FindWindowW(L"#32770", L"Removing Files");
        wchar_t status[16] = {};
        GetDlgItemTextW(window, IDC_WAIT_STATUS, status, 16);
        return window && IsWindowVisible(window) && std::wstring(status) == L"Deleting";
      }, 5000);
      const HWND bar = GetDlgItem(window, IDC_WAIT_PROGRESS);
      const bool marquee = (GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
      position = marquee ? -1 : SendMessageW(bar, PBM_GETPOS, 0, 0);
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    const WaitOutcome outcome = dialog.Run(
        [heeds](WaitProgress& progress) {
          // Once the window shows, a change of status alone must reach it.
          test::WaitUntil([] { return FindWindowW(L"#32770", L"Removing Files") != nullptr; }, 5000);
          progress.SetTotal(200);
          progress.Advance(50);
          progress.SetStatus(L"Deleting");
          // One that does not heed the cancel is ended by the window long before this wait ends.
          test::WaitUntil([&] { return heeds && progress.IsCanceled(); }, 30000, 5);
          return kCanceled;
        },
        50);
    user.join();
    EXPECT_TRUE(sawStatus) << "the status never reached the window, heeds " << heeds;
    EXPECT_EQ(25, position) << "percent shown, -1 for a marquee; heeds " << heeds;
    EXPECT_TRUE(outcome.canceled) << "heeds " << heeds;
    EXPECT_EQ(heeds, outcome.finished) << "heeds " << heeds;
    EXPECT_EQ(kCanceled, outcome.result) << "heeds " << heeds;
  }
}

}  // namespace
}  // namespace updater
