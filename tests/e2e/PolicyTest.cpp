#include <windows.h>
#include <gtest/gtest.h>

#include "e2e/Scenario.h"

namespace updater::test {

// The administrator's policy, under either root, over what the user and the publisher set: a
// value of its own type decides, one of another type is ignored with a log line.
TEST(PolicyTest, TheAdministratorDecidesBeforeAnyRequest) {
  struct Case {
    HKEY root;
    const wchar_t* name;
    const wchar_t* text;  // a REG_SZ value; null: the DWORD 1
    const wchar_t* arguments;
    DWORD exitCode;
    size_t requests;
    const wchar_t* logged;
  };
  const Case cases[] = {
      {HKEY_LOCAL_MACHINE, L"DisableUpdates", nullptr, L"/justcheck", 0xE000003B, 0,
       L"Updates are turned off by the administrator's policy (DisableUpdates); no request made"},
      {HKEY_CURRENT_USER, L"DisableUpdates", nullptr, L"/checknow -minuseractions",
       0xE000003B, 0, L"(DisableUpdates)"},
      {HKEY_LOCAL_MACHINE, L"DisableUpdates", L"1", L"/justcheck", 0, 1,
       L"Ignored the policy value DisableUpdates under HKEY_LOCAL_MACHINE: not a number (REG_DWORD)"},
      {HKEY_CURRENT_USER, L"TargetVersion", L"2.5", L"/justcheck", 0xE0000011, 1,
       L"Updates held back by the administrator's TargetVersion 2.5: 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.name) + " " + Narrow(c.arguments));
    Scenario s;
    s.Publish(s.Section({L"Newer", L"Version=3.0\r\n"}));
    if (c.text != nullptr) {
      SetRegistryString(c.root, s.PolicyKey(), c.name, c.text);
    } else {
      SetRegistryDword(c.root, s.PolicyKey(), c.name, 1);
    }
    EXPECT_EQ(c.exitCode, s.Run(c.arguments).exitCode) << Narrow(s.Log());
    EXPECT_EQ(c.requests, s.Requests().size());
    EXPECT_TRUE(Contains(s.Log(), c.logged)) << Narrow(s.Log());
  }
}

TEST(PolicyTest, SetCannotChangeWhatThePolicyFixes) {
  Scenario s;
  SetRegistryDword(HKEY_LOCAL_MACHINE, s.PolicyKey(), L"AutoUpdatePolicy", 1);
  EXPECT_EQ(0xE000003Cu, s.Run(L"/set autoupdatepolicy AutoAll").exitCode);
  DWORD stored = 0;
  EXPECT_FALSE(GetRegistryDword(HKEY_CURRENT_USER, s.Key(L"Settings"), L"AutoUpdatePolicy", &stored));
  // What the policy does not fix is still the user's.
  EXPECT_EQ(0u, s.Run(L"/set retryattempts 2").exitCode);
}

}  // namespace updater::test
