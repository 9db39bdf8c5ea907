#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/SetSetting.h"

namespace updater {
namespace {

using test::GetRegistryDword;
using test::GetRegistryString;
using test::Narrow;
using test::ScopedRegistryTree;
using test::TempFolder;
using test::UniqueName;

// A loaded configuration with its own ID whose registry keys are removed at the end.
class LoadedConfig {
 public:
  explicit LoadedConfig(const std::wstring& flags = L"")
      : id_(UniqueName(L"SetTest")), tree_(L"Software\\Merrow\\Ruddle\\" + id_), config_(L"") {
    test::WriteTextFile(
        folder_.File(L"client.ini"),
        L"[General]\r\nID=" + id_ + L"\r\nFlags=" + flags + L"\r\nDownloadsFolder=C:\\FromFile\r\n",
        test::TextEncoding::Ansi);
    config_ = ClientConfig(folder_.File(L"client.ini"));
    loaded_ = config_.Load();
  }

  ResultCode LoadResult() const { return loaded_; }
  ClientConfig& Config() { return config_; }
  const std::wstring& Path() const { return config_.Path(); }
  std::wstring SettingsPath() const { return tree_.SubKey() + L"\\Settings"; }
  bool Dword(const wchar_t* name, DWORD* value) const {
    return GetRegistryDword(HKEY_CURRENT_USER, SettingsPath(), name, value);
  }
  bool String(const wchar_t* name, std::wstring* value) const {
    return GetRegistryString(HKEY_CURRENT_USER, SettingsPath(), name, value);
  }

 private:
  std::wstring id_;
  TempFolder folder_;
  ScopedRegistryTree tree_;
  ClientConfig config_;
  ResultCode loaded_ = kSuccess;
};

TEST(SetSettingTest, WritesNumbersAndReportsResult) {
  struct Case {
    const wchar_t* flags;
    const wchar_t* name;
    const wchar_t* value;
    ResultCode result;
    const wchar_t* valueName;  // null when nothing may be written
    DWORD written;
  };
  const Case cases[] = {
      {L"", L"retryattempts", L"12x", kSuccess, L"RetryAttempts", 12},
      {L"", L"retryattempts", L"-1", kSuccess, L"RetryAttempts", 0xFFFFFFFF},
      {L"", L"retryattempts", L"many", kSuccess, L"RetryAttempts", 0},
      {L"", L"loglevel", L"Error|Info", kSuccess, L"LogLevel", 3},
      {L"", L"loglevel", L"Info|Verbose|Trace", kSuccess, L"LogLevel", 2},
      {L"", L"loglevel", L"", kSuccess, L"LogLevel", 0},
      {L"", L"autoupdatepolicy", L"Prompt", kSuccess, L"AutoUpdatePolicy", 1},
      {L"", L"autoupdatepolicy", L"Disable", kSuccess, L"AutoUpdatePolicy", 0},
      {L"NoDisableAutoCheck", L"autoupdatepolicy", L"Prompt", kSuccess, L"AutoUpdatePolicy", 1},
      {L"NoDisableAutoCheck", L"autoupdatepolicy", L"Disable", kAutoCheckRequired, nullptr, 0},
      {L"", L"autoupdatepolicy", L"Never", kInvalidCommandLine, nullptr, 0},
      {L"", L"autoupdatepolicy", L"Prompt|Never", kInvalidCommandLine, nullptr, 0},
      {L"", L"autoupdatepolicy", L"", kInvalidCommandLine, nullptr, 0},
  };
  for (const Case& c : cases) {
    LoadedConfig loaded(c.flags);
    ASSERT_EQ(kSuccess, loaded.LoadResult());
    const std::string what =
        Narrow(std::wstring(c.name) + L" \"" + c.value + L"\" flags " + c.flags);
    EXPECT_EQ(c.result, SetSetting(loaded.Config(), c.name, c.value, L"")) << what;
    for (const wchar_t* name : {L"RetryAttempts", L"LogLevel", L"AutoUpdatePolicy"}) {
      DWORD value = 0;
      const bool expected = c.valueName != nullptr && std::wstring(name) == c.valueName;
      EXPECT_EQ(expected, loaded.Dword(name, &value)) << what << ": " << Narrow(name);
      if (expected) {
        EXPECT_EQ(c.written, value) << what;
      }
    }
  }
}

TEST(SetSettingTest, WrittenSettingsAreUsedByTheNextLoad) {
  LoadedConfig loaded;
  ASSERT_EQ(L"C:\\FromFile", loaded.Config().DownloadsFolder());
  ASSERT_EQ(kSuccess, SetSetting(loaded.Config(), L"retryattempts", L"6", L""));
  ASSERT_EQ(kSuccess, SetSetting(loaded.Config(), L"loglevel", L"Error|Trace", L""));
  ASSERT_EQ(kSuccess, SetSetting(loaded.Config(), L"proxy", L"proxy.example:8080", L""));
  ASSERT_EQ(kSuccess, SetSetting(loaded.Config(), L"downloadsfolder", L"D:\\Mine", L""));
  EXPECT_EQ(L"D:\\Mine", loaded.Config().DownloadsFolder()) << "the folder is taken at once";
  std::wstring folder;
  EXPECT_TRUE(loaded.String(L"DownloadsFolder", &folder));
  EXPECT_EQ(L"D:\\Mine", folder);
  ClientConfig next(loaded.Path());
  ASSERT_EQ(kSuccess, next.Load());
  EXPECT_EQ(6, next.RetryAttempts());
  EXPECT_EQ(9u, next.LogLevel());
  EXPECT_EQ(L"proxy.example:8080", next.Proxy());
  EXPECT_EQ(L"D:\\Mine", next.DownloadsFolder());
}

TEST(SetSettingTest, EmptyProxyDeletesIt) {
  LoadedConfig loaded;
  std::wstring proxy;
  EXPECT_EQ(kSuccess, SetSetting(loaded.Config(), L"proxy", L"http://proxy:3128", L""));
  EXPECT_TRUE(loaded.String(L"Proxy", &proxy));
  EXPECT_EQ(L"http://proxy:3128", proxy);
  EXPECT_EQ(kSuccess, SetSetting(loaded.Config(), L"proxy", L"", L""));
  EXPECT_FALSE(loaded.String(L"Proxy", &proxy));
  EXPECT_EQ(kSuccess, SetSetting(loaded.Config(), L"proxy", L"", L""));
}

TEST(SetSettingTest, RejectsUnknownNamesAndWritesNothing) {
  for (const wchar_t* name : {L"RetryAttempts", L"checkfrequency", L""}) {
    LoadedConfig loaded;
    EXPECT_EQ(kInvalidCommandLine, SetSetting(loaded.Config(), name, L"5", L"secret"))
        << Narrow(name);
    RegistryKey key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, loaded.SettingsPath().c_str(), 0,
                                           KEY_READ, key.Put()))
        << Narrow(name) << " created the settings key";
  }
}

}  // namespace
}  // namespace updater
