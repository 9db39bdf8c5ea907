#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>

#include "TestSupport.h"
#include "app/CheckSchedule.h"
#include "config/ClientConfig.h"

namespace updater {
namespace {

using test::ScopedRegistryTree;
using test::SetRegistryDword;
using test::TempFolder;
using test::TextEncoding;
using test::UniqueName;
using test::WriteTextFile;

constexpr std::uint64_t kSecond = 10000000;
constexpr std::uint64_t kDay = 86400 * kSecond;
constexpr std::uint64_t kNow = 132000000000000000;  // a day in 2019

TEST(CheckScheduleTest, DecidesDueFromPolicyFlagAndNextTime) {
  struct Case {
    const char* name;
    ScheduleValues values;
    bool due;
    ResultCode result;
  };
  const Case cases[] = {
      {"no values at all", {}, true, kSuccess},
      {"policy Prompt wins over NoAutoUpdateCheck", {true, 1, true, true, false, 0}, true,
       kSuccess},
      {"policy Disable, next check passed", {true, 0, false, false, true, kNow - kDay}, false,
       kCheckDisabledByPolicy},
      {"NoAutoUpdateCheck without policy", {false, 0, true, true, false, 0}, false, kCheckNotDue},
      {"NoAutoUpdateCheck 0 without policy", {false, 0, true, false, false, 0}, true, kSuccess},
      {"next check one second ahead", {false, 0, false, false, true, kNow + kSecond}, false,
       kCheckNotDue},
      {"next check one second ago", {false, 0, false, false, true, kNow - kSecond}, true,
       kSuccess},
      {"next check now", {false, 0, false, false, true, kNow}, true, kSuccess},
      {"policy AutoAll, next check ahead", {true, 2, false, false, true, kNow + kDay}, false,
       kCheckNotDue},
  };
  for (const Case& c : cases) {
    const CheckDue answer = DecideCheckDue(c.values, kNow);
    EXPECT_EQ(c.due, answer.due) << c.name;
    EXPECT_EQ(c.result, CheckDueResult(answer)) << c.name;
  }
}

TEST(CheckScheduleTest, NextCheckIsDaysAheadWithoutWrappingAround) {
  constexpr std::uint64_t kLatest = std::numeric_limits<std::int64_t>::max();
  struct Case {
    int days;
    std::uint64_t now;
    std::uint64_t next;
  };
  const Case cases[] = {
      {0, kNow, kNow},
      {1, kNow, kNow + kDay},
      {-1, kNow, kNow - kDay},
      {std::numeric_limits<int>::min(), kNow, 0},
      {std::numeric_limits<int>::max(), kNow, kLatest},
      {2, kLatest - kDay, kLatest},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.next, NextCheckTime(c.now, c.days)) << c.days << " days from " << c.now;
  }
}

// A loaded configuration whose settings live under a key removed at the end.
struct ScheduledClient {
  ScheduledClient()
      : id(UniqueName(L"Schedule")),
        registry(L"Software\\Merrow\\Ruddle\\" + id),
        settingsKey(registry.SubKey() + L"\\Settings") {
    WriteTextFile(folder.File(L"client.ini"), L"[General]\r\nID=" + id + L"\r\n",
                  TextEncoding::Utf16);
    config = std::make_unique<ClientConfig>(folder.File(L"client.ini"));
    EXPECT_EQ(kSuccess, config->Load());
  }
  void SetNextCheck(const void* data, DWORD size) const {
    SetRegistryDword(HKEY_CURRENT_USER, settingsKey, L"Placeholder", 0);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_CURRENT_USER, settingsKey.c_str(), 0, KEY_SET_VALUE, &key));
    RegSetValueExW(key, L"NextUpdateCheck", 0, REG_BINARY, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  void SetNextCheck(std::uint64_t time) const { SetNextCheck(&time, sizeof(time)); }
  bool ReadNextCheck(std::uint64_t* time) const {
    DWORD type = REG_NONE;
    DWORD size = sizeof(*time);
    const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, settingsKey.c_str(), L"NextUpdateCheck",
                                        RRF_RT_ANY, &type, time, &size);
    return status == ERROR_SUCCESS && type == REG_BINARY && size == sizeof(*time);
  }

  std::wstring id;
  TempFolder folder;
  ScopedRegistryTree registry;
  std::wstring settingsKey;
  std::unique_ptr<ClientConfig> config;
};

TEST(CheckScheduleTest, ReadsTheStoredValuesOfTheConfiguration) {
  constexpr DWORD kUnset = 0xFFFFFFFF;
  struct Case {
    const char* name;
    DWORD policy;
    DWORD noAutoCheck;
    std::int64_t nextFromNow;  // 0 for no NextUpdateCheck
    ResultCode result;
  };
  const std::int64_t day = kDay;
  const Case cases[] = {
      {"no values at all", kUnset, kUnset, 0, kSuccess},
      {"the policy wins", 1, 1, 0, kSuccess},
      {"policy Disable", 0, kUnset, -day, kCheckDisabledByPolicy},
      {"NoAutoUpdateCheck", kUnset, 1, 0, kCheckNotDue},
      {"next check ahead", kUnset, kUnset, day, kCheckNotDue},
      {"next check passed", kUnset, kUnset, -day, kSuccess},
  };
  for (const Case& c : cases) {
    ScheduledClient client;
    if (c.policy != kUnset) {
      SetRegistryDword(HKEY_CURRENT_USER, client.settingsKey, L"AutoUpdatePolicy", c.policy);
    }
    if (c.noAutoCheck != kUnset) {
      SetRegistryDword(HKEY_CURRENT_USER, client.settingsKey, L"NoAutoUpdateCheck", c.noAutoCheck);
    }
    if (c.nextFromNow != 0) {
      client.SetNextCheck(CurrentFileTime() + static_cast<std::uint64_t>(c.nextFromNow));
    }
    EXPECT_EQ(c.result, CheckDueResult(*client.config)) << c.name;
  }
  ScheduledClient client;
  const DWORD shortValue = 0xFFFFFFFF;
  client.SetNextCheck(&shortValue, sizeof(shortValue));
  EXPECT_EQ(kSuccess, CheckDueResult(*client.config)) << "a value of 4 bytes is no time";
}

TEST(CheckScheduleTest, SchedulesTheNextCheckAsUtcFileTime) {
  ScheduledClient client;
  const std::uint64_t before = CurrentFileTime();
  ScheduleNextCheck(*client.config, 3);
  const std::uint64_t after = CurrentFileTime();
  std::uint64_t next = 0;
  ASSERT_TRUE(client.ReadNextCheck(&next)) << "NextUpdateCheck is not 8 bytes of REG_BINARY";
  EXPECT_GE(next, before + 3 * kDay);
  EXPECT_LE(next, after + 3 * kDay);
  EXPECT_EQ(kCheckNotDue, CheckDueResult(*client.config));

  // A frequency of 0 days makes every start a due check.
  ScheduleNextCheck(*client.config, 0);
  ASSERT_TRUE(client.ReadNextCheck(&next));
  EXPECT_LE(next, CurrentFileTime());
  EXPECT_EQ(kSuccess, CheckDueResult(*client.config));
}

}  // namespace
}  // namespace updater
