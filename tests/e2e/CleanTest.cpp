#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/UniqueHandle.h"
#include "e2e/UpdaterRun.h"

namespace updater::test {
namespace {

bool KeyExists(const std::wstring& subKey) {
  RegistryKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, key.Put()) ==
         ERROR_SUCCESS;
}

// An installed updater that has downloaded two updates and the update configuration file.
struct DownloadedUpdates {
  DownloadedUpdates()
      : id(UniqueName(L"E2EClean")),
        clientKey(L"Software\\Merrow\\Ruddle\\" + id),
        registry(clientKey),
        downloads(updater.File(L"down loads")) {
    updater.WriteConfig(L"ID=" + id + L"\r\nURL=http://127.0.0.1:1/updates/ruddle.ini?v=2\r\n" +
                        L"DownloadsFolder=" + downloads + L"\r\nAppDir=" + updater.Folder() +
                        L"\r\n");
    SetRegistryDword(HKEY_CURRENT_USER, clientKey + L"\\Settings", L"LogLevel", 15);
    SetRegistryDword(HKEY_CURRENT_USER, clientKey + L"\\Settings", L"CheckFrequency", 5);
    CreateDirectoryW(downloads.c_str(), nullptr);
    AddDownload(L"Acme 2.0", L"setup.exe", false);
    AddDownload(L"Acme Patch", L"patch.msi", true);
    WriteTextFile(downloads + L"\\ruddle.ini", L";qzu;\r\n", TextEncoding::Ansi);
  }
  void AddDownload(const std::wstring& section, const std::wstring& file, bool withPart) {
    const std::wstring folder = downloads + L"\\" + section;
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteTextFile(folder + L"\\" + file, L"installer", TextEncoding::Ansi);
    if (withPart) WriteTextFile(folder + L"\\" + file + L".part", L"inst", TextEncoding::Ansi);
    SetRegistryString(HKEY_CURRENT_USER, clientKey + L"\\Updates", section, folder + L"\\" + file);
    files.push_back(folder + L"\\" + file);
    if (withPart) files.push_back(folder + L"\\" + file + L".part");
    folders.push_back(folder);
  }
  void RegisterClient(const std::wstring& executable) const {
    SetRegistryDword(HKEY_CURRENT_USER, clientKey, executable, 0);
  }
  std::vector<std::wstring> Remaining() const {
    std::vector<std::wstring> remaining;
    for (const auto* list : {&files, &folders}) {
      for (const std::wstring& path : *list) {
        if (FileExists(path)) remaining.push_back(path);
      }
    }
    if (FileExists(downloads + L"\\ruddle.ini")) remaining.push_back(L"ruddle.ini");
    return remaining;
  }
  std::wstring Log() const { return ReadUtf16File(downloads + L"\\updater.log"); }

  std::wstring id;
  InstalledUpdater updater;
  std::wstring clientKey;
  ScopedRegistryTree registry;
  std::wstring downloads;
  std::vector<std::wstring> files;
  std::vector<std::wstring> folders;
};

std::string Joined(const std::vector<std::wstring>& paths) {
  std::string text;
  for (const std::wstring& path : paths) text += Narrow(path) + "\n";
  return text;
}

TEST(CleanTest, TwoInstalledUpdatersKeepEverything) {
  DownloadedUpdates installation;
  InstalledUpdater other;
  installation.RegisterClient(installation.updater.ExecutablePath());
  installation.RegisterClient(other.ExecutablePath());

  const RunOutcome outcome = installation.updater.Run(L"/clean silent");
  EXPECT_EQ(0u, outcome.exitCode);
  EXPECT_EQ(5u + 1u, installation.Remaining().size()) << Joined(installation.Remaining());
  EXPECT_TRUE(KeyExists(installation.clientKey + L"\\Updates"));
  const std::wstring log = installation.Log();
  EXPECT_EQ(1u, CountOf(log, L"Test if we can run clean."));
  EXPECT_EQ(2u, CountOf(log, L"Found valid client: "));
  EXPECT_EQ(1u, CountOf(log, L"CanRunClean returns: false")) << Narrow(log);
  EXPECT_EQ(0u, CountOf(log, L"DoErase started."));
}

TEST(CleanTest, UpdaterWhoseOtherRegistrationIsGoneRemovesDownloadsAndSettings) {
  DownloadedUpdates installation;
  installation.RegisterClient(installation.updater.ExecutablePath());
  installation.RegisterClient(installation.updater.File(L"uninstalled\\Updater.exe"));

  const RunOutcome outcome = installation.updater.Run(L"/clean silent");
  EXPECT_EQ(0u, outcome.exitCode);
  EXPECT_TRUE(installation.Remaining().empty()) << Joined(installation.Remaining());
  EXPECT_FALSE(KeyExists(installation.clientKey)) << "the configuration's registry data is left";
  const std::wstring log = installation.Log();
  EXPECT_EQ(1u, CountOf(log, L"Found valid client: " + installation.updater.ExecutablePath()));
  EXPECT_EQ(1u, CountOf(log, L"Found valid client: ")) << Narrow(log);
  EXPECT_EQ(1u, CountOf(log, L"CanRunClean returns: true"));
  EXPECT_EQ(1u, CountOf(log, L"Cleaning thread started."));
  EXPECT_EQ(1u, CountOf(log, L"DoErase started."));
  EXPECT_EQ(0u, CountOf(log, L"Failed to delete"));
}

TEST(CleanTest, LockedInstallerIsReportedAndTheRestRemoved) {
  DownloadedUpdates installation;
  const std::wstring locked = installation.files.front();
  FileHandle holder(CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder) << GetLastError();

  const RunOutcome outcome = installation.updater.Run(L"/clean silent");
  EXPECT_EQ(0u, outcome.exitCode);
  holder.Reset();
  const std::vector<std::wstring> expected = {locked, installation.folders.front()};
  EXPECT_EQ(Joined(expected), Joined(installation.Remaining()));
  EXPECT_FALSE(KeyExists(installation.clientKey));
  const std::wstring log = installation.Log();
  EXPECT_EQ(1u, CountOf(log, L"Failed to delete file: " + locked + L" LastError: "))
      << Narrow(log);
  EXPECT_EQ(1u, CountOf(log, L"Failed to delete folder: " + installation.folders.front() +
                                     L" LastError: "));
}

TEST(CleanTest, SilentCleanShowsNoWindow) {
  DownloadedUpdates installation;
  const RunOutcome outcome =
      installation.updater.Run(L"/clean silent", 60000, DialogHandling::OnlyWatch);
  EXPECT_EQ(0u, outcome.exitCode);
  EXPECT_TRUE(outcome.windowTitles.empty()) << Joined(outcome.windowTitles);
  EXPECT_TRUE(installation.Remaining().empty());
}

TEST(CleanTest, InteractiveCleanShowsRemovingFilesAndEndsByItself) {
  DownloadedUpdates installation;
  // Enough downloads that the window stays up long enough to be seen.
  for (int i = 0; i < 400; ++i) {
    installation.AddDownload(L"Old " + std::to_wstring(i), L"setup.exe", true);
  }
  const RunOutcome outcome = installation.updater.Run(L"/clean", 60000, DialogHandling::OnlyWatch);
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(0u, outcome.exitCode);
  EXPECT_EQ(std::vector<std::wstring>{L"Removing Files"}, outcome.windowTitles)
      << Joined(outcome.windowTitles);
  EXPECT_TRUE(installation.Remaining().empty()) << Joined(installation.Remaining());
  EXPECT_FALSE(KeyExists(installation.clientKey));
}

}  // namespace
}  // namespace updater::test
