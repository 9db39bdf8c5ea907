#include "config/ClientConfig.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;
using test::ScopedRegistryTree;
using test::SetRegistryDword;
using test::SetRegistryString;
using test::TempFolder;
using test::TextEncoding;
using test::UniqueName;

// Makes `path` the current directory until the end of the scope.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::wstring& path) {
    GetCurrentDirectoryW(MAX_PATH, previous_);
    EXPECT_TRUE(SetCurrentDirectoryW(path.c_str()));
  }
  ~ScopedCurrentDirectory() { SetCurrentDirectoryW(previous_); }

 private:
  wchar_t previous_[MAX_PATH] = {};
};

const std::wstring kProductKey = L"Software\\Merrow\\Ruddle\\";
constexpr wchar_t kGlobalSettingsKey[] = L"Software\\Merrow\\Ruddle\\Settings";

// A configuration with its own ID, file and registry keys, all removed at the end.
class ConfigFixture {
 public:
  ConfigFixture()
      : id_(UniqueName(L"ConfigTest")),
        userTree_(kProductKey + id_),
        machineTree_(kProductKey + id_, HKEY_LOCAL_MACHINE) {}

  const std::wstring& Id() const { return id_; }
  std::wstring SettingsKeyPath() const { return kProductKey + id_ + L"\\Settings"; }
  std::wstring Path() const { return folder_.File(L"client.ini"); }

  // Writes [General] with ID and `body`, then loads it.
  ResultCode Load(const std::wstring& body, ClientConfig* config,
                  TextEncoding encoding = TextEncoding::Ansi) const {
    return LoadSection(L"ID=" + id_ + L"\r\n" + body, config, encoding);
  }

  ResultCode LoadSection(const std::wstring& body, ClientConfig* config,
                         TextEncoding encoding = TextEncoding::Ansi) const {
    test::WriteTextFile(Path(), L"[General]\r\n" + body, encoding);
    *config = ClientConfig(Path());
    return config->Load();
  }

  // Load() for a body that must load.
  ClientConfig Loaded(const std::wstring& body) const {
    ClientConfig config(L"");
    EXPECT_EQ(kSuccess, Load(body, &config)) << Narrow(body);
    return config;
  }

 private:
  std::wstring id_;
  TempFolder folder_;
  ScopedRegistryTree userTree_;
  ScopedRegistryTree machineTree_;
};

TEST(ClientConfigTest, ReadsEveryGeneralKeyInBothEncodings) {
  for (const TextEncoding encoding : {TextEncoding::Ansi, TextEncoding::Utf16}) {
    const ConfigFixture fixture;
    ClientConfig config(L"");
    ASSERT_EQ(kSuccess, fixture.Load(L"URL=https://example.com/updates.ini\r\n"
                                     L"URL1=\\\\server\\share\\updates.ini\r\n"
                                     L"Flags=PerMachine | UTF8\r\n"
                                     L"ApplicationMainBinary=C:\\Acme\\Writer.exe\r\n"
                                     L"AppDir=C:\\Acme\r\n"
                                     L"DownloadsFolder=C:\\Acme\\Downloads\r\n"
                                     L"CheckFrequency=7\r\n"
                                     L"ApplicationName=Acme Writer\r\n"
                                     L"ApplicationVersion=2.1\r\n"
                                     L"CompanyName=Acme\r\n"
                                     L"DefaultCommandLine=/silent -nofreqcheck\r\n"
                                     L"SupportServiceName=AcmeUpdateService\r\n"
                                     L"AppId=Acme.Writer\r\n",
                                     &config, encoding));
    const char* name = encoding == TextEncoding::Ansi ? "ANSI" : "UTF-16";
    EXPECT_EQ(fixture.Path(), config.Path()) << name;
    EXPECT_EQ(fixture.Id(), config.Id()) << name;
    EXPECT_EQ((std::vector<std::wstring>{L"https://example.com/updates.ini",
                                         L"\\\\server\\share\\updates.ini"}),
              config.Urls())
        << name;
    EXPECT_EQ(20u, config.Flags()) << name;
    EXPECT_EQ(L"C:\\Acme\\Writer.exe", config.ApplicationMainBinary()) << name;
    EXPECT_EQ(L"C:\\Acme", config.AppDir()) << name;
    EXPECT_EQ(L"C:\\Acme\\Downloads", config.DownloadsFolder()) << name;
    EXPECT_EQ(7, config.CheckFrequency()) << name;
    EXPECT_EQ(L"Acme Writer", config.ApplicationName()) << name;
    EXPECT_EQ(L"2.1", config.ApplicationVersion()) << name;
    EXPECT_EQ(L"Acme", config.CompanyName()) << name;
    EXPECT_EQ(L"/silent -nofreqcheck", config.DefaultCommandLine()) << name;
    EXPECT_EQ(L"AcmeUpdateService", config.SupportServiceName()) << name;
    EXPECT_EQ(L"Acme.Writer", config.AppId()) << name;
    EXPECT_EQ(L"Acme.Writer", config.NotificationAppId()) << name;
    EXPECT_TRUE(config.IsCompleteForUpdates()) << name;
    EXPECT_EQ(HKEY_CURRENT_USER, config.Settings().Root()) << name;
    EXPECT_EQ(fixture.Id(), config.Settings().Id()) << name;
  }
}

