#include <gtest/gtest.h>

#include "config/AdminPolicy.h"
#include "e2e/Scenario.h"

namespace updater::test {

TEST(UpdateWindowTest, AScheduledSilentRunOutsideTheAdministratorsWindowEndsBeforeAnyRequest) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const int minute = now.wHour * 60 + now.wMinute;
  for (const bool inside : {true, false}) {
    SCOPED_TRACE(inside ? "inside" : "outside");
    // Hours away from now on both sides, so that neither run comes near an edge of its window.
    const int from = minute + 1440 + (inside ? -120 : 120);
    Scenario s;
    s.Set(L"CheckFrequency", 5);
    s.Publish(s.Section({L"Windowed"}));
    const std::wstring window =
        FormatUpdateWindow({from % 1440, (from + (inside ? 240 : 120)) % 1440});
    SetRegistryString(HKEY_CURRENT_USER, s.PolicyKey(), L"UpdateWindow", window);
    if (inside) {
      EXPECT_EQ(0u, s.InstallAll());
    } else {
      // A scheduled run: the next one, maybe inside the window, is left to check.
      EXPECT_EQ(0xE000003Eu, s.Run(L"/silentall -nogui").exitCode);
      EXPECT_TRUE(Contains(s.Log(), L"Silent installation held back: outside the update window " +
                                        window)) << Narrow(s.Log());
      EXPECT_NE(0, RegGetValueW(HKEY_CURRENT_USER, s.Key(L"Settings").c_str(), L"NextUpdateCheck",
                                RRF_RT_ANY, nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(inside, FileExists(s.Marker(L"Windowed")));
    EXPECT_EQ(inside, !s.Requests().empty());
  }
}

}  // namespace updater::test
