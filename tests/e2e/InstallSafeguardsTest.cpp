#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/UniqueHandle.h"
#include "e2e/CheckSetup.h"
#include "install/InstallTestSupport.h"

namespace updater::test {
namespace {

constexpr DWORD kUpToDate = 0xE0000011;
constexpr DWORD kAppPackageFailed = 0xE000002C;

// The signed copies of tests/fixtures/sign-fixtures.sh made from InstallerFixture.exe.
const wchar_t kSignedFolder[] = L"signed-installer\\";

// Appends [General] Flags to the installed updater's client configuration.
void UseClientFlags(const CheckSetup& setup, const std::wstring& flags) {
  const std::wstring path = setup.Updater().ConfigPath();
  WriteTextFile(path, ReadUtf16File(path) + L"Flags=" + flags + L"\r\n", TextEncoding::Utf16);
}

// Runs `/silentall -nofreqcheck -nogui` as a user would and waits for the temporary copy that it
// starts to finish; returns the log.
std::wstring InstallSilently(const CheckSetup& setup) {
  const RunOutcome outcome = setup.Updater().Run(L"/silentall -nofreqcheck -nogui");
  EXPECT_EQ(0u, outcome.exitCode) << "the copy was not started\n" << Narrow(setup.Log());
  for (int i = 0; i < 750; ++i) {
    if (setup.Log().find(L"Updater finished. Mode: 8.") != std::wstring::npos) break;
    Sleep(40);
  }
  const std::wstring log = setup.Log();
  EXPECT_NE(std::wstring::npos, log.find(L"Updater finished. Mode: 8.")) << Narrow(log);
  return log;
}

// An update whose installer, served under `fileName`, is a copy of `fixture`, started with the
// marker that detection looks for (an exit code after it, as a value that both begins and ends with
// a quote loses its quotes when read).
std::wstring InstallerUpdate(const CheckSetup& setup, const std::wstring& section,
                             const std::wstring& fixture, const std::wstring& fileName,
                             const std::wstring& extraKeys = std::wstring()) {
  const std::size_t size = setup.ServeFixture(fileName, fixture);
  const std::wstring marker = setup.File(section + L".installed");
  return L"[" + section + L"]\r\nName=" + section + L" update\r\nSize=" + std::to_wstring(size) +
         L"\r\nURL=" + setup.ServedUrl(fileName) + L"\r\nFilePath=" + marker +
         L"\r\nCommandLine=\"" + marker + L"\" 0\r\nFlags=SilentInstall\r\n" + extraKeys;
}

class InstallSafeguardsTest : public ::testing::Test {
 protected:
  // Publishers A and B chain to this root; C's root stays unknown, as a stranger's would.
  static void SetUpTestSuite() {
    TrustRootCertificate(FixturePath(kSignedFolder + std::wstring(L"trusted-root.cer")));
  }
};

TEST_F(InstallSafeguardsTest, ASignedUpdaterRunsOnlyInstallersOfItsOwnTrustedPublisher) {
  struct Case {
    const wchar_t* installer;
    bool runs;
    DWORD result;
  };
  const Case cases[] = {
      {L"publisher-a.exe", true, 0},
      {L"unsigned.exe", false, 0x800B0100},     // TRUST_E_NOSIGNATURE
      {L"publisher-b.exe", false, 0xE000002A},  // signer differs from the updater's
      {L"publisher-c.exe", false, 0x800B0109},  // chain ends at an unknown root
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.installer));
    CheckSetup setup;
    ASSERT_TRUE(setup.ServersAvailable());
    ASSERT_TRUE(
        CopyFileW(FixturePath(kSignedFolder + std::wstring(L"Updater-publisher-a.exe")).c_str(),
                  setup.Updater().ExecutablePath().c_str(), FALSE));
    UseClientFlags(setup, L"VerifyDigitalSignature");
    setup.Publish(InstallerUpdate(setup, L"Checked", kSignedFolder + std::wstring(c.installer),
                                  L"Checked.exe"));

    const std::wstring log = InstallSilently(setup);
    EXPECT_EQ(c.runs, FileExists(setup.File(L"Checked.installed")))
        << "the installer " << (c.runs ? "did not run" : "ran") << "\n"
        << Narrow(log);
    EXPECT_EQ(c.runs ? kUpToDate : 0u, setup.Updater().Run(L"/justcheck").exitCode)
        << "detection afterwards\n"
        << Narrow(setup.Log());
    const std::wstring finished =
        L"Updater finished. Mode: 8. Return code: " + std::to_wstring(c.result);
    EXPECT_NE(std::wstring::npos, log.find(finished)) << Narrow(log);
  }
}

TEST(InstallSafeguardsRunTest, ANamedApplicationIsClosedAndRestartedAsItsFlagsSay) {
  struct Case {
    const wchar_t* flags;
    bool restarted;
  };
  const Case cases[] = {{L"", true}, {L"NoRestart", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.flags));
    CheckSetup setup;
    ASSERT_TRUE(setup.ServersAvailable());
    FixtureApplication application(L"Closable App.exe");
    const std::wstring title = UniqueName(L"Closable");
    const std::wstring restartedTitle = title + L" restarted";
    application.Adopt(restartedTitle);
    ASSERT_TRUE(application.Start(title + L" running")) << "the application did not start";
    setup.Publish(InstallerUpdate(setup, L"Closing", L"InstallerFixture.exe", L"Closing.exe",
                                  L"AutoCloseApplication=" + application.Path() + L"|" +
                                      restartedTitle + L";" + title + L";" + c.flags + L"\r\n"));

    const std::wstring log = InstallSilently(setup);
    EXPECT_NE(std::wstring::npos, log.find(L"Updater finished. Mode: 8. Return code: 0"))
        << Narrow(log);
    EXPECT_TRUE(WaitForWindow(title + L" running", false)) << "the window was not closed";
    EXPECT_EQ(c.restarted, WaitForWindow(restartedTitle, true, c.restarted ? 10000 : 1000))
        << "restart with its arguments\n"
        << Narrow(log);
  }
}

TEST(InstallSafeguardsRunTest, AnAppPackageGoesToPowerShellAsALiteralPathAndReportsItsErrorText) {
  // The stand-in stands in for PowerShell, which Wine lacks: it records the script it was given and
  // writes the chosen error text as the script's error stream.
  PowerShellStandIn powerShell;
  ASSERT_TRUE(powerShell.Installed());
  const std::wstring error =
      L"Add-AppxPackage : Deployment failed with HRESULT: 0x80073CF3 " + UniqueName(L"marker");
  powerShell.WriteError(error);
  powerShell.ExitWith(1);
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  const std::wstring hostile = L"a$(Stop-Computer).appx";
  setup.Publish(InstallerUpdate(setup, L"Package", L"InstallerFixture.exe", hostile));

  const std::wstring log = InstallSilently(setup);
  PowerShellStandIn::Run run;
  ASSERT_TRUE(powerShell.Record(&run)) << "PowerShell was not run\n" << Narrow(log);
  const std::wstring package = setup.DownloadsFolder() + L"\\Package\\" + hostile;
  EXPECT_EQ(L"Add-AppxPackage -LiteralPath '" + package + L"' \n exit $error.count\n", run.script);
  EXPECT_NE(std::wstring::npos, log.find(error)) << "the error text is not the failure's\n"
                                                 << Narrow(log);
  EXPECT_NE(std::wstring::npos, log.find(L"Return code: " + std::to_wstring(kAppPackageFailed)))
      << Narrow(log);
  EXPECT_FALSE(FileExists(setup.File(L"Package.installed")));
}

}  // namespace
}  // namespace updater::test
