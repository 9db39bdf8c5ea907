#include "install/AutoCloseApplication.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "install/InstallTestSupport.h"

namespace updater {
namespace {

using test::Narrow;

// Long enough for a started fixture to show its window.
constexpr DWORD kBriefWaitMs = 1500;

TEST(AutoCloseApplicationTest, ChoosesWindowsByTitlePrefixOrAsMainWindows) {
  constexpr DWORD kMain = WS_OVERLAPPEDWINDOW;
  struct Case {
    const wchar_t* title;
    DWORD style;
    DWORD exStyle;
    const wchar_t* prefix;
    bool closes;
  };
  const Case cases[] = {
      {L"Editor - notes.txt", kMain, 0, L"editor", true},
      {L"Editor", WS_POPUP | WS_DISABLED, 0, L"Editor", true},
      {L"Edit", kMain, 0, L"Editor", false},
      {L"My Editor", kMain, 0, L"Editor", false},
      {L"Editor", kMain, 0, L"", true},
      {L"", kMain, 0, L"", false},
      {L"Editor", WS_OVERLAPPED | WS_CAPTION, 0, L"", false},
      {L"Editor", kMain | WS_CHILD, 0, L"", false},
      {L"Editor", kMain | WS_DISABLED, 0, L"", false},
      {L"Editor", WS_POPUP | WS_SYSMENU | WS_CAPTION, 0, L"", false},
      {L"Editor", kMain | 0x80, 0, L"", false},
      {L"Editor", kMain, WS_EX_DLGMODALFRAME, L"", false},
      {L"Editor", kMain, WS_EX_TOOLWINDOW, L"", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.closes, IsWindowToClose(c.title, c.style, c.exStyle, c.prefix))
        << Narrow(c.title) << " style " << std::hex << c.style << " ex " << c.exStyle
        << " prefix " << Narrow(c.prefix);
  }
}

TEST(AutoCloseApplicationTest, RestartsWhatRanOrMustAlwaysRestartUnlessNeverToRestart) {
  struct Case {
    std::uint32_t flags;
    bool wasRunning;
    bool restart;
  };
  const Case cases[] = {
      {0, true, true},
      {0, false, false},
      {kAutoCloseAlwaysRestart, false, true},
      {kAutoCloseNoRestart, true, false},
      {kAutoCloseNoRestart | kAutoCloseAlwaysRestart, false, false},
      {kAutoCloseQueryEndSession, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.restart, RestartWanted(c.flags, c.wasRunning))
        << "flags " << c.flags << ", running " << c.wasRunning;
  }
}

TEST(AutoCloseApplicationTest, RestartStartsThePathWithItsArgumentsInItsFolder) {
  AutoCloseEntry application;
  application.application = L"C:\\Program Files\\App\\app.exe";
  application.arguments = L"-restored \"doc 1.txt\"";
  EXPECT_EQ(L"\"C:\\Program Files\\App\\app.exe\" -restored \"doc 1.txt\"",
            RestartCommandLine(application));
  application.arguments.clear();
  EXPECT_EQ(L"\"C:\\Program Files\\App\\app.exe\" ", RestartCommandLine(application));
  EXPECT_EQ(L"C:\\Program Files\\App", FolderOfPath(application.application));
  EXPECT_EQ(L"", FolderOfPath(L"app.exe"));
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
  EXPECT_TRUE(test::WaitForWindow(L"Editor - notes", true));

  entry.windowTitle = L"editor";
  EXPECT_TRUE(CloseApplication(entry));
  EXPECT_TRUE(WaitForApplicationExit(entry, 10000));
  EXPECT_TRUE(test::WaitForWindow(L"Editor - notes", false));
  EXPECT_TRUE(test::WaitForWindow(L"Editor - elsewhere", true))
      << "the same title in another executable was closed";
}

TEST(AutoCloseApplicationTest, RestartHappensOnlyWhenWantedAndNotRunning) {
  test::FixtureApplication app(L"App.exe");
  AutoCloseEntry entry;
  entry.application = app.Path();
  entry.arguments = L"Restarted Editor";
  entry.restart = false;
  RestartApplication(entry);
  EXPECT_FALSE(test::WaitForWindow(L"Restarted Editor", true, kBriefWaitMs));

  ASSERT_TRUE(app.Start(L"Still Running"));
  entry.restart = true;
  RestartApplication(entry);
  EXPECT_FALSE(test::WaitForWindow(L"Restarted Editor", true, kBriefWaitMs))
      << "a second instance was started beside the running one";
}

}  // namespace
}  // namespace updater
