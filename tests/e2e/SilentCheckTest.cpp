#include <gtest/gtest.h>

#include <cstdint>

#include "TestSupport.h"
#include "e2e/CheckSetup.h"

namespace updater::test {
namespace {

constexpr std::uint64_t kDay = 86400ull * 10000000ull;
constexpr std::uint64_t kMinute = 60ull * 10000000ull;

std::uint64_t Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

void SetNextCheck(const CheckSetup& setup, std::uint64_t time) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, setup.SettingsKey().c_str(),
                                           L"NextUpdateCheck", REG_BINARY, &time, sizeof(time)));
}

// False when the value is missing.
bool NextCheck(const CheckSetup& setup, std::uint64_t* time) {
  DWORD size = sizeof(*time);
  return RegGetValueW(HKEY_CURRENT_USER, setup.SettingsKey().c_str(), L"NextUpdateCheck",
                      RRF_RT_REG_BINARY, nullptr, time, &size) == ERROR_SUCCESS &&
         size == sizeof(*time);
}

TEST(SilentCheckTest, CheckThatIsNotDueEndsBeforeAnyServerIsAsked) {
  struct Case {
    const char* what;
    bool policyOff;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"next check lies a day ahead", false, 0xE000001A},
      {"automatic checks disabled by policy", true, 0xE0000019},
  };
  for (const Case& c : cases) {
    CheckSetup setup;
    ASSERT_TRUE(setup.ServersAvailable());
    setup.Publish(setup.Update(L"Needed", false, false));
    if (c.policyOff) {
      // The policy wins even over a next check that has passed.
      SetRegistryDword(HKEY_CURRENT_USER, setup.SettingsKey(), L"AutoUpdatePolicy", 0);
      SetNextCheck(setup, Now() - kDay);
    } else {
      SetNextCheck(setup, Now() + kDay);
    }
    const RunOutcome outcome = setup.Updater().Run(L"/silentall");
    EXPECT_EQ(c.exitCode, outcome.exitCode) << c.what;
    EXPECT_TRUE(setup.ServerRequests().empty()) << c.what << ": the server was asked";
  }
}

TEST(SilentCheckTest, NoFrequencyCheckChecksWhenNotDue) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  setup.Publish(setup.Update(L"Present", false, true));
  const std::uint64_t ahead = Now() + kDay;
  SetNextCheck(setup, ahead);
  EXPECT_EQ(0xE0000011u, setup.Updater().Run(L"/silentall -nofreqcheck").exitCode);
  EXPECT_EQ(1u, setup.ServerRequests().size());
  std::uint64_t next = 0;
  ASSERT_TRUE(NextCheck(setup, &next));
  EXPECT_EQ(ahead, next) << "-nofreqcheck must leave the schedule alone";
}

TEST(SilentCheckTest, UpToDateRunSchedulesTheNextCheckAndAFailedOneDoesNot) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  SetRegistryDword(HKEY_CURRENT_USER, setup.SettingsKey(), L"CheckFrequency", 5);

  // Nothing served yet: the fetch fails with 404.
  EXPECT_EQ(0xE0000018u, setup.Updater().Run(L"/silent").exitCode);
  std::uint64_t next = 0;
  EXPECT_FALSE(NextCheck(setup, &next)) << "a failed check moved the schedule";

  setup.Publish(setup.Update(L"Present", false, true));
  const std::uint64_t before = Now();
  EXPECT_EQ(0xE0000011u, setup.Updater().Run(L"/silent").exitCode);
  const std::uint64_t after = Now();
  ASSERT_TRUE(NextCheck(setup, &next));
  EXPECT_GE(next + kMinute, before + 5 * kDay);
  EXPECT_LE(next, after + 5 * kDay + kMinute);
}

}  // namespace
}  // namespace updater::test
