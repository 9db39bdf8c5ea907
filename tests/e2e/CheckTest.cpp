#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <future>

#include "e2e/Scenario.h"
#include "install/InstallTestSupport.h"

namespace updater::test {

constexpr DWORD kUpToDate = 0xE0000011;
constexpr std::int64_t kDay = 86400ll * 10000000ll;

// The window of the one check that runs at a time; null when none came in time.
HWND CheckingWindow() {
  HWND window = nullptr;
  WaitUntil([&] {
    window = FindWindowW(nullptr, L"Checking for Updates");
    return window != nullptr && IsWindowVisible(window);
  }, 10000);
  return window;
}

TEST(JustCheckTest, ReportsByExitCodeWhetherAnUpdateIsNeeded) {
  struct Case { bool secondInstalled, secondCritical, secondDownloaded; const wchar_t* arguments;
                DWORD exitCode; };
  const Case cases[] = {
      {true, true, false, L"/justcheck", kUpToDate},
      {false, false, false, L"/justcheck", 0},
      {false, false, false, L"/justcheck -critical", kUpToDate},
      {false, true, false, L"/justcheck -critical", 0},
      {false, false, false, L"/justcheck -installready", kUpToDate},
      {false, false, true, L"/justcheck -installready", 0},  // its installer lies complete
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.arguments) + (c.secondInstalled ? " installed" : "") +
                 (c.secondCritical ? " critical" : "") + (c.secondDownloaded ? " downloaded" : ""));
    Scenario s;
    s.MarkInstalled(L"First");
    if (c.secondInstalled) s.MarkInstalled(L"Second");
    // The newer update first, as publishers list them.
    s.Publish(s.Section({L"Second", c.secondCritical ? L"Flags=Critical\r\n" : L""}) +
              s.Section({L"First"}));
    if (c.secondDownloaded) {
      CreateDirectoryW(s.Downloads().c_str(), nullptr);
      CreateDirectoryW((s.Downloads() + L"\\Second").c_str(), nullptr);
      CopyFileW(FixturePath(L"InstallerFixture.exe").c_str(), s.InstallerPath(L"Second").c_str(), 0);
    }
    const RunOutcome outcome = s.Run(c.arguments);
    EXPECT_EQ(c.exitCode, outcome.exitCode) << Narrow(s.Log());
    EXPECT_EQ(0, outcome.messageBoxes);
    DWORD registered = 1;  // as a client of its configuration, which /clean looks at
    EXPECT_TRUE(GetRegistryDword(HKEY_CURRENT_USER, s.Key(), s.Exe(), &registered));
    EXPECT_EQ(0u, registered);
  }
}

// What a dump holds is checked with the silent installs.
TEST(JustCheckTest, DumpDetectedLeavesAnExistingFileAlone) {
  Scenario s;
  s.Publish(s.Section({L"Needed"}));
  WriteTextFile(s.File(L"old.ini"), L"keep me", TextEncoding::Ansi);
  EXPECT_EQ(0u, s.Run(L"/justcheck -dumpdetected \"" + s.File(L"old.ini") + L"\"").exitCode);
  EXPECT_EQ("keep me", ReadFileBytes(s.File(L"old.ini")));
}

TEST(JustCheckTest, SecondCheckIsAnsweredNotModifiedAndReusesTheLocalCopy) {
  Scenario s;
  s.Publish(s.Section({L"Needed"}));
  EXPECT_EQ(0u, s.Run(L"/justcheck").exitCode);
  EXPECT_EQ(0u, s.Run(L"/justcheck").exitCode) << Narrow(s.Log());
  const std::vector<std::string> requests = s.Requests();
  ASSERT_EQ(2u, requests.size());
  EXPECT_NE(std::string::npos, requests[0].find("status=200")) << requests[0];
  EXPECT_NE(std::string::npos, requests[1].find("status=304")) << requests[1];
  EXPECT_EQ(std::string::npos, requests[1].find("ims=\"-\"")) << "no If-Modified-Since was sent";
}

TEST(JustCheckTest, UpdateConfigurationFileWithoutItsMarkerLineIsRefused) {
  Scenario s;
  s.Serve(L"updates.ini", L"[General]\r\nConfigFileVersion=1.0\r\n");
  EXPECT_EQ(0xE000000Eu, s.Run(L"/justcheck").exitCode);
}

