#include "config/CheckSchedule.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "TestSupport.h"

namespace updater {
namespace {

constexpr std::uint64_t kSecond = 10000000;
constexpr std::uint64_t kDay = 86400 * kSecond;
constexpr std::uint64_t kNow = 132000000000000000;  // a day in 2019

TEST(CheckScheduleTest, DecidesDueFromPolicyFlagAndNextTime) {
  struct Case {
    const char* name;
    ScheduleValues values;
    ResultCode result;
  };
  const Case cases[] = {
      {"no values at all", {}, kSuccess},
      {"policy Prompt wins over NoAutoUpdateCheck", {true, 1, true, true, false, 0}, kSuccess},
      {"policy Disable", {true, 0, false, false, true, kNow - kDay}, kCheckDisabledByPolicy},
      {"NoAutoUpdateCheck", {false, 0, true, true, false, 0}, kCheckNotDue},
      {"NoAutoUpdateCheck 0", {false, 0, true, false, false, 0}, kSuccess},
      {"next check a second ahead", {false, 0, false, false, true, kNow + kSecond}, kCheckNotDue},
      {"next check now", {false, 0, false, false, true, kNow}, kSuccess},
      {"policy AutoAll, next check ahead", {true, 2, false, false, true, kNow + 1}, kCheckNotDue},
  };
  for (const Case& c : cases) {
    const CheckDue answer = DecideCheckDue(c.values, kNow);
    EXPECT_EQ(c.result == kSuccess, answer.due) << c.name;
    EXPECT_EQ(c.result, CheckDueResult(answer)) << c.name;
  }
}

TEST(CheckScheduleTest, NextCheckIsDaysAheadWithoutWrappingAround) {
  constexpr std::uint64_t kLatest = std::numeric_limits<std::int64_t>::max();
  const std::tuple<int, std::uint64_t, std::uint64_t> cases[] = {
      {1, kNow, kNow + kDay}, {-1, kNow, kNow - kDay}, {std::numeric_limits<int>::min(), kNow, 0},
      {std::numeric_limits<int>::max(), kNow, kLatest}, {2, kLatest - kDay, kLatest}};
  for (const auto& [days, now, next] : cases) {
    EXPECT_EQ(next, NextCheckTime(now, days)) << days << " days from " << now;
  }
}

TEST(CheckScheduleTest, AutomaticChecksSpreadOverATenthOfThePeriodAtMostADay) {
  constexpr std::uint32_t kHighest = 0xFFFFFFFFu;
  // days, random -> seconds of delay
  const std::tuple<int, std::uint32_t, std::uint64_t> cases[] = {
      {0, kHighest, 0},         {-3, kHighest, 0},          {1, 0, 0},
      {1, 0x80000000u, 4320},   {1, kHighest, 8639},        {10, 0x80000000u, 43200},
      {10, kHighest, 86399},    {30, kHighest, 86399},      {30, 0x80000000u, 43200},
      {std::numeric_limits<int>::max(), kHighest, 86399},
  };
  for (const auto& [days, random, seconds] : cases) {
    EXPECT_EQ(seconds * kSecond, CheckSpread(days, random)) << days << " days, random " << random;
  }
}

TEST(CheckScheduleTest, ReadsThePolicyAndTheFlagFromTheSettings) {
  const std::tuple<const wchar_t*, DWORD, ResultCode> cases[] = {
      {L"AutoUpdatePolicy", 0, kCheckDisabledByPolicy}, {L"NoAutoUpdateCheck", 0, kSuccess},
      {L"NoAutoUpdateCheck", 1, kCheckNotDue}};
  for (const auto& [name, value, result] : cases) {
    const test::ScopedClientConfig client(L"Schedule");
    client.Config().Settings().WriteDword(SettingsKey::Settings, name, value);
    ScheduleNextCheck(client.Config(), -1);
    EXPECT_EQ(result, CheckDueResult(client.Config())) << test::Narrow(name) << " " << value;
  }
}

}  // namespace
}  // namespace updater
