#include <gtest/gtest.h>

#include "e2e/Scenario.h"

namespace updater::test {
namespace {

// A publisher message is shown in the Messages window before Windows 10 and as a toast, through
// PowerShell (the stand-in, as Wine has none), from Windows 10 on. Wine reports the version an
// application's defaults give it.
TEST(MessageTest, OlderWindowsShowTheMessagesWindowNewerOnesAToast) {
  const std::wstring defaults = L"Software\\Wine\\AppDefaults\\Updater.exe";
  for (const bool toast : {false, true}) {
    SCOPED_TRACE(toast ? "win10" : "win7");
    ScopedRegistryTree version(defaults);
    SetRegistryString(HKEY_CURRENT_USER, defaults, L"Version", toast ? L"win10" : L"win7");
    PowerShellStandIn powerShell;
    ASSERT_TRUE(powerShell.Installed());
    Scenario s;
    s.Publish(L"MessageTitle=Spring sale\r\nMessageBody=Half price on all upgrades\r\n"
              L"MessageExpirationDate=31/12/2099\r\n");
    const RunOutcome outcome = s.Run(L"/silentall -nogui -nofreqcheck");
    EXPECT_EQ(0xE0000011u, outcome.exitCode) << Narrow(s.Log());
    EXPECT_EQ(toast ? 0 : 1, outcome.messageBoxes);
    EXPECT_EQ(toast ? L"" : L"Messages", outcome.boxCaption);
    PowerShellStandIn::Run run;
    EXPECT_EQ(toast, powerShell.Record(&run));
    EXPECT_EQ(toast, Contains(run.script, L"Spring sale")) << Narrow(run.script);
  }
}

}  // namespace
}  // namespace updater::test