TEST(SilentCheckTest, ChecksOnlyWhenDueAndSchedulesTheNextAfterASuccess) {
  // The next check, before and after the run, lies so many days ahead (0: none scheduled).
  struct Case { const char* what; int nextBefore; bool policyOff, published; const wchar_t* arguments;
                DWORD exitCode; size_t requests; int nextAfter; };
  const Case cases[] = {
      {"not due", 1, false, true, L"/silentall", 0xE000001A, 0, 1},
      {"policy off wins over a passed check", -1, true, true, L"/silentall", 0xE0000019, 0, -1},
      {"-nofreqcheck", 1, false, true, L"/silentall -nofreqcheck", kUpToDate, 1, 1},
      {"failed check", 0, false, false, L"/silent", 0xE0000018, 1, 0},
      {"up to date: CheckFrequency days on", 0, false, true, L"/silent", kUpToDate, 1, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    const std::wstring settings = s.Key(L"Settings");
    SetRegistryDword(HKEY_CURRENT_USER, settings, L"CheckFrequency", 5);
    if (c.policyOff) SetRegistryDword(HKEY_CURRENT_USER, settings, L"AutoUpdatePolicy", 0);
    std::int64_t now = 0;  // FILETIME's layout
    GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&now));
    std::int64_t next = now + c.nextBefore * kDay;
    if (c.nextBefore != 0) {
      RegSetKeyValueW(HKEY_CURRENT_USER, settings.c_str(), L"NextUpdateCheck", REG_BINARY, &next, 8);
    }
    s.MarkInstalled(L"Present");
    if (c.published) s.Publish(s.Section({L"Present"}));
    EXPECT_EQ(c.exitCode, s.Run(c.arguments).exitCode);
    EXPECT_EQ(c.requests, s.Requests().size()) << "requests for the update configuration file";
    DWORD size = sizeof(next);
    ASSERT_EQ(c.nextAfter != 0, RegGetValueW(HKEY_CURRENT_USER, settings.c_str(), L"NextUpdateCheck",
                                             RRF_RT_REG_BINARY, nullptr, &next, &size) == 0);
    EXPECT_LT(std::llabs(next - now - c.nextAfter * kDay), 60ll * 10000000ll) << "a minute off";
  }
}

TEST(CheckNowTest, SecondCheckEndsAtOnceAndBringsTheFirstToTheFront) {
  Scenario s;
  // A server that reads the request and never answers keeps the check in its window.
  s.Configure(L"URL=" + ServerUrl(L"fault", L"slowheaders") + L"\r\n" + s.Folders());
  auto first = std::async(std::launch::async, [&] { return s.Run(L"/checknow", Dialogs::OnlyWatch); });
  const HWND checking = CheckingWindow();
  ASSERT_NE(nullptr, checking) << "the first check shows no checking window";
  // A window of the test itself, standing for whatever the user was busy with.
  const HWND user = CreateWindowExW(0, L"STATIC", L"user's work", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(user);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == user; }, 3000));
  EXPECT_EQ(0xE0000027u, s.Run(L"/checknow").exitCode);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == checking; }, 3000))
      << "the first check did not come to the front";
  DestroyWindow(user);
  // Cancel closes the window and the download; the process ends without waiting for the server.
  PostMessageW(checking, WM_COMMAND, IDCANCEL, 0);
  ASSERT_EQ(std::future_status::ready, first.wait_for(std::chrono::seconds(10))) << "still running";
  EXPECT_EQ(0xE0000008u, first.get().exitCode);
  EXPECT_TRUE(Contains(s.Log(), L"Download was canceled")) << Narrow(s.Log());
}

TEST(CheckNowTest, UpToDateCheckShowsTheResultUntilTheUserClosesTheWindow) {
  Scenario s;
  s.MarkInstalled(L"Present");
  s.Publish(s.Section({L"Present"}));
  auto check = std::async(std::launch::async, [&] { return s.Run(L"/checknow", Dialogs::OnlyWatch); });
  const HWND window = CheckingWindow();
  ASSERT_NE(nullptr, window);
  wchar_t text[64] = {};
  EXPECT_TRUE(WaitUntil([&] {
    GetDlgItemTextW(window, 1045, text, 64);
    return std::wstring(text) == L"Your software is up to date";
  }, 3000)) << Narrow(text);
  GetDlgItemTextW(window, IDCANCEL, text, 64);
  EXPECT_EQ(std::wstring(L"OK"), text);
  EXPECT_EQ(std::future_status::timeout, check.wait_for(std::chrono::milliseconds(200)))
      << "the window closed by itself";
  PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(kUpToDate, check.get().exitCode);
  DWORD registered = 1;  // as a client of its configuration, which /clean looks at
  EXPECT_TRUE(GetRegistryDword(HKEY_CURRENT_USER, s.Key(), s.Exe(), &registered));
  EXPECT_EQ(0u, registered);
}

}  // namespace updater::test
