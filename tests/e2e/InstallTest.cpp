#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <set>

#include "e2e/Scenario.h"

namespace updater::test {

constexpr DWORD kUpToDate = 0xE0000011;

// An update whose installer is one of the signed copies of InstallerFixture.exe.
Update Signed(const wchar_t* installer) {
  return {L"Checked", L"", 0, true, 0, std::wstring(L"signed-installer\\") + installer};
}

std::set<std::wstring> TemporaryFolderEntries() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::set<std::wstring> entries;
  for (const auto& entry : std::filesystem::directory_iterator(temp)) entries.insert(entry.path());
  return entries;
}

TEST(SilentInstallTest, InstallsSelectedUpdatesOldestFirstAndReportsEachOutcome) {
  // Updates newest first, as published; the fate of each: i installed, d installed and its
  // installer deleted, j only downloaded, r its download refused and deleted, u its installer's
  // signature refused (the file stays).
  TrustRootCertificate(FixturePath(L"signed-installer\\trusted-root.cer"));  // A's and B's
  struct Case { const char* what; std::vector<Update> updates; DWORD result; std::wstring fates;
                std::wstring logged; const wchar_t* options = L""; bool signedUpdater = false; };
  const Case cases[] = {
      {"dependency first", {{L"Newer", L"Depends=Older\r\n"}, {L"Older"}}, 0, L"ii"},
      {"no cache", {{L"Dropped", L"Flags=SilentInstall|NoCache\r\n"}, {L"Kept"}}, 0, L"di",
       L"Removed cached update installer."},
      // A wrong digest is SilentWaitTest's tampered installer; what goes and what goes on after a
      // refused download is SelectedDownloadsTest's.
      {"a wrong size without digests", {{L"Oversized", L"", 0, true, -1}}, 0xE0000023, L"r",
       L"The downloaded update size does not match the size specified in updates configuration "
       L"file. LastError: 0xE0000023"},
      {"-justdownload", {{L"Needed"}}, 0, L"j", L"", L" -justdownload"},
      // A signed updater runs only installers of its own publisher whose chain it trusts; which
      // signatures pass is SignatureCheckTest's.
      {"the updater's publisher", {Signed(L"publisher-a.exe")}, 0, L"i", L"", L"", true},
      {"another publisher", {Signed(L"publisher-b.exe")}, 0xE000002A, L"u", L"", L"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    if (c.signedUpdater) {
      const std::wstring updater = FixturePath(L"signed-installer\\Updater-publisher-a.exe");
      CopyFileW(updater.c_str(), s.Exe().c_str(), FALSE);
      s.Configure(L"URL=" + s.Url(L"updates.ini") + L"\r\nFlags=VerifyDigitalSignature\r\n", true);
    }
    std::wstring sections;
    for (const Update& update : c.updates) sections += s.Section(update);
    s.Publish(sections);
    const std::string installedUpdater = ReadFileBytes(s.Exe());
    const std::set<std::wstring> temporaryBefore = TemporaryFolderEntries();
    EXPECT_EQ(c.result, s.InstallAll(c.options));
    // The temporary copy removes itself at the end, except where an installer inherited its folder
    // as current directory: under Wine the installer's console host still holds it then.
    const bool installerRan = c.fates.find_first_of(L"id") != std::wstring::npos;
    EXPECT_TRUE(installerRan ||
                WaitUntil([&] { return TemporaryFolderEntries() == temporaryBefore; })) << "left";
    EXPECT_EQ(installedUpdater, ReadFileBytes(s.Exe()));
    const std::wstring log = s.Log();
    // The failure's line follows "Updater finished", which InstallAll waits for.
    EXPECT_TRUE(WaitUntil([&] { return Contains(s.Log(), c.logged); }, 5000)) << Narrow(c.logged);
    const bool upToDate = c.fates.find_first_of(L"jru") == std::wstring::npos;
    // Once all is installed, a second run neither fetches nor installs anything again.
    EXPECT_TRUE(!upToDate || s.Run(L"/silentall -nogui -nofreqcheck").exitCode == kUpToDate);
    const std::wstring dump = s.File(L"needed.ini");
    const DWORD detected = s.Run(L"/justcheck -dumpdetected \"" + dump + L"\"").exitCode;
    EXPECT_EQ(upToDate ? kUpToDate : 0u, detected);
    const std::string needed = ReadFileBytes(dump);
    size_t previous = 0;
    for (size_t i = c.updates.size(); i-- > 0;) {
      const Update& u = c.updates[i];
      const wchar_t fate = c.fates[i];
      SCOPED_TRACE(Narrow(u.section));
      const bool ran = std::wcschr(L"id", fate) != nullptr;
      const size_t at = log.find(L"Update \"" + u.section + L" update\" installer runned. " +
                                 L"Exit code: " + std::to_wstring(u.exitCode) + L".");
      EXPECT_EQ(ran, at != std::wstring::npos) << Narrow(log);
      EXPECT_TRUE(!ran || at >= previous) << "ran before an older update\n" << Narrow(log);
      previous = ran ? at : previous;
      EXPECT_EQ(ran, FileExists(s.File(u.section + (u.installs ? L".installed" : L".ran"))));
      EXPECT_EQ(std::wcschr(L"iju", fate) != nullptr, FileExists(s.InstallerPath(u.section)));
      EXPECT_FALSE(fate == L'd' && FileExists(s.Downloads() + L"\\" + u.section)) << "folder kept";
      EXPECT_EQ(1u, s.Requests(u.section + L".exe").size());
      EXPECT_EQ(std::wcschr(L"jru", fate) != nullptr,
                needed.find("[" + Narrow(u.section) + "]") != std::string::npos) << needed;
    }
  }
}

