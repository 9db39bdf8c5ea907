#include "ui/WaitDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "resources/ResourceIds.h"

namespace updater {
namespace {

std::wstring TextOf(HWND window) {
  std::vector<wchar_t> text(GetWindowTextLengthW(window) + 1);
  GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

struct TitleSearch {
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK FindTitle(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TitleSearch*>(param);
  if (!IsWindowVisible(window) || TextOf(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

// Waits until `condition` holds for the window titled `title` on `thread`; null when it never
// did within five seconds.
HWND AwaitWindow(DWORD thread, const wchar_t* title, const std::function<bool(HWND)>& condition) {
  for (int i = 0; i < 250; ++i) {
    TitleSearch search = {title, nullptr};
    EnumThreadWindows(thread, FindTitle, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr && condition(search.found)) return search.found;
    Sleep(20);
  }
  return nullptr;
}

TEST(WaitDialogTest, CancelEndsTheWindowAndTellsTheWorker) {
  WaitDialog dialog(L"Removing Files");
  dialog.SetInitialStatus(L"Pending");
  const DWORD uiThread = GetCurrentThreadId();
  std::wstring seenStatus;
  std::thread user([&] {
    const HWND window = AwaitWindow(uiThread, L"Removing Files", [](HWND w) {
      return TextOf(GetDlgItem(w, IDC_WAIT_STATUS)) == L"Deleting";
    });
    if (window == nullptr) return;
    seenStatus = TextOf(GetDlgItem(window, IDC_WAIT_STATUS));
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  });
  const WaitOutcome outcome = dialog.Run([](WaitProgress& progress) {
    progress.SetStatus(L"Deleting");
    while (!progress.IsCanceled()) Sleep(5);
    return kCanceled;
  });
  user.join();
  EXPECT_EQ(L"Deleting", seenStatus) << "the worker's status never reached the window";
  EXPECT_TRUE(outcome.canceled);
  EXPECT_TRUE(outcome.finished) << "the worker was not waited for";
  EXPECT_EQ(kCanceled, outcome.result);
}

TEST(WaitDialogTest, FinishedWorkerClosesTheWindowUnlessItsResultIsKeptOpen) {
  WaitDialog quick(L"Quick");
  const WaitOutcome done = quick.Run([](WaitProgress&) { return ResultCode{42}; });
  EXPECT_FALSE(done.canceled);
  EXPECT_TRUE(done.finished);
  EXPECT_EQ(42u, done.result);

  WaitDialog kept(L"Checking");
  kept.KeepOpenOnResult(kUpToDate, L"Your software is up to date");
  const DWORD uiThread = GetCurrentThreadId();
  int position = -1;
  std::thread user([&] {
    const HWND window = AwaitWindow(uiThread, L"Checking", [](HWND w) {
      return TextOf(GetDlgItem(w, IDCANCEL)) == L"OK";
    });
    if (window == nullptr) return;
    position = static_cast<int>(SendDlgItemMessageW(window, IDC_WAIT_PROGRESS, PBM_GETPOS, 0, 0));
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  });
  const WaitOutcome shown = kept.Run([](WaitProgress& progress) {
    progress.SetTotal(10);
    progress.Advance(3);
    return kUpToDate;
  });
  user.join();
  EXPECT_EQ(100, position) << "the bar does not stand full under the result";
  EXPECT_FALSE(shown.canceled) << "closing the result is not a cancel";
  EXPECT_EQ(kUpToDate, shown.result);
}

TEST(WaitDialogTest, WorkerThatIgnoresTheCancelIsEndedAfterTheGivenWait) {
  WaitDialog dialog(L"Stubborn");
  const DWORD uiThread = GetCurrentThreadId();
  std::thread user([&] {
    const HWND window = AwaitWindow(uiThread, L"Stubborn", [](HWND) { return true; });
    if (window != nullptr) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  });
  const WaitOutcome outcome = dialog.Run(
      [](WaitProgress&) {
        Sleep(INFINITE);
        return kSuccess;
      },
      50);
  user.join();
  EXPECT_TRUE(outcome.canceled);
  EXPECT_FALSE(outcome.finished);
  EXPECT_EQ(kCanceled, outcome.result);
}

}  // namespace
}  // namespace updater
