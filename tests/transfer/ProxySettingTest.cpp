#include <gtest/gtest.h>

#include "TestSupport.h"
#include "transfer/ProxySetting.h"

namespace updater {
namespace {

using test::ScopedRegistryTree;
using test::UniqueName;

TEST(ProxySettingTest, UserValueWinsAndEmptyTextDeletesIt) {
  const std::wstring id = UniqueName(L"Proxy");
  ScopedRegistryTree userTree(L"Software\\Merrow\\Ruddle\\" + id);
  ScopedRegistryTree machineTree(L"Software\\Merrow\\Ruddle\\" + id, HKEY_LOCAL_MACHINE);
  const SettingsStore user(HKEY_CURRENT_USER, id);
  const SettingsStore machine(HKEY_LOCAL_MACHINE, id);

  EXPECT_EQ(L"", GetProxy(user, machine));
  ASSERT_EQ(kSuccess, SetProxy(machine, L"machine:8080"));
  EXPECT_EQ(L"machine:8080", GetProxy(user, machine));
  ASSERT_EQ(kSuccess, SetProxy(user, L"user:3128"));
  EXPECT_EQ(L"user:3128", GetProxy(user, machine));
  ASSERT_EQ(kSuccess, SetProxy(user, L""));
  EXPECT_EQ(L"machine:8080", GetProxy(user, machine)) << "the user's value must be gone";
}

}  // namespace
}  // namespace updater
