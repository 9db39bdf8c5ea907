#include "install/AutoCloseApplication.h"

#include <gtest/gtest.h>

#include "install/InstallTestSupport.h"

namespace updater {
namespace {

using test::Narrow;

TEST(AutoCloseApplicationTest, ChoosesWindowsByTitlePrefixOrAsMainWindows) {
  constexpr DWORD kMain = WS_OVERLAPPEDWINDOW;
  struct Case { const wchar_t* title; DWORD style, exStyle; const wchar_t* prefix; bool closes; };
  const Case cases[] = {
      {L"Editor - notes.txt", kMain, 0, L"editor", true},
      {L"Editor", WS_POPUP | WS_DISABLED, 0, L"Editor", true},
      {L"My Editor", kMain, 0, L"Editor", false},
      {L"Editor", kMain, WS_EX_TOOLWINDOW, L"", true},
      {L"", kMain, 0, L"", false},
      {L"Editor", WS_OVERLAPPED | WS_CAPTION, 0, L"", false},
      {L"Editor", kMain | WS_CHILD, 0, L"", false},
      {L"Editor", kMain | WS_DISABLED, 0, L"", false},
      {L"Editor", WS_POPUP | WS_SYSMENU | WS_CAPTION, 0, L"", false},
      {L"Editor", kMain | 0x80, 0, L"", false},
      {L"Editor", kMain, WS_EX_DLGMODALFRAME, L"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.closes, IsWindowToClose(c.title, c.style, c.exStyle, c.prefix))
        << Narrow(c.title) << " style " << std::hex << c.style << " ex " << c.exStyle
        << " prefix " << Narrow(c.prefix);
  }
}

TEST(AutoCloseApplicationTest, RestartsWhatRanOrMustAlwaysRestartUnlessNeverToRestart) {
  EXPECT_TRUE(RestartWanted(0, true));
  EXPECT_FALSE(RestartWanted(kAutoCloseQueryEndSession, false));
  EXPECT_TRUE(RestartWanted(kAutoCloseAlwaysRestart, false));
  EXPECT_FALSE(RestartWanted(kAutoCloseNoRestart | kAutoCloseAlwaysRestart, true));
}

TEST(AutoCloseApplicationTest, ClosesOnlyTheWindowsOfThatExecutableWithThePrefix) {
  test::FixtureApplication app(L"App.exe");
  test::FixtureApplication other(L"Other.exe");
  ASSERT_TRUE(app.Start(L"Editor - notes"));
  ASSERT_TRUE(other.Start(L"Editor - elsewhere"));
  AutoCloseEntry entry;
  entry.application = app.Path();
  entry.windowTitle = L"Viewer";
  EXPECT_FALSE(CloseApplication(entry)) << "a window without the prefix was asked to close";
  entry.windowTitle = L"editor";
  EXPECT_TRUE(CloseApplication(entry));
  EXPECT_TRUE(WaitForApplicationExit(entry, 10000));
  EXPECT_TRUE(test::WaitForWindow(L"Editor - elsewhere", true, 0))
      << "the same title in another executable was closed";
}

}  // namespace
}  // namespace updater
