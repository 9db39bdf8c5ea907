#include <windows.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "e2e/Scenario.h"
#include "e2e/WizardUser.h"
#include "resources/WizardIds.h"
#include "transfer/HexText.h"
#include "transfer/Sha256File.h"

namespace updater::test {
namespace {

constexpr DWORD kInstallationFailed = 0xE000000C;

// LastResult, or 0xDEAD when there is none; `time` receives LastResultTime (UTC FILETIME).
DWORD LastResult(const Scenario& s, ULONGLONG* time = nullptr) {
  DWORD result = 0xDEAD;
  GetRegistryDword(HKEY_CURRENT_USER, s.Key(L"Settings"), L"LastResult", &result);
  if (time != nullptr) {
    DWORD size = sizeof(*time);
    RegGetValueW(HKEY_CURRENT_USER, s.Key(L"Settings").c_str(), L"LastResultTime",
                 RRF_RT_REG_BINARY, nullptr, time, &size);
  }
  return result;
}

ULONGLONG Now() {
  ULARGE_INTEGER now;
  GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&now));
  return now.QuadPart;
}

// A script runs the silent check with -wait and learns the outcome from the exit code and from
// LastResult, whether a temporary copy installed (mode 8) or the installed updater ended alone.
TEST(SilentWaitTest, EndsWithTheOutcomeOfTheInstallationAndRecordsIt) {
  const std::string installer = ReadFileBytes(FixturePath(L"InstallerFixture.exe"));
  std::vector<unsigned char> digest;
  ASSERT_EQ(kSuccess, ComputeSHA256(installer, &digest));
  enum class Spoil { None, Tampered, Installed, Unpublished };
  struct Case { const char* what; Spoil spoil; DWORD installerExit; DWORD result; int mode; };
  const Case cases[] = {
      {"a good installer", Spoil::None, 0, 0, 8},
      {"a tampered installer", Spoil::Tampered, 0, 0xE0000030, 8},
      {"an installer that fails", Spoil::None, 1603, kInstallationFailed, 8},
      {"an update already installed", Spoil::Installed, 0, 0xE0000011, 2},
      {"no update configuration file", Spoil::Unpublished, 0, 0xE0000018, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    const std::wstring keys = L"SHA256=" + ToHexText(digest) + L"\r\n";
    const std::wstring section = s.Section({L"Waited", keys, c.installerExit, c.installerExit == 0});
    if (c.spoil != Spoil::Unpublished) s.Publish(section);
    if (c.spoil == Spoil::Tampered) {
      std::string tampered = installer;
      tampered[tampered.size() / 2] ^= 0x5A;
      WriteBytes(s.ServedPath(L"Waited.exe"), tampered);
    }
    if (c.spoil == Spoil::Installed) WriteTextFile(s.Marker(L"Waited"), L"", TextEncoding::Ansi);
    const ULONGLONG before = Now();
    EXPECT_EQ(c.result, s.Run(L"/silentall -nogui -nofreqcheck -wait").exitCode);
    const ULONGLONG after = Now();
    // Had the installed updater not waited, the copy's last line would still be missing.
    const std::wstring finished = L"Updater finished. Mode: " + std::to_wstring(c.mode) +
                                  L". Return code: " + std::to_wstring(c.result) + L"\r\n";
    EXPECT_TRUE(Contains(s.Log(), finished)) << Narrow(s.Log());
    ULONGLONG time = 0;
    EXPECT_EQ(c.result, LastResult(s, &time));
    EXPECT_TRUE(time >= before && time <= after) << time << " not in " << before << "-" << after;
  }
}

// Without -wait the installed updater ends with 0 at once and leaves LastResult to its copy.
TEST(SilentWaitTest, WithoutWaitTheCopyAloneRecordsTheOutcome) {
  Scenario s;
  // Served slowly, so that the copy is still at work when the installed updater has ended.
  s.Publish(s.FaultySection({L"Paced", L"", 1603, false}, L"paced/700/"));
  EXPECT_EQ(0u, s.Run(L"/silentall -nogui -nofreqcheck").exitCode);
  EXPECT_EQ(0xDEADu, LastResult(s)) << "the installed updater recorded its hand-over";
  EXPECT_TRUE(WaitUntil([&] { return LastResult(s) != 0xDEAD; }, 60000)) << Narrow(s.Log());
  EXPECT_EQ(kInstallationFailed, LastResult(s));
}

// Without -nogui the copy's wizard works in the tray and waits there on its summary: -wait waits
// until the user closes it.
TEST(SilentWaitTest, WithTheWizardEndsWhenItsSummaryIsClosed) {
  Scenario s;
  s.Publish(s.Section({L"Failing", L"", 1603, false}));
  std::atomic<bool> ended{false};
  RunOutcome outcome;
  std::thread script([&] {
    outcome = s.Run(L"/silentall -nofreqcheck -wait", Dialogs::OnlyWatch);
    ended = true;
  });
  bool summary = false, endedBeforeClose = true;
  {
    WizardUser user;
    // The sheet stays hidden: its page is asked for, and its button pressed, through messages.
    summary = user.WaitForSheet(L"Installing Updates for Test App", true) && WaitUntil([&] {
      const HWND page =
          reinterpret_cast<HWND>(SendMessageW(user.Sheet(), PSM_GETCURRENTPAGEHWND, 0, 0));
      return GetDlgItem(page, IDC_SUMMARY_LIST) != nullptr;
    }, 50000);
    endedBeforeClose = ended;
    if (summary) PostMessageW(user.Sheet(), PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    // The user's end would otherwise end the wizard's process before it had seen the press.
    WaitUntil([&] { return ended.load(); });
  }
  script.join();
  EXPECT_TRUE(summary) << "no summary";
  EXPECT_FALSE(endedBeforeClose) << "ended while the summary was open";
  EXPECT_EQ(kInstallationFailed, outcome.exitCode) << Narrow(s.Log());
}

}  // namespace
}  // namespace updater::test
