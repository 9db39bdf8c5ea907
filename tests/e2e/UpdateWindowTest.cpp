#include <gtest/gtest.h>

#include "e2e/Scenario.h"

namespace updater::test {

// "HH:MM" of a minute of the day, wrapped around midnight.
std::wstring Clock(int minute) {
  minute = (minute % 1440 + 1440) % 1440;
  wchar_t text[8];
  swprintf(text, 8, L"%02d:%02d", minute / 60, minute % 60);
  return text;
}

TEST(UpdateWindowTest, AScheduledSilentRunOutsideTheAdministratorsWindowEndsBeforeAnyRequest) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const int minute = now.wHour * 60 + now.wMinute;
  // Hours away from now on both sides, so that no row runs near an edge of its window.
  struct Case { const char* what; int from, to; bool inside; };
  const Case cases[] = {
      {"inside", -120, 120, true},
      {"outside", 120, 240, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    s.Set(L"CheckFrequency", 5);
    s.Publish(s.Section({L"Windowed"}));
    const std::wstring window = Clock(minute + c.from) + L"-" + Clock(minute + c.to);
    SetRegistryString(HKEY_CURRENT_USER, s.PolicyKey(), L"UpdateWindow", window);
    if (c.inside) {
      EXPECT_EQ(0u, s.InstallAll());
    } else {
      // A scheduled run: the next one, maybe inside the window, is left to check.
      EXPECT_EQ(0xE000003Eu, s.Run(L"/silentall -nogui").exitCode);
      EXPECT_TRUE(Contains(s.Log(), L"Silent installation held back: outside the update window " +
                                        window)) << Narrow(s.Log());
      EXPECT_NE(0, RegGetValueW(HKEY_CURRENT_USER, s.Key(L"Settings").c_str(), L"NextUpdateCheck",
                                RRF_RT_ANY, nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(c.inside, FileExists(s.Marker(L"Windowed")));
    EXPECT_EQ(c.inside, !s.Requests().empty());
  }
}

}  // namespace updater::test
