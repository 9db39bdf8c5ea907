#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <future>

#include "base/ResultText.h"
#include "e2e/Scenario.h"
#include "resources/OptionsIds.h"
#include "resources/ResourceIds.h"

namespace updater::test {

constexpr DWORD kUpToDate = 0xE0000011;
constexpr std::int64_t kMinute = 60ll * 10000000ll;
constexpr std::int64_t kDay = 1440 * kMinute;

// Starts /checknow and waits for its window (null when none came); the future ends with the run.
std::future<RunOutcome> StartCheckNow(const Scenario& s, HWND* window) {
  auto run = std::async(std::launch::async,
                        [&] { return s.Run(L"/checknow", Dialogs::OnlyWatch); });
  WaitUntil([&] {
    *window = FindWindowW(nullptr, L"Checking for Updates");
    return *window != nullptr && IsWindowVisible(*window);
  }, 10000);
  return run;
}

// A staged rollout reaches an installation by the bucket in its settings; critical updates reach
// every installation.
TEST(JustCheckTest, AStagedRolloutReachesAnInstallationByItsBucket) {
  const struct { DWORD bucket; const wchar_t* keys; DWORD exitCode; } cases[] = {
      {4999, L"RolloutPercent=50\r\n", 0},
      {5000, L"RolloutPercent=50\r\n", kUpToDate},
      {0, L"RolloutPercent=50%\r\n", kUpToDate},
      {9999, L"RolloutPercent=0\r\nFlags=Critical\r\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.keys) + " bucket " + std::to_string(c.bucket));
    Scenario s;
    s.Set(L"RolloutBucket", c.bucket);
    s.Publish(s.Section({L"Staged", c.keys}));
    EXPECT_EQ(c.exitCode, s.Run(L"/justcheck").exitCode) << Narrow(s.Log());
    EXPECT_TRUE(Contains(s.Log(), FormatText(L"held back by staged rollouts: %d (rollout bucket %lu)",
                                             c.exitCode == 0 ? 0 : 1, c.bucket)))
        << Narrow(s.Log());
  }
}

TEST(JustCheckTest, ReportsByExitCodeWhetherAnUpdateIsNeeded) {
  // The second, newer update: installed, critical, its installer downloaded.
  struct Case { bool installed, critical, downloaded; const wchar_t* arguments; DWORD exitCode; };
  const Case cases[] = {
      {true, true, false, L"/justcheck", kUpToDate},
      {false, false, false, L"/justcheck", 0},
      {false, false, false, L"/justcheck -critical", kUpToDate},
      {false, true, false, L"/justcheck -critical", 0},
      {false, false, false, L"/justcheck -installready", kUpToDate},
      {false, false, true, L"/justcheck -installready", 0},
      // What a dump holds is checked with the silent installs; an existing file is left alone.
      {false, false, false, L"/justcheck -dumpdetected old.ini", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.arguments) + (c.installed ? " installed" : "") +
                 (c.critical ? " critical" : "") + (c.downloaded ? " downloaded" : ""));
    Scenario s;
    WriteTextFile(s.File(L"old.ini"), L"keep me", TextEncoding::Ansi);
    WriteTextFile(s.Marker(L"First"), L"x", TextEncoding::Ansi);
    if (c.installed) WriteTextFile(s.Marker(L"Second"), L"x", TextEncoding::Ansi);
    // The newer update first, as publishers list them.
    s.Publish(s.Section({L"Second", c.critical ? L"Flags=Critical\r\n" : L""}) +
              s.Section({L"First"}));
    const std::wstring installer = s.InstallerPath(L"Second");
    if (c.downloaded) CreateDirectoryW((s.Downloads() + L"\\Second").c_str(), nullptr);
    if (c.downloaded) CopyFileW(FixturePath(L"InstallerFixture.exe").c_str(), installer.c_str(), 0);
    const RunOutcome outcome = s.Run(c.arguments);
    EXPECT_EQ(c.exitCode, outcome.exitCode) << Narrow(s.Log());
    EXPECT_EQ(0, outcome.messageBoxes);
    EXPECT_EQ("keep me", ReadFileBytes(s.File(L"old.ini")));
  }
}

TEST(CheckTest, AsksTheServerOnlyWhenDueAndSchedulesTheNextCheckAfterASuccess) {
  // Served: the update configuration file (none: nothing; empty: one installed update). The next
  // check, before and after the runs, lies so many days ahead (0: none scheduled). What else
  // decides whether a check is due is CheckScheduleTest's.
  struct Case { const char* what; const wchar_t* served; std::vector<const wchar_t*> runs;
                int nextBefore; DWORD exitCode; std::string statuses; int nextAfter; };
  const Case cases[] = {
      {"not due", L"", {L"/silentall"}, 1, 0xE000001A, "", 1},
      {"-nofreqcheck", L"", {L"/silentall -nofreqcheck"}, 1, kUpToDate, "200 ", 1},
      {"a failed check", nullptr, {L"/silent"}, 0, 0xE0000018, "404 ", 0},
      {"CheckFrequency days on", L"", {L"/silent"}, 0, kUpToDate, "200 ", 5},
      {"not modified", L"", {L"/justcheck", L"/justcheck"}, 0, kUpToDate, "200 304 ", 0},
      {"no \";qzu;\" line", L"[General]\r\nConfigFileVersion=1.0\r\n", {L"/justcheck"}, 0,
       0xE000000E, "200 ", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    const std::wstring key = s.Key(L"Settings");
    s.Set(L"CheckFrequency", 5);
    std::int64_t now = 0;  // FILETIME's layout
    GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&now));
    std::int64_t next = now + c.nextBefore * kDay;
    if (c.nextBefore != 0) {
      RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"NextUpdateCheck", REG_BINARY, &next, 8);
    }
    WriteTextFile(s.Marker(L"Present"), L"x", TextEncoding::Ansi);
    if (c.served && *c.served) s.Serve(L"updates.ini", c.served);
    if (c.served && !*c.served) s.Publish(s.Section({L"Present"}));
    for (const wchar_t* run : c.runs) EXPECT_EQ(c.exitCode, s.Run(run).exitCode);
    std::string statuses;  // of the requests for the update configuration file
    for (const auto& line : s.Requests()) statuses += line.substr(line.find("status=") + 7, 4);
    EXPECT_EQ(c.statuses, statuses);
    EXPECT_TRUE(s.Registered());
    DWORD size = sizeof(next);
    ASSERT_EQ(c.nextAfter != 0, RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"NextUpdateCheck",
                                             RRF_RT_REG_BINARY, nullptr, &next, &size) == 0);
    // A check the silent run scheduled comes up to a tenth of the period later, spread.
    const std::int64_t spread = c.nextAfter != c.nextBefore ? c.nextAfter * kDay / 10 : 0;
    EXPECT_GT(next - now - c.nextAfter * kDay, -kMinute) << "a minute early";
    EXPECT_LT(next - now - c.nextAfter * kDay, spread + kMinute) << "too late";
  }
}

