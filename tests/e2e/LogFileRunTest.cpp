#include <gtest/gtest.h>

#include "TestSupport.h"
#include "e2e/UpdaterRun.h"

namespace updater::test {
namespace {

struct LoggedUpdater {
  LoggedUpdater() : id(UniqueName(L"E2ELog")), registry(L"Software\\Merrow\\Ruddle\\" + id) {
    downloads = updater.File(L"Data\\Downloads");
    updater.WriteConfig(L"ID=" + id + L"\r\nAppDir=" + updater.Folder() +
                        L"\r\nDownloadsFolder=" + downloads + L"\r\n");
  }
  void SetLogLevel(DWORD level) {
    SetRegistryDword(HKEY_CURRENT_USER, L"Software\\Merrow\\Ruddle\\" + id + L"\\Settings",
                     L"LogLevel", level);
  }
  std::wstring LogPath() const { return downloads + L"\\updater.log"; }
  std::wstring id;
  InstalledUpdater updater;
  ScopedRegistryTree registry;
  std::wstring downloads;
};

TEST(LogFileRunTest, RunsAppendToOneUtf16LogInTheDownloadsFolder) {
  LoggedUpdater logged;
  logged.SetLogLevel(1 | 8);
  EXPECT_EQ(0xE0000007u, logged.updater.Run(L"/justcheck").exitCode);
  EXPECT_EQ(0xE0000006u, logged.updater.Run(L"/set retryattempts").exitCode);
  EXPECT_EQ(0u, logged.updater.Run(L"/set retryattempts 2").exitCode);

  const std::string bytes = ReadFileBytes(logged.LogPath());
  ASSERT_GE(bytes.size(), 2u) << "the downloads folder and its log were not created";
  EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
  const std::wstring log = ReadUtf16File(logged.LogPath());
  EXPECT_EQ(0u, CountOf(log, L"\xFEFF")) << "a second run wrote another byte-order mark";
  // The rejected command line ends before the log is set up, so only two runs are logged.
  EXPECT_EQ(2u, CountOf(log, L"<< Tovanix (x86) Log >>"));
  EXPECT_EQ(2u, CountOf(log, L"\r\nOS Version: "));
  EXPECT_EQ(2u, CountOf(log, L"\r\nCPU: "));
  EXPECT_EQ(1u, CountOf(log, L"|\t\tRunning updater. Mode: 11\r\n"));
  EXPECT_EQ(1u, CountOf(log, L"|\t\tUpdater finished. Mode: 11. Return code: 3758096391\r\n"));
  EXPECT_EQ(1u, CountOf(log, L"|\t\tInvalid client configuration file LastError: 0xE0000007\r\n"));
  EXPECT_EQ(1u, CountOf(log, L"|\t\tUpdater finished. Mode: 19. Return code: 0\r\n"));
  EXPECT_EQ(0u, CountOf(log, L"LastError: 0x0"));
}

TEST(LogFileRunTest, LogLevelOffCreatesNoFile) {
  LoggedUpdater logged;
  logged.SetLogLevel(0);
  EXPECT_EQ(0xE0000007u, logged.updater.Run(L"/justcheck").exitCode);
  EXPECT_FALSE(FileExists(logged.LogPath()));
  EXPECT_FALSE(FileExists(logged.downloads)) << "the downloads folder is made only for a log";
}

TEST(LogFileRunTest, ErrorLevelOmitsTraceLines) {
  LoggedUpdater logged;
  logged.SetLogLevel(1);
  logged.updater.Run(L"/justcheck");
  const std::wstring log = ReadUtf16File(logged.LogPath());
  EXPECT_EQ(0u, CountOf(log, L"Running updater."));
  EXPECT_EQ(1u, CountOf(log, L"Invalid client configuration file LastError: 0xE0000007"));
}

TEST(LogFileRunTest, DownloadsFolderThatCannotBeCreatedFallsBackToCommonAppData) {
  LoggedUpdater logged;
  // A file where the downloads folder's parent should be makes the folder impossible to create.
  WriteTextFile(logged.updater.File(L"Data"), L"in the way", TextEncoding::Ansi);
  logged.SetLogLevel(1);
  wchar_t programData[MAX_PATH] = {};
  ASSERT_TRUE(ExpandEnvironmentStringsW(L"%ProgramData%\\TOVAN_LOGS\\Updater.LOG", programData,
                                        MAX_PATH));
  const std::wstring fallback = programData;
  const size_t before = ReadUtf16File(fallback).size();

  EXPECT_EQ(0xE0000007u, logged.updater.Run(L"/justcheck").exitCode);
  const std::wstring log = ReadUtf16File(fallback);
  ASSERT_GT(log.size(), before) << "nothing was written to " << Narrow(fallback);
  EXPECT_NE(std::wstring::npos,
            log.find(L"Invalid client configuration file LastError: 0xE0000007", before));
}

}  // namespace
}  // namespace updater::test
