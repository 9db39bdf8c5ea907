#include <gtest/gtest.h>

#include "TestSupport.h"
#include "e2e/UpdaterRun.h"

namespace updater::test {
namespace {

const std::wstring kRuddleKey = L"Software\\Merrow\\Ruddle\\";

// A complete configuration for the update modes, with its own ID and registry tree.
struct ConfiguredUpdater {
  ConfiguredUpdater()
      : id(UniqueName(L"E2E")), registry(kRuddleKey + id) {
    updater.WriteConfig(L"ID=" + id + L"\r\nURL=http://127.0.0.1:1/updates.ini\r\nAppDir=" +
                        updater.Folder() + L"\r\nDownloadsFolder=" + updater.File(L"Downloads") +
                        L"\r\nApplicationName=Demo Application\r\n");
  }
  std::wstring id;
  InstalledUpdater updater;
  ScopedRegistryTree registry;
};

TEST(RunModesTest, RejectedCommandLinesEndWithInvalidCommandLineAndNoWindow) {
  ConfiguredUpdater configured;
  for (const wchar_t* arguments :
       {L"/bogus", L"/checknow -nogui", L"/silentall -nogui -reducedgui", L"/checknow extra",
        L"/set loglevel", L"/install silent", L"/clean now", L"/CHECKNOW"}) {
    const RunOutcome outcome = configured.updater.Run(arguments);
    EXPECT_EQ(0xE0000006u, outcome.exitCode) << Narrow(arguments);
    EXPECT_EQ(0, outcome.messageBoxes) << Narrow(arguments);
  }
}

TEST(RunModesTest, StartWithoutCommandLineOrConfigurationReportsMissingConfiguration) {
  InstalledUpdater updater;
  const RunOutcome outcome = updater.Run(L"");
  EXPECT_EQ(0xE0000002u, outcome.exitCode);
  EXPECT_EQ(0, outcome.messageBoxes);
}

TEST(RunModesTest, StartWithoutCommandLineRunsTheDefaultCommandLine) {
  const std::wstring id = UniqueName(L"E2E");
  ScopedRegistryTree registry(kRuddleKey + id);
  InstalledUpdater updater;
  // No URL: the silent check must refuse the configuration, which proves it ran as /silentall.
  updater.WriteConfig(L"ID=" + id + L"\r\nAppDir=" + updater.Folder() +
                      L"\r\nDownloadsFolder=" + updater.Folder() +
                      L"\r\nDefaultCommandLine=/silentall -nofreqcheck\r\n");
  SetRegistryDword(HKEY_CURRENT_USER, kRuddleKey + id + L"\\Settings", L"LogLevel", 8);

  const RunOutcome outcome = updater.Run(L"");
  EXPECT_EQ(0xE0000007u, outcome.exitCode);
  EXPECT_EQ(0, outcome.messageBoxes);
  const std::wstring log = ReadUtf16File(updater.File(L"updater.log"));
  EXPECT_NE(std::wstring::npos, log.find(L"Running updater. Mode: 2\r\n")) << Narrow(log);
}

TEST(RunModesTest, InteractiveCheckShowsItsFailureInAnErrorBox) {
  const std::wstring id = UniqueName(L"E2E");
  ScopedRegistryTree registry(kRuddleKey + id);
  InstalledUpdater updater;
  updater.WriteConfig(L"ID=" + id + L"\r\nApplicationName=Demo Application\r\n");

  const RunOutcome outcome = updater.Run(L"/checknow");
  EXPECT_EQ(0xE0000007u, outcome.exitCode);
  EXPECT_EQ(1, outcome.messageBoxes);
  EXPECT_EQ(L"Demo Application", outcome.messageBoxCaption);
  EXPECT_EQ(L"Checking for Updates - Invalid client configuration file", outcome.messageBoxText);

  const RunOutcome quiet = updater.Run(L"/checknow -minuseractions");
  EXPECT_EQ(0xE0000007u, quiet.exitCode);
  EXPECT_EQ(0, quiet.messageBoxes);
}

TEST(RunModesTest, SilentAndJustCheckModesValidateTheConfigurationWithoutWindows) {
  const std::wstring id = UniqueName(L"E2E");
  ScopedRegistryTree registry(kRuddleKey + id);
  InstalledUpdater updater;
  updater.WriteConfig(L"ID=" + id + L"\r\nURL=http://127.0.0.1:1/u.ini\r\n");
  for (const wchar_t* arguments : {L"/silent", L"/silentall -nofreqcheck", L"/silentcritical",
                                   L"/justcheck", L"/justcheck -critical -installready"}) {
    const RunOutcome outcome = updater.Run(arguments);
    EXPECT_EQ(0xE0000007u, outcome.exitCode) << Narrow(arguments);
    EXPECT_EQ(0, outcome.messageBoxes) << Narrow(arguments);
  }
}

TEST(RunModesTest, InteractiveCheckRegistersTheExecutableAsClientOfItsConfiguration) {
  ConfiguredUpdater configured;
  const RunOutcome outcome = configured.updater.Run(L"/checknow -minuseractions");
  EXPECT_TRUE(outcome.finished);
  DWORD value = 1;
  ASSERT_TRUE(GetRegistryDword(HKEY_CURRENT_USER, kRuddleKey + configured.id,
                               configured.updater.ExecutablePath(), &value));
  EXPECT_EQ(0u, value);
}

TEST(RunModesTest, JustCheckRegistersButSetSettingDoesNot) {
  ConfiguredUpdater configured;
  configured.updater.Run(L"/set retryattempts 4");
  DWORD value = 0;
  EXPECT_FALSE(GetRegistryDword(HKEY_CURRENT_USER, kRuddleKey + configured.id,
                                configured.updater.ExecutablePath(), &value));
  configured.updater.Run(L"/justcheck");
  EXPECT_TRUE(GetRegistryDword(HKEY_CURRENT_USER, kRuddleKey + configured.id,
                               configured.updater.ExecutablePath(), &value));
}

TEST(RunModesTest, FailedRunRestartsTheApplication) {
  ConfiguredUpdater configured;
  configured.updater.WriteConfig(L"ID=" + configured.id + L"\r\n");
  const std::wstring marker = configured.updater.File(L"restarted.txt");
  // The arguments are expanded like configuration paths; the variable carries the quoted path,
  // which the command line itself cannot (its tokens have no escape for a quote).
  SetEnvironmentVariableW(L"UPDATER_TEST_MARKER", (L"\"" + marker + L"\"").c_str());
  const RunOutcome outcome = configured.updater.Run(
      L"/checknow -minuseractions -restartapp \"C:\\windows\\system32\\cmd.exe\" -restartappcmd "
      L"\"/c echo restarted> %UPDATER_TEST_MARKER%\"");
  SetEnvironmentVariableW(L"UPDATER_TEST_MARKER", nullptr);
  EXPECT_EQ(0xE0000007u, outcome.exitCode);
  for (int i = 0; i < 100 && !FileExists(marker); ++i) Sleep(50);
  EXPECT_TRUE(FileExists(marker)) << "the application named by -restartapp was not started";
}

TEST(RunModesTest, NotificationLinkToALocalProgramIsRefused) {
  ConfiguredUpdater configured;
  SetRegistryDword(HKEY_CURRENT_USER, kRuddleKey + configured.id + L"\\Settings", L"LogLevel", 1);
  const RunOutcome outcome =
      configured.updater.Run(L"merrow-tovan-updater:/Link C:\\windows\\system32\\cmd.exe");
  EXPECT_EQ(0xE0000006u, outcome.exitCode);
  EXPECT_EQ(0, outcome.messageBoxes);
  const std::wstring log = ReadUtf16File(configured.updater.File(L"Downloads\\updater.log"));
  EXPECT_NE(std::wstring::npos, log.find(L"Refusing to open a link that is not a web address: "
                                         L"C:\\windows\\system32\\cmd.exe"))
      << "the link must be parsed and then refused, not rejected as a command line";
}

}  // namespace
}  // namespace updater::test