// A busy server's Retry-After holds back the checks after it without a request, whichever run
// checks.
TEST(CheckTest, ABusyServerIsNotAskedAgainBeforeItsRetryAfter) {
  Scenario s(L"busy/3600/");
  std::int64_t now = 0;  // FILETIME's layout
  GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&now));
  for (const wchar_t* run : {L"/justcheck", L"/silent", L"/justcheck"}) {
    EXPECT_EQ(0xE000003Du, s.Run(run).exitCode) << Narrow(run) << "\n" << Narrow(s.Log());
  }
  EXPECT_EQ(1u, s.Requests(L"updates.ini").size());
  EXPECT_EQ(2u, CountOf(s.Log(), L"The update server asked to be contacted after "));
  std::int64_t until = 0;
  DWORD size = sizeof(until);
  ASSERT_EQ(0, RegGetValueW(HKEY_CURRENT_USER, s.Key(L"Settings").c_str(), L"RetryAfter",
                            RRF_RT_REG_BINARY, nullptr, &until, &size));
  EXPECT_LT(std::llabs(until - now - 3600ll * 10000000ll), kMinute) << "not an hour ahead";
}

TEST(CheckNowTest, SecondCheckEndsAtOnceAndBringsTheFirstToTheFront) {
  Scenario s;
  // A server that reads the request and never answers keeps the check in its window.
  s.Configure(L"URL=" + ServerUrl(L"fault", L"slowheaders") + L"\r\n", true);
  HWND checking = nullptr;
  auto first = StartCheckNow(s, &checking);
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

// Behind authentication the check first asks in the credentials dialog over its window; the
// remembered answer opens the server to later checks, which ask nobody. The check's result stays
// until the user closes it.
TEST(CheckNowTest, BehindAuthenticationTheUserIsAskedAndTheResultStaysUntilClosed) {
  Scenario s(L"auth/");
  WriteTextFile(s.Marker(L"Present"), L"x", TextEncoding::Ansi);
  s.Publish(s.Section({L"Present"}));
  EXPECT_EQ(0xE0000012u, s.Run(L"/justcheck").exitCode) << "not guarded";
  HWND window = nullptr;
  auto check = StartCheckNow(s, &window);
  ASSERT_NE(nullptr, window);
  HWND question = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    question = FindWindowW(L"#32770", L"Connect to 127.0.0.1");
    return question != nullptr && IsWindowVisible(question);
  }, 10000)) << "no credentials question";
  SetDlgItemTextW(question, IDC_CREDENTIALS_USER, L"alice");
  SetDlgItemTextW(question, IDC_CREDENTIALS_PASSWORD, L"wonderland");
  SendDlgItemMessageW(question, IDC_CREDENTIALS_REMEMBER, BM_CLICK, 0, 0);
  SaveScreenshot(L"checking-credentials");
  PostMessageW(question, WM_COMMAND, IDOK, 0);
  wchar_t text[64] = {};
  EXPECT_TRUE(WaitUntil([&] {
    GetDlgItemTextW(window, IDC_WAIT_STATUS, text, 64);
    return std::wstring(text) == L"Your software is up to date";
  }, 3000)) << Narrow(text);
  GetDlgItemTextW(window, IDCANCEL, text, 64);
  EXPECT_EQ(std::wstring(L"OK"), text);
  EXPECT_EQ(100, SendDlgItemMessageW(window, IDC_WAIT_PROGRESS, PBM_GETPOS, 0, 0)) << "not full";
  EXPECT_EQ(std::future_status::timeout, check.wait_for(std::chrono::milliseconds(200)))
      << "the window closed by itself";
  PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(kUpToDate, check.get().exitCode) << "closing the result is not a cancel";
  EXPECT_TRUE(s.Registered());
  EXPECT_EQ(kUpToDate, s.Run(L"/justcheck").exitCode) << "the answer was not remembered";
}

}  // namespace updater::test
