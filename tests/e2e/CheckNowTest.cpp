#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "TestSupport.h"
#include "e2e/CheckSetup.h"
#include "e2e/StartedUpdater.h"

namespace updater::test {
namespace {

constexpr wchar_t kCheckingTitle[] = L"Checking for Updates";
constexpr int kStatusText = 1045;
// A server that reads the request and never answers keeps the check in its window.
std::wstring SilentServer() { return L"http://" + ServerAddress(L"fault") + L"/slowheaders"; }

std::wstring ControlText(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  std::vector<wchar_t> text(GetWindowTextLengthW(control) + 1);
  GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  return text.data();
}

// Polls, since the window changes on its own thread.
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 150; ++i) {
    if (condition()) return true;
    Sleep(20);
  }
  return condition();
}

// A window of the test itself, standing for whatever the user was busy with.
class UserWindow {
 public:
  UserWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"user's work", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr)) {
    SetForegroundWindow(window_);
  }
  ~UserWindow() { DestroyWindow(window_); }
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

TEST(CheckNowTest, SecondCheckEndsAtOnceAndBringsTheFirstToTheFront) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  setup.UseConfigurationUrl(SilentServer());
  StartedUpdater first(setup.Updater(), L"/checknow");
  const HWND checking = first.WaitForWindow(kCheckingTitle, 10000);
  ASSERT_NE(nullptr, checking) << "the first check shows no checking window";

  const UserWindow user;
  ASSERT_TRUE(Eventually([&] { return GetForegroundWindow() == user.Get(); }))
      << "the test could not take the foreground";
  const RunOutcome second = setup.Updater().Run(L"/checknow", 20000);
  EXPECT_TRUE(second.finished);
  EXPECT_EQ(0xE0000027u, second.exitCode);
  EXPECT_TRUE(Eventually([&] { return GetForegroundWindow() == checking; }))
      << "the first check did not come to the front";

  // Cancel, as the user would, closes the window and cancels the download; the process ends
  // without waiting for the server, quietly.
  PostMessageW(checking, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(Eventually([&] { return !IsWindow(checking); })) << "the window stayed";
  DWORD exitCode = 0;
  ASSERT_TRUE(first.WaitForExit(10000, &exitCode)) << "the canceled check kept running";
  EXPECT_EQ(0xE0000008u, exitCode);
  EXPECT_NE(std::wstring::npos, setup.Log().find(L"Download was canceled")) << Narrow(setup.Log());
}

TEST(CheckNowTest, UpToDateCheckShowsTheResultUntilTheUserClosesTheWindow) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  setup.Publish(setup.Update(L"Present", false, true));
  StartedUpdater check(setup.Updater(), L"/checknow");
  const HWND window = check.WaitForWindow(kCheckingTitle, 10000);
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(Eventually([&] {
    return ControlText(window, kStatusText) == L"Your software is up to date";
  })) << Narrow(ControlText(window, kStatusText));
  EXPECT_EQ(L"OK", ControlText(window, IDCANCEL));
  DWORD exitCode = 0;
  EXPECT_FALSE(check.WaitForExit(200, &exitCode)) << "the window closed by itself";

  PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(check.WaitForExit(10000, &exitCode));
  EXPECT_EQ(0xE0000011u, exitCode);
}

TEST(CheckNowTest, FailedCheckIsShownInAnErrorBoxUnlessUserActionsAreMinimal) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  const RunOutcome quiet = setup.Updater().Run(L"/checknow -minuseractions");
  EXPECT_EQ(0xE0000018u, quiet.exitCode);
  EXPECT_EQ(0, quiet.messageBoxes) << "-minuseractions shows neither window nor box";

  const RunOutcome shown = setup.Updater().Run(L"/checknow");
  EXPECT_EQ(0xE0000018u, shown.exitCode);
  EXPECT_EQ(L"Driver Test App", shown.messageBoxCaption);
  EXPECT_EQ(0u, shown.messageBoxText.find(L"Checking for Updates - Unable to find resource"))
      << Narrow(shown.messageBoxText);
}

}  // namespace
}  // namespace updater::test