TEST(ClientConfigTest, MissingKeysAndSettingsKeepDefaults) {
  const ClientConfig config = ConfigFixture().Loaded(
      L"ApplicationName=Writer\r\nApplicationVersion=1.0\r\nCompanyName=Acme\r\n");
  EXPECT_TRUE(config.Urls().empty());
  EXPECT_EQ(0u, config.Flags());
  EXPECT_EQ(3, config.CheckFrequency());
  EXPECT_EQ(-1, config.RetryAttempts());
  EXPECT_EQ(0u, config.LogLevel());
  EXPECT_EQ(L"", config.Proxy());
  EXPECT_EQ(L"", config.DownloadsFolder());
  EXPECT_EQ(L"Acme.Writer 1.0", config.NotificationAppId());

  EXPECT_FALSE(config.IsCompleteForUpdates());
}

TEST(ClientConfigTest, UrlListSkipsEmptyUrlAndEndsAtFirstGap) {
  struct Case {
    const wchar_t* body;
    std::vector<std::wstring> urls;
  };
  const Case cases[] = {
      {L"URL=\r\nURL1=http://b/u.ini\r\nURL2=http://c/u.ini\r\n",
       {L"http://b/u.ini", L"http://c/u.ini"}},
      {L"URL=http://a/u.ini\r\nURL1=http://b/u.ini\r\nURL3=http://d/u.ini\r\n",
       {L"http://a/u.ini", L"http://b/u.ini"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.urls, ConfigFixture().Loaded(c.body).Urls()) << Narrow(c.body);
  }
}

TEST(ClientConfigTest, CheckFrequencyReadsLikeWcstol) {
  struct Case {
    const wchar_t* text;
    std::int32_t days;
  };
  const Case cases[] = {
      {L"", 3}, {L" 5", 5}, {L"-1", -1}, {L"10days", 10}, {L"never", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.days, ConfigFixture().Loaded(std::wstring(L"CheckFrequency=") + c.text + L"\r\n")
                          .CheckFrequency());
  }
}

TEST(ClientConfigTest, ExpandsFoldersOrKeepsThemAsWritten) {
  const std::wstring variable = UniqueName(L"UPDATER_CONFIG_VAR");
  const std::wstring undefined = UniqueName(L"UPDATER_UNDEFINED_VAR");
  ASSERT_TRUE(SetEnvironmentVariableW(variable.c_str(), L"C:\\Users\\Public"));
  const std::wstring component =
      L"[{6F0B3C41-8E27-4A5D-9C1E-2B7D4F8A9E01}{0D5C2E7A-3B41-4F9C-8A6E-1C2B3D4E5F60}]\\bin";
  struct Case {
    std::wstring appDir;
    std::wstring downloadsFolder;
    std::wstring expectedAppDir;
    std::wstring expectedDownloadsFolder;
  };
  const Case cases[] = {
      {L"%" + variable + L"%\\Acme", L"%" + variable + L"%\\Downloads",
       L"C:\\Users\\Public\\Acme", L"C:\\Users\\Public\\Downloads"},
      {L"C:\\Acme", L"%" + undefined + L"%\\Downloads", L"C:\\Acme",
       L"%" + undefined + L"%\\Downloads"},
      {L"%" + variable + L"%\\Acme", L"[APPDIR]\\Downloads", L"C:\\Users\\Public\\Acme",
       L"C:\\Users\\Public\\Acme\\Downloads"},
      {component, L"[APPDIR]\\Downloads", component, component + L"\\Downloads"},
  };
  for (const Case& c : cases) {
    const ClientConfig config = ConfigFixture().Loaded(
        L"AppDir=" + c.appDir + L"\r\nDownloadsFolder=" + c.downloadsFolder + L"\r\n");
    EXPECT_EQ(c.expectedAppDir, config.AppDir()) << Narrow(c.appDir);
    EXPECT_EQ(c.expectedDownloadsFolder, config.DownloadsFolder()) << Narrow(c.downloadsFolder);
  }
  SetEnvironmentVariableW(variable.c_str(), nullptr);
}

TEST(ClientConfigTest, UserSettingsReplaceFileValues) {
  const std::wstring body = L"DownloadsFolder=C:\\FromFile\r\nCheckFrequency=7\r\n";
  {
    const ConfigFixture fixture;
    const std::wstring key = fixture.SettingsKeyPath();
    SetRegistryString(HKEY_CURRENT_USER, key, L"DownloadsFolder", L"D:\\PerUser");
    SetRegistryDword(HKEY_CURRENT_USER, key, L"CheckFrequency", 30);
    SetRegistryDword(HKEY_CURRENT_USER, key, L"RetryAttempts", 4);
    const ClientConfig config = fixture.Loaded(body);
    EXPECT_EQ(L"D:\\PerUser", config.DownloadsFolder());
    EXPECT_EQ(30, config.CheckFrequency());
    EXPECT_EQ(4, config.RetryAttempts());
  }
  {
    // An empty per-user folder does not replace the file's; a zero frequency does.
    const ConfigFixture fixture;
    SetRegistryString(HKEY_CURRENT_USER, fixture.SettingsKeyPath(), L"DownloadsFolder", L"");
    SetRegistryDword(HKEY_CURRENT_USER, fixture.SettingsKeyPath(), L"CheckFrequency", 0);
    const ClientConfig config = fixture.Loaded(body);
    EXPECT_EQ(L"C:\\FromFile", config.DownloadsFolder());
    EXPECT_EQ(0, config.CheckFrequency());
  }
  // Only the configuration's own ID counts.
  const ConfigFixture fixture;
  const ConfigFixture other;
  SetRegistryString(HKEY_CURRENT_USER, other.SettingsKeyPath(), L"DownloadsFolder", L"D:\\X");
  EXPECT_EQ(L"C:\\FromFile", fixture.Loaded(body).DownloadsFolder());
}

TEST(ClientConfigTest, LogLevelAndProxyPreferUserOverMachine) {
  struct Case {
    const char* name;
    bool user;
    bool machine;
    std::uint32_t logLevel;
    const wchar_t* proxy;
  };
  const Case cases[] = {
      {"user and machine", true, true, 15, L"user-proxy:8080"},
      {"machine only", false, true, 3, L"machine-proxy:3128"},
      {"neither", false, false, 0, L""},
  };
  for (const Case& c : cases) {
    const ConfigFixture fixture;
    if (c.user) {
      SetRegistryDword(HKEY_CURRENT_USER, fixture.SettingsKeyPath(), L"LogLevel", 15);
      SetRegistryString(HKEY_CURRENT_USER, fixture.SettingsKeyPath(), L"Proxy",
                        L"user-proxy:8080");
    }
    if (c.machine) {
      SetRegistryDword(HKEY_LOCAL_MACHINE, fixture.SettingsKeyPath(), L"LogLevel", 3);
      SetRegistryString(HKEY_LOCAL_MACHINE, fixture.SettingsKeyPath(), L"Proxy",
                        L"machine-proxy:3128");
    }
    const ClientConfig config = fixture.Loaded(L"");
    EXPECT_EQ(c.logLevel, config.LogLevel()) << c.name;
    EXPECT_EQ(c.proxy, config.Proxy()) << c.name;
  }
}

TEST(ClientConfigTest, LoadNeedsAnExistingFileByAbsolutePath) {
  const TempFolder folder;
  test::WriteTextFile(folder.File(L"client.ini"), L"[General]\r\nID=Acme\r\nCheckFrequency=9\r\n",
                      TextEncoding::Ansi);
  const ScopedCurrentDirectory inFolder(folder.Path());
  const std::wstring paths[] = {folder.File(L"missing.ini"), folder.Path(), L"client.ini",
                                L".\\client.ini", L""};
  for (const std::wstring& path : paths) {
    ClientConfig config(path);
    EXPECT_EQ(kConfigFileNotFound, config.Load()) << Narrow(path);
    EXPECT_EQ(L"", config.Id()) << Narrow(path);
    EXPECT_EQ(3, config.CheckFrequency()) << Narrow(path);
  }
}

TEST(ClientConfigTest, UrlOverrideReplacesOnlyTheFirstUrl) {
  ClientConfig config = ConfigFixture().Loaded(L"URL=http://a/u.ini\r\nURL1=http://b/u.ini\r\n");
  config.ReplaceFirstUrl(L"http://override/u.ini");
  EXPECT_EQ((std::vector<std::wstring>{L"http://override/u.ini", L"http://b/u.ini"}),
            config.Urls());
  ClientConfig empty(L"");
  empty.ReplaceFirstUrl(L"http://only/u.ini");
  EXPECT_EQ(std::vector<std::wstring>{L"http://only/u.ini"}, empty.Urls());
}

TEST(ClientConfigTest, CompleteForUpdatesNeedsFolderUrlIdAndAppDir) {
  struct Case {
    const char* missing;
    bool withId;
    std::wstring body;
  };
  const std::wstring url = L"URL=http://a/u.ini\r\n";
  const std::wstring appDir = L"AppDir=C:\\Acme\r\n";
  const std::wstring downloads = L"DownloadsFolder=C:\\Acme\\Downloads\r\n";
  const Case cases[] = {
      {"nothing", true, url + appDir + downloads},
      {"URL", true, appDir + downloads},
      {"AppDir", true, url + downloads},
      {"DownloadsFolder", true, url + appDir},
      {"ID", false, url + appDir + downloads},
  };
  for (const Case& c : cases) {
    const ConfigFixture fixture;
    ClientConfig config(L"");
    ASSERT_EQ(kSuccess, c.withId ? fixture.Load(c.body, &config)
                                 : fixture.LoadSection(c.body, &config))
        << c.missing;
    EXPECT_EQ(std::string(c.missing) == "nothing", config.IsCompleteForUpdates())
        << "missing " << c.missing;
  }
  // Values set for the run do not stand in for a missing ID and AppDir.
  ClientConfig config(L"");
  config.SetDownloadsFolder(L"C:\\d");
  config.ReplaceFirstUrl(L"http://a/u.ini");
  EXPECT_FALSE(config.IsCompleteForUpdates());
}

TEST(ClientConfigPathTest, RecognisesAbsolutePaths) {
  struct Case {
    const wchar_t* path;
    bool absolute;
  };
  const Case cases[] = {
      {L"C:\\Acme\\client.ini", true}, {L"\\\\server\\share\\client.ini", true},
      {L"c:client.ini", true},         {L"client.ini", false},
      {L"\\Acme\\client.ini", false},  {L"..\\client.ini", false},
      {L"C", false},                   {L"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.absolute, IsAbsoluteWindowsPath(c.path)) << Narrow(c.path);
  }
}

TEST(ClientConfigPathTest, IniPathReplacesTextAfterLastDot) {
  EXPECT_EQ(L"C:\\Acme\\Updater.v2.ini", IniPathBesideExecutable(L"C:\\Acme\\Updater.v2.exe"));
  EXPECT_EQ(L"C:\\Acme\\Updater.ini", IniPathBesideExecutable(L"C:\\Acme\\Updater"));
  EXPECT_EQ(L"C:\\Acme\\Updater.ini", IniPathBesideExecutable(L"C:\\Acme\\Updater."));
}

// ConfigFilePath is shared by every configuration, so its value is put back afterwards.
class ClientConfigDefaultPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hadValue_ = test::GetRegistryString(HKEY_CURRENT_USER, kGlobalSettingsKey, L"ConfigFilePath",
                                        &savedValue_);
  }
  void TearDown() override {
    if (hadValue_) {
      SetRegistryString(HKEY_CURRENT_USER, kGlobalSettingsKey, L"ConfigFilePath", savedValue_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kGlobalSettingsKey, L"ConfigFilePath");
    }
  }

  bool hadValue_ = false;
  std::wstring savedValue_;
};

