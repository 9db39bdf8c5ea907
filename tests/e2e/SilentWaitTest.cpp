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

// The outcome the latest run of the check family left in the settings key.
struct LastResult {
  bool recorded = false;
  DWORD result = 0;
  ULONGLONG time = 0;  // FILETIME in UTC
};

LastResult ReadLastResult(const Scenario& s) {
  LastResult last;
  ULONGLONG time = 0;
  DWORD size = sizeof(time);
  last.recorded =
      GetRegistryDword(HKEY_CURRENT_USER, s.Key(L"Settings"), L"LastResult", &last.result) &&
      RegGetValueW(HKEY_CURRENT_USER, s.Key(L"Settings").c_str(), L"LastResultTime",
                   RRF_RT_REG_BINARY, nullptr, &time, &size) == ERROR_SUCCESS &&
      size == sizeof(time);
  last.time = time;
  return last;
}

ULONGLONG Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::wstring Sha256Of(const std::string& bytes) {
  std::vector<unsigned char> digest;
  EXPECT_EQ(kSuccess, ComputeSHA256(bytes, &digest));
  return ToHexText(digest);
}

// What happens to the published update before the run.
enum class Spoil { None, Gone, Tampered, Installed, Unpublished };

// A script runs the silent check with -wait and learns the outcome from the exit code, whether the
// installed updater ended on its own or a temporary copy ran the installation; both leave it as
// LastResult.
TEST(SilentWaitTest, EndsWithTheOutcomeOfTheInstallationAndRecordsIt) {
  const std::string installer = ReadFileBytes(FixturePath(L"InstallerFixture.exe"));
  const std::wstring digest = L"SHA256=" + Sha256Of(installer) + L"\r\n";
  struct Case { const char* what; Spoil spoil; DWORD installerExit; DWORD result; bool copied; };
  const Case cases[] = {
      {"a good installer", Spoil::None, 0, 0, true},
      {"an installer the server does not have", Spoil::Gone, 0, 0xE0000018, true},
      {"a tampered installer", Spoil::Tampered, 0, 0xE0000030, true},
      {"an installer that fails", Spoil::None, 1603, 0xE000000C, true},
      // No copy: the installed updater's own outcome.
      {"an update already installed", Spoil::Installed, 0, 0xE0000011, false},
      {"no update configuration file", Spoil::Unpublished, 0, 0xE0000018, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    const std::wstring section =
        s.Section({L"Waited", digest, c.installerExit, c.installerExit == 0});
    if (c.spoil != Spoil::Unpublished) s.Publish(section);
    if (c.spoil == Spoil::Gone) DeleteFileW(s.ServedPath(L"Waited.exe").c_str());
    if (c.spoil == Spoil::Tampered) {
      std::string tampered = installer;
      tampered[tampered.size() / 2] ^= 0x5A;
      WriteBytes(s.ServedPath(L"Waited.exe"), tampered);
    }
    if (c.spoil == Spoil::Installed) WriteTextFile(s.Marker(L"Waited"), L"", TextEncoding::Ansi);
    const ULONGLONG before = Now();
    EXPECT_EQ(c.result, s.Run(L"/silentall -nogui -nofreqcheck -wait").exitCode) << Narrow(s.Log());
    const ULONGLONG after = Now();
    // The copy had ended when the installed updater did.
    const std::wstring finished = L"Updater finished. Mode: " + std::to_wstring(c.copied ? 8 : 2) +
                                  L". Return code: " + std::to_wstring(c.result) + L"\r\n";
    EXPECT_TRUE(Contains(s.Log(), finished)) << Narrow(s.Log());
    const LastResult last = ReadLastResult(s);
    EXPECT_TRUE(last.recorded);
    EXPECT_EQ(c.result, last.result);
    EXPECT_TRUE(last.time >= before && last.time <= after) << last.time << " " << before;
  }
}

// Without -wait the installed updater ends at once with 0 and leaves LastResult to its copy.
TEST(SilentWaitTest, WithoutWaitTheCopyAloneRecordsTheOutcome) {
  Scenario s;
  std::wstring section = s.Section({L"Paced", L"", 1603, false});
  // Served slowly, so that the copy is still at work when the installed updater has ended.
  const std::wstring nginx = L"http://" + ServerAddress(L"http") + L"/";
  section.replace(section.find(nginx), nginx.size(),
                  L"http://" + ServerAddress(L"fault") + L"/paced/700/");
  s.Publish(section);
  EXPECT_EQ(0u, s.Run(L"/silentall -nogui -nofreqcheck").exitCode);
  EXPECT_FALSE(ReadLastResult(s).recorded) << "the installed updater recorded its hand-over";
  EXPECT_TRUE(WaitUntil([&] { return ReadLastResult(s).recorded; }, 60000)) << Narrow(s.Log());
  EXPECT_EQ(0xE000000Cu, ReadLastResult(s).result);
}

// The wizard of /silentall without -nogui works in the tray and waits there on its summary; -wait
// waits for it too.
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
      const HWND page = reinterpret_cast<HWND>(
          SendMessageW(user.Sheet(), PSM_GETCURRENTPAGEHWND, 0, 0));
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
  EXPECT_EQ(0xE000000Cu, outcome.exitCode) << Narrow(s.Log());
  EXPECT_EQ(0xE000000Cu, ReadLastResult(s).result);
}

}  // namespace
}  // namespace updater::test
