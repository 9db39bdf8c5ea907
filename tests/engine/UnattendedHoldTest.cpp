#include "engine/UnattendedHold.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

constexpr InstallPlan kUnattended{InstallMode::SilentCritical, Preselection::CriticalOnly, true};
constexpr InstallPlan kPersonChooses{InstallMode::Silent, Preselection::None, true};
constexpr int At(int hour, int minute) { return hour * 60 + minute; }

TEST(UnattendedHoldTest, AnUnattendedRunIsHeldOutsideTheWindowWhoseStartMinuteCountsAndEndNot) {
  const UpdateWindow office{At(9, 0), At(17, 30)};
  const UpdateWindow night{At(22, 0), At(6, 0)};
  struct Case { const char* what; InstallPlan plan; std::optional<UpdateWindow> window; int now;
                ResultCode held; };
  const Case cases[] = {
      {"inside", kUnattended, office, At(12, 0), kSuccess},
      {"before", kUnattended, office, At(8, 59), kOutsideUpdateWindow},
      {"after", kUnattended, office, At(18, 0), kOutsideUpdateWindow},
      {"start minute", kUnattended, office, At(9, 0), kSuccess},
      {"end minute", kUnattended, office, At(17, 30), kOutsideUpdateWindow},
      {"across midnight, evening", kUnattended, night, At(23, 59), kSuccess},
      {"across midnight, morning", kUnattended, night, At(0, 0), kSuccess},
      {"across midnight, day", kUnattended, night, At(12, 0), kOutsideUpdateWindow},
      {"across midnight, end minute", kUnattended, night, At(6, 0), kOutsideUpdateWindow},
      {"no window", kUnattended, std::nullopt, At(3, 0), kSuccess},
      {"a person chooses", kPersonChooses, office, At(3, 0), kSuccess},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.held, UpdateWindowHold(c.plan, c.window, c.now)) << c.what;
  }
}

TEST(UnattendedHoldTest, AnUnattendedDownloadWaitsOnAMeteredLinkUnlessAllowedAndAsksOnlyThen) {
  struct Case { InstallPlan plan; int toDownload; bool allowed, metered; ResultCode held;
                bool asked; };
  const Case cases[] = {
      {kUnattended, 1, false, true, kMeteredConnection, true},
      {kUnattended, 1, false, false, kSuccess, true},
      {kUnattended, 1, true, true, kSuccess, false},
      {kUnattended, 0, false, true, kSuccess, false},  // all downloaded already
      {kPersonChooses, 1, false, true, kSuccess, false},
  };
  for (const Case& c : cases) {
    bool asked = false;
    const ResultCode held = MeteredDownloadHold(c.plan, {1, c.toDownload}, c.allowed, [&] {
      asked = true;
      return c.metered;
    });
    const std::string name = std::string(IsUnattended(c.plan) ? "unattended" : "person") + ", " +
                             std::to_string(c.toDownload) + " to download" +
                             (c.allowed ? ", allowed" : "") + (c.metered ? ", metered" : "");
    EXPECT_EQ(c.held, held) << name;
    EXPECT_EQ(c.asked, asked) << name;
  }
}

}  // namespace
}  // namespace updater