TEST_F(ClientConfigDefaultPathTest, UsesConfiguredExistingFile) {
  const TempFolder folder;
  const std::wstring path = folder.File(L"elsewhere.ini");
  test::WriteTextFile(path, L"[General]\r\n", TextEncoding::Ansi);
  SetRegistryString(HKEY_CURRENT_USER, kGlobalSettingsKey, L"ConfigFilePath", path);
  EXPECT_EQ(path, DefaultClientConfigPath());
}

TEST_F(ClientConfigDefaultPathTest, FallsBackToExecutableNameWithIni) {
  const TempFolder folder;
  test::WriteTextFile(folder.File(L"relative.ini"), L"[General]\r\n", TextEncoding::Ansi);
  const ScopedCurrentDirectory inFolder(folder.Path());
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring fallback = self;
  fallback.replace(fallback.size() - 3, 3, L"ini");
  const std::wstring values[] = {folder.File(L"missing.ini"), folder.Path(), L"relative.ini",
                                 L""};
  for (const std::wstring& value : values) {
    SetRegistryString(HKEY_CURRENT_USER, kGlobalSettingsKey, L"ConfigFilePath", value);
    EXPECT_EQ(fallback, DefaultClientConfigPath()) << "ConfigFilePath " << Narrow(value);
  }
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kGlobalSettingsKey, L"ConfigFilePath");
  EXPECT_EQ(fallback, DefaultClientConfigPath()) << "without ConfigFilePath";
}

}  // namespace
}  // namespace updater