TEST(InstallSafeguardsTest, ANamedApplicationIsClosedAndRestartedAsItsFlagsSay) {
  for (const bool restarts : {true, false}) {
    Scenario s;
    FixtureApplication application(L"Closable App.exe");
    const std::wstring title = UniqueName(L"Closable");
    application.Adopt(title + L" restarted");
    ASSERT_TRUE(application.Start(title + L" running")) << "the application did not start";
    s.Publish(s.Section({L"Closing", L"AutoCloseApplication=" + application.Path() + L"|" + title +
                                         L" restarted;" + title + L";" +
                                         (restarts ? L"" : L"NoRestart") + L"\r\n"}));
    EXPECT_EQ(0u, s.InstallAll()) << Narrow(s.Log());
    EXPECT_TRUE(WaitForWindow(title + L" running", false)) << "the application was not closed";
    EXPECT_EQ(restarts, WaitForWindow(title + L" restarted", true, restarts ? 10000 : 1000))
        << "restarted with its arguments";
  }
}

TEST(SilentInstallTest, RememberedCredentialsOpenTheServerAndTheApplicationStartsAgainAfter) {
  Scenario s(L"auth/");
  FixtureApplication application(L"Guarded App.exe");
  const std::wstring title = UniqueName(L"Guarded");
  application.Adopt(title);
  s.Publish(s.Section({L"Guarded"}));
  EXPECT_EQ(0u, s.Run(L"/set rememberpassword alice wonderland").exitCode);
  // A remembered user keeps its first password: the one that opens the server.
  EXPECT_EQ(0xE0000013u, s.Run(L"/set rememberpassword alice other").exitCode);
  EXPECT_FALSE(s.Registered()) << "a setting registered the executable";
  EXPECT_EQ(0u, s.InstallAll(L" -restartapp \"" + application.Path() + L"\" -restartappcmd " +
                             title)) << Narrow(s.Log());
  EXPECT_TRUE(FileExists(s.Marker(L"Guarded")));
  EXPECT_TRUE(WaitForWindow(title, true)) << "the application was not started again";
}

TEST(InstallSafeguardsTest, AnAppPackageGoesToPowerShellAsALiteralPathAndReportsItsErrorText) {
  // The stand-in stands in for PowerShell, which Wine lacks: it records the script it was given
  // and writes the chosen error text as the script's error stream.
  PowerShellStandIn powerShell;
  ASSERT_TRUE(powerShell.Installed());
  const std::wstring error = L"Add-AppxPackage : Deployment failed " + UniqueName(L"marker");
  powerShell.WriteError(error);
  powerShell.ExitWith(1);
  Scenario s;
  const std::wstring hostile = L"a$(Stop-Computer).appx";
  s.Publish(s.Section({L"Package", L"", 0, true, 0, L"InstallerFixture.exe", hostile}));
  EXPECT_EQ(0xE000002Cu, s.InstallAll());
  PowerShellStandIn::Run run;
  ASSERT_TRUE(powerShell.Record(&run)) << "PowerShell was not run\n" << Narrow(s.Log());
  EXPECT_EQ(L"Add-AppxPackage -LiteralPath '" + s.Downloads() + L"\\Package\\" + hostile +
                L"' \n exit $error.count\n",
            run.script);
  EXPECT_TRUE(WaitUntil([&] { return Contains(s.Log(), error); }, 5000)) << "not the failure's";
  EXPECT_FALSE(FileExists(s.Marker(L"Package")));
}

}  // namespace updater::test
