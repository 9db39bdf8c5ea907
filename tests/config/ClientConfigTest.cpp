#include "config/ClientConfig.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "config/ClientFlags.h"

namespace updater {
namespace {

using test::Narrow;
using test::TextEncoding;

using ConfigFixture = test::ClientConfigFile;

TEST(ClientConfigTest, ReadsUrlsUpToTheFirstGapAndFlagsWithBlanksAndTheUrlOverrideIsFirst) {
  ClientConfig config = ConfigFixture().Load(
      L"URL=\r\nURL1=http://a/u.ini\r\nURL2=\\\\b\\u.ini\r\nURL4=c\r\nFlags=PerMachine | UTF8");
  EXPECT_EQ((std::vector<std::wstring>{L"http://a/u.ini", L"\\\\b\\u.ini"}), config.Urls());
  EXPECT_TRUE(config.HasFlag(kFlagPerMachine) && config.HasFlag(kFlagUtf8));
  config.ReplaceFirstUrl(L"http://override/u.ini");
  EXPECT_EQ((std::vector<std::wstring>{L"http://override/u.ini", L"\\\\b\\u.ini"}),
            config.Urls());
}

TEST(ClientConfigTest, CheckFrequencyReadsLikeWcstolAndOnlyMissingKeepsTheDefault) {
  const std::pair<const wchar_t*, std::int32_t> cases[] = {
      {L"", 3}, {L"CheckFrequency=\r\n", 3}, {L"CheckFrequency= 5\r\n", 5},
      {L"CheckFrequency=-1\r\n", -1}, {L"CheckFrequency=10days\r\n", 10},
      {L"CheckFrequency=never\r\n", 0},
  };
  for (const auto& [body, days] : cases) {
    EXPECT_EQ(days, ConfigFixture().Load(body).CheckFrequency()) << Narrow(body);
  }
}

TEST(ClientConfigTest, ExpandsFoldersOrKeepsThemAsWritten) {
  const std::wstring appDir = L"AppDir=%UPDATER_CONFIG_TEST%\\A\r\n";
  ASSERT_TRUE(SetEnvironmentVariableW(L"UPDATER_CONFIG_TEST", L"C:\\P"));
  const ClientConfig expanded = ConfigFixture().Load(appDir + L"DownloadsFolder=[APPDIR]\\D");
  EXPECT_EQ(L"C:\\P\\A\\D", expanded.DownloadsFolder());
  SetEnvironmentVariableW(L"UPDATER_CONFIG_TEST", nullptr);
  EXPECT_EQ(L"%UPDATER_CONFIG_TEST%\\A", ConfigFixture().Load(appDir).AppDir());
}

TEST(ClientConfigTest, OwnUserSettingsReplaceFileValuesAndMachineOnesBackLogLevelAndProxy) {
  // `other` proves that only the configuration's own ID counts.
  const ConfigFixture user, empty, machine, other;
  const std::wstring userKey = user.Key(L"Settings"), emptyKey = empty.Key(L"Settings");
  test::SetRegistryString(HKEY_CURRENT_USER, userKey, L"DownloadsFolder", L"D:\\PerUser");
  test::SetRegistryDword(HKEY_CURRENT_USER, userKey, L"CheckFrequency", 30);
  test::SetRegistryDword(HKEY_CURRENT_USER, userKey, L"RetryAttempts", 4);
  test::SetRegistryDword(HKEY_CURRENT_USER, userKey, L"LogLevel", 15);
  test::SetRegistryString(HKEY_CURRENT_USER, userKey, L"Proxy", L"user:8080");
  test::SetRegistryString(HKEY_CURRENT_USER, emptyKey, L"DownloadsFolder", L"");
  test::SetRegistryDword(HKEY_CURRENT_USER, emptyKey, L"CheckFrequency", 0);
  test::SetRegistryString(HKEY_CURRENT_USER, other.Key(L"Settings"), L"DownloadsFolder", L"D:\\O");
  for (const ConfigFixture* fixture : {&user, &machine}) {
    const std::wstring key = fixture->Key(L"Settings");
    test::SetRegistryDword(HKEY_LOCAL_MACHINE, key, L"LogLevel", 3);
    test::SetRegistryString(HKEY_LOCAL_MACHINE, key, L"Proxy", L"machine:3128");
  }
  // A service has no user of its own: it reads the machine's settings and never the user's.
  const std::tuple<const ConfigFixture*, HKEY, const char*> cases[] = {
      {&user, HKEY_CURRENT_USER, "D:\\PerUser 30 4 15 user:8080"},
      {&empty, HKEY_CURRENT_USER, "C:\\FromFile 0 -1 0 "},
      {&machine, HKEY_CURRENT_USER, "C:\\FromFile 7 -1 3 machine:3128"},
      {&user, HKEY_LOCAL_MACHINE, "C:\\FromFile 7 -1 3 machine:3128"},
  };
  for (const auto& [fixture, root, expected] : cases) {
    const ClientConfig c =
        fixture->Load(L"DownloadsFolder=C:\\FromFile\r\nCheckFrequency=7\r\n", root);
    EXPECT_EQ(expected, Narrow(c.DownloadsFolder()) + " " + std::to_string(c.CheckFrequency()) +
                            " " + std::to_string(c.RetryAttempts()) + " " +
                            std::to_string(c.LogLevel()) + " " + Narrow(c.Proxy()));
  }
}

TEST(ClientConfigTest, ACheckNamesTheFileAndTheValuesItLacksOrWhyTheFileCannotBeRead) {
  const ConfigFixture withSetting;
  test::SetRegistryString(HKEY_CURRENT_USER, withSetting.Key(L"Settings"), L"DownloadsFolder",
                          L"D:\\PerUser");
  const std::wstring url = L"URL=http://a/u.ini\r\n", appDir = L"AppDir=C:\\A\r\n",
                     folder = L"DownloadsFolder=C:\\D\r\n";
  // The body after ID; what the reason says after the path.
  struct Case { const ConfigFixture* fixture; std::wstring body; const wchar_t* reason; };
  const ConfigFixture plain;
  const Case cases[] = {
      {&plain, url + appDir + folder, L""},
      {&plain, appDir + folder, L": [General] has no URL"},
      {&plain, url + folder, L": [General] has no AppDir"},
      {&plain, L"AppDir=\r\n" + url, L": [General] has no AppDir, DownloadsFolder"},
      {&withSetting, url + appDir, L""},  // the user's setting stands in for the file
  };
  for (const Case& c : cases) {
    const ClientConfig config = c.fixture->Load(c.body);
    const std::wstring reason = config.WhyIncompleteForUpdates();
    EXPECT_EQ(*c.reason ? config.Path() + c.reason : L"", reason) << Narrow(c.body);
  }
  const std::wstring prefix = L"Cannot read the client configuration file ";
  ClientConfig missing(plain.File(L"missing.ini"));
  EXPECT_EQ(kConfigFileNotFound, missing.Load());
  EXPECT_EQ(prefix + missing.Path() + L": there is no such file", missing.WhyIncompleteForUpdates());
  ClientConfig locked = plain.Load(url + appDir + folder);
  const FileHandle holder(CreateFileW(locked.Path().c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);
  EXPECT_EQ(kSuccess, locked.Load());
  // The system's text on one line ("Sharing violation" under Wine).
  std::wstring sharing = ResultText(ERROR_SHARING_VIOLATION);
  sharing.erase(sharing.find_last_not_of(L"\r\n. ") + 1);
  EXPECT_EQ(prefix + locked.Path() + L": " + sharing, locked.WhyIncompleteForUpdates());
}

// ConfigFilePath is shared by every configuration, so its value is put back afterwards.
TEST(ClientConfigTest, FileIsFoundOnlyByAnExistingAbsolutePath) {
  constexpr wchar_t kKey[] = L"Software\\Merrow\\Ruddle\\Settings";
  std::wstring saved;
  const bool hadValue = ReadRegistryString(HKEY_CURRENT_USER, kKey, L"ConfigFilePath", &saved);
  const test::TempFolder folder;
  const std::wstring existing = folder.File(L"client.ini");
  test::WriteTextFile(existing, L"[General]\r\nID=Acme\r\n", TextEncoding::Ansi);
  const std::wstring fallback = test::ThisExecutableFolder() + L"\\ConfigTests.ini";
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
  for (const std::wstring& path : {existing, folder.File(L"missing.ini"), folder.Path(),
                                   std::wstring(L"client.ini"), std::wstring(L".\\client.ini"),
                                   folder.Path().substr(0, 2) + L"client.ini"}) {
    test::SetRegistryString(HKEY_CURRENT_USER, kKey, L"ConfigFilePath", path);
    EXPECT_EQ(path == existing ? existing : fallback, DefaultClientConfigPath()) << Narrow(path);
    ClientConfig config(path);
    EXPECT_EQ(path == existing ? kSuccess : kConfigFileNotFound, config.Load()) << Narrow(path);
    EXPECT_EQ(path == existing ? L"Acme" : L"", config.Id()) << Narrow(path);
  }
  SetCurrentDirectoryW(previous);
  test::SetRegistryString(HKEY_CURRENT_USER, kKey, L"ConfigFilePath", saved);
  if (!hadValue) RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"ConfigFilePath");
  EXPECT_EQ(L"C:\\Acme\\Updater.v2.ini", IniPathBesideExecutable(L"C:\\Acme\\Updater.v2.exe"));
  EXPECT_EQ(L"C:\\Acme\\Updater.ini", IniPathBesideExecutable(L"C:\\Acme\\Updater"));
}

}  // namespace
}  // namespace updater
