#include <gtest/gtest.h>

#include "TestSupport.h"
#include "e2e/UpdaterRun.h"

namespace updater::test {
namespace {

TEST(SetSettingRunTest, EachSettingReachesTheRegistryWithItsResult) {
  const std::wstring id = UniqueName(L"E2ESet");
  const std::wstring settings = L"Software\\Merrow\\Ruddle\\" + id + L"\\Settings";
  ScopedRegistryTree registry(L"Software\\Merrow\\Ruddle\\" + id);
  InstalledUpdater updater;
  updater.WriteConfig(L"ID=" + id + L"\r\nFlags=NoDisableAutoCheck\r\n");

  EXPECT_EQ(0u, updater.Run(L"/set retryattempts 7").exitCode);
  EXPECT_EQ(0u, updater.Run(L"/set loglevel Error|Trace").exitCode);
  EXPECT_EQ(0u, updater.Run(L"/set autoupdatepolicy AutoCritical").exitCode);
  EXPECT_EQ(0xE000002Eu, updater.Run(L"/set autoupdatepolicy Disable").exitCode);
  EXPECT_EQ(0xE0000006u, updater.Run(L"/set autoupdatepolicy Sometimes").exitCode);
  EXPECT_EQ(0u, updater.Run(L"/set proxy 127.0.0.1:3128").exitCode);
  EXPECT_EQ(0u, updater.Run(L"/set downloadsfolder \"C:\\Down loads\"").exitCode);
  EXPECT_EQ(0xE0000006u, updater.Run(L"/set colour blue").exitCode);

  DWORD value = 0;
  ASSERT_TRUE(GetRegistryDword(HKEY_CURRENT_USER, settings, L"RetryAttempts", &value));
  EXPECT_EQ(7u, value);
  ASSERT_TRUE(GetRegistryDword(HKEY_CURRENT_USER, settings, L"LogLevel", &value));
  EXPECT_EQ(9u, value);
  ASSERT_TRUE(GetRegistryDword(HKEY_CURRENT_USER, settings, L"AutoUpdatePolicy", &value));
  EXPECT_EQ(3u, value) << "the refused Disable must not overwrite the policy";
  std::wstring text;
  ASSERT_TRUE(GetRegistryString(HKEY_CURRENT_USER, settings, L"Proxy", &text));
  EXPECT_EQ(L"127.0.0.1:3128", text);
  ASSERT_TRUE(GetRegistryString(HKEY_CURRENT_USER, settings, L"DownloadsFolder", &text));
  EXPECT_EQ(L"C:\\Down loads", text);

  EXPECT_EQ(0u, updater.Run(L"/set proxy \"\"").exitCode);
  EXPECT_FALSE(GetRegistryString(HKEY_CURRENT_USER, settings, L"Proxy", &text));
}

}  // namespace
}  // namespace updater::test
