#include <gtest/gtest.h>

#include "config/AdminPolicy.h"
#include "e2e/Scenario.h"

namespace updater::test {

// Which runs a window holds, at which minutes, is UnattendedHoldTest's and AdminPolicyTest's.
TEST(UpdateWindowTest, AScheduledSilentRunOutsideTheAdministratorsWindowEndsBeforeAnyRequest) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  // Two hours from now to four hours from now, so that the run comes near no edge of it.
  const int from = now.wHour * 60 + now.wMinute + 120;
  Scenario s;
  s.Set(L"CheckFrequency", 5);
  s.Publish(s.Section({L"Windowed"}));
  const std::wstring window = FormatUpdateWindow({from % 1440, (from + 120) % 1440});
  SetRegistryString(HKEY_CURRENT_USER, s.PolicyKey(), L"UpdateWindow", window);
  // A scheduled run: the next one, maybe inside the window, is left to check.
  EXPECT_EQ(0xE000003Eu, s.Run(L"/silentall -nogui").exitCode);
  EXPECT_TRUE(Contains(s.Log(), L"Silent installation held back: outside the update window " +
                                    window)) << Narrow(s.Log());
  EXPECT_NE(0, RegGetValueW(HKEY_CURRENT_USER, s.Key(L"Settings").c_str(), L"NextUpdateCheck",
                            RRF_RT_ANY, nullptr, nullptr, nullptr));
  EXPECT_FALSE(FileExists(s.Marker(L"Windowed")));
  EXPECT_TRUE(s.Requests().empty());
}

}  // namespace updater::test
