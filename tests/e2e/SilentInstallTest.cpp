#include <gtest/gtest.h>

#include "TestSupport.h"
#include "e2e/CheckSetup.h"

namespace updater::test {
namespace {

constexpr DWORD kUpToDate = 0xE0000011;

// A folder of the local nginx's document root holding one installer, removed at the end.
class ServedInstaller {
 public:
  explicit ServedInstaller(const std::wstring& fixture) : folder_(UniqueName(L"install_e2e")) {
    const std::wstring local = ServersFolder() + L"\\www\\" + folder_;
    CreateDirectoryW(local.c_str(), nullptr);
    const std::wstring source = ThisExecutableFolder() + L"\\fixtures\\" + fixture;
    EXPECT_TRUE(CopyFileW(source.c_str(), (local + L"\\Installer.exe").c_str(), FALSE));
    size_ = ReadFileBytes(source).size();
  }
  ~ServedInstaller() { DeleteFolderTree(ServersFolder() + L"\\www\\" + folder_); }

  std::wstring Url() const {
    return L"http://" + ServerAddress(L"http") + L"/" + folder_ + L"/Installer.exe";
  }
  std::size_t Size() const { return size_; }

 private:
  std::wstring folder_;
  std::size_t size_ = 0;
};

bool Eventually(const CheckSetup& setup, const std::wstring& logText) {
  for (int i = 0; i < 500; ++i) {
    if (setup.Log().find(logText) != std::wstring::npos) return true;
    Sleep(40);
  }
  return false;
}

TEST(SilentInstallTest, CopyDownloadsAndRunsTheInstallerAfterWhichTheUpdateIsDetected) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  const ServedInstaller installer(L"InstallerFixture.exe");
  const std::wstring marker = setup.File(L"Installable.installed");
  // The installer exits with 5, which counts as success once detection finds the update.
  setup.Publish(L"[Installable]\r\nName=Installable update\r\nSize=" +
                std::to_wstring(installer.Size()) + L"\r\nURL=" + installer.Url() +
                L"\r\nFilePath=" + marker + L"\r\nCommandLine=\"" + marker + L"\" 5\r\n" +
                L"Flags=SilentInstall\r\n");

  const RunOutcome outcome = setup.Updater().Run(L"/silentall -nofreqcheck -nogui");
  EXPECT_EQ(0u, outcome.exitCode) << "the copy was not started\n" << Narrow(setup.Log());
  ASSERT_TRUE(Eventually(setup, L"Updater finished. Mode: 8. Return code: 0"))
      << "the copy did not finish with success\n"
      << Narrow(setup.Log());

  EXPECT_TRUE(FileExists(marker)) << "the installer did not run";
  const std::wstring log = setup.Log();
  const std::wstring ran = L"Update \"Installable update\" installer runned. Exit code: 5.";
  EXPECT_NE(std::wstring::npos, log.find(ran)) << Narrow(log);
  EXPECT_EQ(kUpToDate, setup.Updater().Run(L"/justcheck").exitCode)
      << "the installed update is not detected\n"
      << Narrow(setup.Log());
}

}  // namespace
}  // namespace updater::test
