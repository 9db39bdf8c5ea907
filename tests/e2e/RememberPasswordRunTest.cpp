#include <gtest/gtest.h>

#include "TestSupport.h"
#include "e2e/UpdaterRun.h"
#include "transfer/RememberedCredentials.h"

namespace updater::test {
namespace {

TEST(RememberPasswordRunTest, RemembersEachUserOnce) {
  const std::wstring id = UniqueName(L"E2ERemember");
  ScopedRegistryTree registry(L"Software\\Merrow\\Ruddle\\" + id);
  const SettingsStore store(HKEY_CURRENT_USER, id);
  InstalledUpdater updater;
  updater.WriteConfig(L"ID=" + id + L"\r\n");

  EXPECT_EQ(0u, updater.Run(L"/set rememberpassword alice secret").exitCode);
  std::wstring first;
  ASSERT_TRUE(store.ReadString(SettingsKey::Settings, L"UserDetailsU", &first));
  EXPECT_EQ(0xE0000013u, updater.Run(L"/set rememberpassword alice other").exitCode);
  std::wstring second;
  ASSERT_TRUE(store.ReadString(SettingsKey::Settings, L"UserDetailsU", &second));
  EXPECT_EQ(first, second) << "a remembered user keeps its first password";

  std::vector<Credential> remembered;
  ASSERT_EQ(kSuccess, LoadRememberedCredentials(store, &remembered));
  EXPECT_EQ((std::vector<Credential>{{L"alice", L"secret"}}), remembered);
}

}  // namespace
}  // namespace updater::test
