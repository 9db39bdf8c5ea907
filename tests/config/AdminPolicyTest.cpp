#include "config/AdminPolicy.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/CheckSchedule.h"
#include "config/ClientConfig.h"

namespace updater {
namespace {

PolicyRegistryValue Number(DWORD number) { return {true, REG_DWORD, number, L"", false}; }
PolicyRegistryValue Text(const wchar_t* text) { return {true, REG_SZ, 0, text, false}; }

enum Index { kDisable, kPolicy, kFrequency, kTarget, kWindow, kMetered };

// One value set under one root (or under both), and what the policy then holds.
TEST(AdminPolicyTest, TakesEachValueOfItsTypeAndRangeAndIgnoresTheRest) {
  struct Case {
    Index index;
    PolicyRegistryValue machine, user;
    const char* expected;  // the decided policy, as Describe prints it
    size_t problems;
  };
  const PolicyRegistryValue none;
  const PolicyRegistryValue tooLong{true, REG_SZ, 0, L"", true};
  const Case cases[] = {
      {kDisable, Number(1), none, "disable", 0},
      {kDisable, Number(0), Number(1), "-", 0},  // the machine's 0 wins
      {kDisable, Number(2), Number(1), "disable", 1},
      {kDisable, Text(L"1"), none, "-", 1},
      {kPolicy, Number(3), Number(1), "policy=3", 0},
      {kPolicy, Number(4), Number(1), "policy=1", 1},
      {kPolicy, none, Number(0), "policy=0", 0},
      {kFrequency, Number(0), none, "frequency=0", 0},
      {kFrequency, Number(9999), none, "frequency=9999", 0},
      {kFrequency, Number(10000), none, "-", 1},
      {kFrequency, Text(L"7"), Text(L"7"), "-", 2},
      {kTarget, Text(L" 2.5 "), Text(L"3.0"), "target=2.5", 0},
      {kTarget, Text(L"  "), Text(L"3.0"), "target=3.0", 1},
      {kTarget, Number(2), none, "-", 1},
      {kTarget, tooLong, none, "-", 1},
      {kWindow, Text(L"22:00-06:00"), none, "window=22:00-06:00", 0},
      {kWindow, Text(L"02:00 - 04:30"), none, "window=02:00-04:30", 0},
      {kWindow, Text(L"2:00-4:00"), Text(L"01:00-02:00"), "window=01:00-02:00", 1},
      {kMetered, Number(1), none, "metered", 0},
      {kMetered, Number(0), Number(1), "-", 0},
      {kMetered, {true, REG_BINARY, 0, L"", false}, none, "-", 1},
  };
  for (const Case& c : cases) {
    PolicyValues machine;
    PolicyValues user;
    machine[c.index] = c.machine;
    user[c.index] = c.user;
    const AdminPolicy policy = DecideAdminPolicy(machine, user);
    std::string described;
    if (policy.disableUpdates) described += "disable";
    if (policy.autoUpdatePolicy) described += "policy=" + std::to_string(*policy.autoUpdatePolicy);
    if (policy.checkFrequency) described += "frequency=" + std::to_string(*policy.checkFrequency);
    if (!policy.targetVersion.empty()) described += "target=" + test::Narrow(policy.targetVersion);
    if (policy.updateWindow) {
      described += "window=" + test::Narrow(FormatUpdateWindow(*policy.updateWindow));
    }
    if (policy.allowMeteredDownloads) described += "metered";
    if (described.empty()) described = "-";
    const std::string name = test::Narrow(kPolicyValueNames[c.index]);
    EXPECT_EQ(c.expected, described) << name;
    EXPECT_EQ(c.problems, policy.problems.size()) << name;
  }
}

TEST(AdminPolicyTest, WindowsParseAndMayCrossMidnight) {
  const struct { const wchar_t* text; bool parses; int inside[2]; int outside[2]; } cases[] = {
      {L"02:00-04:00", true, {120, 239}, {240, 119}},
      {L"22:30-06:00", true, {1350, 0}, {360, 1349}},
      {L"00:00-23:59", true, {0, 1438}, {1439, 1439}},
      {L"23:59-00:00", true, {1439, 1439}, {0, 1438}},
      {L"04:00-04:00", false, {}, {}}, {L"24:00-01:00", false, {}, {}},
      {L"01:60-02:00", false, {}, {}}, {L"0100-0200", false, {}, {}},
      {L"01:00", false, {}, {}},       {L"01:00-02:00-03:00", false, {}, {}},
      {L"", false, {}, {}},            {L"ab:cd-ef:gh", false, {}, {}},
      {L"0\u00B9:00-02:00", false, {}, {}},  // a superscript is no digit
  };
  for (const auto& c : cases) {
    UpdateWindowHours window;
    ASSERT_EQ(c.parses, ParseUpdateWindow(c.text, &window)) << test::Narrow(c.text);
    if (!c.parses) continue;
    for (const int minute : c.inside) EXPECT_TRUE(IsInsideWindow(window, minute)) << minute;
    for (const int minute : c.outside) EXPECT_FALSE(IsInsideWindow(window, minute)) << minute;
  }
}

TEST(AdminPolicyTest, ThePolicyWinsOverTheUserAndTheFile) {
  const test::ClientConfigFile file(L"Policy");
  const std::wstring settings = file.Key(L"Settings");
  test::SetRegistryDword(HKEY_CURRENT_USER, settings, L"CheckFrequency", 5);
  test::SetRegistryDword(HKEY_CURRENT_USER, settings, L"AutoUpdatePolicy", 1);
  const ClientConfig unmanaged = file.Load(L"CheckFrequency=3");
  EXPECT_EQ(5, unmanaged.CheckFrequency());
  EXPECT_EQ(1u, unmanaged.AutoUpdatePolicy().value_or(99));

  test::SetRegistryDword(HKEY_CURRENT_USER, file.PolicyKey(), L"CheckFrequency", 7);
  test::SetRegistryDword(HKEY_LOCAL_MACHINE, file.PolicyKey(), L"AutoUpdatePolicy", 2);
  test::SetRegistryDword(HKEY_CURRENT_USER, file.PolicyKey(), L"AutoUpdatePolicy", 3);
  test::SetRegistryString(HKEY_LOCAL_MACHINE, file.PolicyKey(), L"UpdateWindow", L"late");
  test::SetRegistryString(HKEY_CURRENT_USER, file.PolicyKey(), L"TargetVersion", L"1.0");
  const ClientConfig managed = file.Load(L"CheckFrequency=3");
  EXPECT_EQ(7, managed.CheckFrequency());
  EXPECT_EQ(2u, managed.AutoUpdatePolicy().value_or(99));
  EXPECT_EQ(L"1.0", managed.Policy().targetVersion);
  ASSERT_EQ(1u, managed.Policy().problems.size());
  EXPECT_EQ(L"Ignored the policy value UpdateWindow under HKEY_LOCAL_MACHINE: not a window HH:MM-HH:MM",
            managed.Policy().problems[0]);
  // A period of 0 days means no automatic checks, whatever policy is in force.
  EXPECT_EQ(kSuccess, CheckDueResult(managed));
  test::SetRegistryDword(HKEY_LOCAL_MACHINE, file.PolicyKey(), L"CheckFrequency", 0);
  EXPECT_EQ(kCheckDisabledByPolicy, CheckDueResult(file.Load(L"CheckFrequency=3")));
  // The service has no user: only the machine's policy counts.
  const ClientConfig service = file.Load(L"CheckFrequency=3", HKEY_LOCAL_MACHINE);
  EXPECT_EQ(0, service.CheckFrequency());
  EXPECT_EQ(L"", service.Policy().targetVersion);
}

}  // namespace
}  // namespace updater
