#include "install/InstallerLaunch.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/ResultText.h"
#include "install/AppPackageScript.h"
#include "install/InstallOutcome.h"
#include "install/InstallTestSupport.h"

namespace updater {
namespace {

using test::Narrow;

TEST(InstallerLaunchTest, PlansEachKindOfInstaller) {
  struct Case {
    const wchar_t* file;
    const wchar_t* commandLine;
    std::uint32_t flags;
    bool forceMsiBasicUi;
    const wchar_t* parameters;
    int show;
  };
  const Case cases[] = {
      {L"C:\\d\\setup.exe", L"/S /D=x", 0, false, L"/S /D=x", SW_SHOWNORMAL},
      {L"C:\\d\\setup.exe", L"", kUpdateSilentInstall, true, L"", SW_HIDE},
      {L"C:\\d\\p.msi", L"/qn", 0, false, L"/qn", SW_SHOWNORMAL},
      {L"C:\\d\\p.msi", L"REBOOT=R", kUpdateSilentInstall, true, L"REBOOT=R /qb", SW_HIDE},
      {L"C:\\d\\p.msi", L"", 0, true, L" /qb", SW_SHOWNORMAL},
      {L"C:\\d\\P.MSI", L"/l*v log.txt", 0, true, L"/l*v log.txt /qb", SW_SHOWNORMAL},
      {L"C:\\d\\p.msi", L"/qb!", 0, true, L"/qb!", SW_SHOWNORMAL},
      {L"C:\\d\\p.msp", L"/qn", 0, true, L"/qn", SW_SHOWNORMAL},
      {L"C:\\d\\p.msi.exe", L"", 0, true, L"", SW_SHOWNORMAL},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.localFilePath = c.file;
    update.commandLine = c.commandLine;
    update.flags = c.flags;
    const InstallerLaunch launch = PlanInstallerLaunch(update, c.forceMsiBasicUi);
    const std::string what = Narrow(c.file) + " " + Narrow(c.commandLine);
    EXPECT_FALSE(launch.isAppPackage) << what;
    EXPECT_EQ(c.file, launch.file) << what;
    EXPECT_EQ(c.parameters, launch.parameters) << what;
    EXPECT_EQ(c.show, launch.show) << what;
  }
}

TEST(InstallerLaunchTest, AppPackagesOfAnyLetterCaseGoThroughTheScript) {
  for (const wchar_t* file : {L"C:\\d\\a$(x).appx", L"C:\\d\\App.APPX"}) {
    UpdateInfo update;
    update.localFilePath = file;
    update.commandLine = L"/ignored";
    const InstallerLaunch launch = PlanInstallerLaunch(update, true);
    EXPECT_TRUE(launch.isAppPackage) << Narrow(file);
    EXPECT_EQ(AppPackageScript(file), launch.script) << Narrow(file);
  }
}

TEST(InstallerLaunchTest, OnlyACancelByTheUserFailsAnInstallerThatRan) {
  struct Case {
    ResultCode launch;
    DWORD exitCode;
    ResultCode result;
  };
  const Case cases[] = {
      {kSuccess, 0, kSuccess},
      {kSuccess, 1602, 1602},
      {kSuccess, 1223, 1223},
      {kSuccess, 1603, kSuccess},
      {ERROR_BAD_EXE_FORMAT, 1602, ERROR_BAD_EXE_FORMAT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, InstallerExitResult(c.launch, c.exitCode))
        << "launch " << c.launch << ", exit code " << c.exitCode;
  }
}

TEST(InstallerLaunchTest, RunsAnExecutableWithItsCommandLineAndShowStateAndReadsItsExitCode) {
  test::InstallSetup setup;
  UpdateInfo& shown = setup.AddInstaller(L"Shown", 7);
  UpdateInfo& hidden = setup.AddInstaller(L"Hidden", 0);
  hidden.flags = kUpdateSilentInstall;

  DWORD exitCode = 0;
  EXPECT_EQ(kSuccess, RunInstaller(shown, false, true, &exitCode));
  EXPECT_EQ(7u, exitCode);
  const test::InstallerRecord shownRun = test::ReadInstallerRecord(setup.MarkerOf(shown));
  ASSERT_TRUE(shownRun.ran);
  EXPECT_NE(std::wstring::npos, shownRun.commandLine.find(shown.commandLine))
      << Narrow(shownRun.commandLine);
  EXPECT_EQ(SW_SHOWNORMAL, shownRun.show);

  EXPECT_EQ(kSuccess, RunInstaller(hidden, false, true, &exitCode));
  EXPECT_EQ(0u, exitCode);
  EXPECT_EQ(SW_HIDE, test::ReadInstallerRecord(setup.MarkerOf(hidden)).show);
}

TEST(InstallerLaunchTest, AFileTheShellCannotStartGivesTheLaunchError) {
  test::InstallSetup setup;
  UpdateInfo& broken = setup.Add(L"Broken", L"MsiFixture.msi", L"Broken.exe");
  DWORD exitCode = 12345;
  const ResultCode result = RunInstaller(broken, false, true, &exitCode);
  EXPECT_NE(kSuccess, result);
  EXPECT_EQ(12345u, exitCode) << "an exit code was made up for an installer that never ran";
}

TEST(InstallerLaunchTest, AFailedAppPackageRegistersThePowerShellErrorAsItsText) {
  // The stand-in plays PowerShell: see tests/fixtures/PowerShellStandIn.cpp.
  test::PowerShellStandIn powerShell;
  ASSERT_TRUE(powerShell.Installed());
  powerShell.WriteError(L"Add-AppxPackage : Deployment failed with HRESULT: 0x80073CF3");
  powerShell.ExitWith(1);
  test::InstallSetup setup;
  UpdateInfo& package = setup.Add(L"Package", L"ExitCodeFixture.exe", L"a$(Stop-Computer).appx");

  DWORD exitCode = 99;
  EXPECT_EQ(kAppPackageFailed, RunInstaller(package, false, true, &exitCode));
  EXPECT_EQ(99u, exitCode);
  EXPECT_EQ(L"Add-AppxPackage : Deployment failed with HRESULT: 0x80073CF3",
            ResultText(kAppPackageFailed));
  test::PowerShellStandIn::Run run;
  ASSERT_TRUE(powerShell.Record(&run));
  EXPECT_EQ(L"Add-AppxPackage -LiteralPath '" + package.localFilePath + L"' \n exit $error.count\n",
            run.script);
}

}  // namespace
}  // namespace updater
