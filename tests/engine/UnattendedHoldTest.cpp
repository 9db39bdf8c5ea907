#include "engine/UnattendedHold.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

constexpr InstallPlan kUnattended{InstallMode::SilentCritical, Preselection::CriticalOnly, true};
constexpr InstallPlan kPersonChooses{InstallMode::Silent, Preselection::None, true};

TEST(UnattendedHoldTest, OnlyAnUnattendedRunOutsideTheWindowIsHeld) {
  // Which minutes are inside a window, across midnight too, is AdminPolicyTest's.
  const UpdateWindowHours office{9 * 60, 17 * 60 + 30};
  struct Case { const char* what; InstallPlan plan; std::optional<UpdateWindowHours> window;
                int now; ResultCode held; };
  const Case cases[] = {
      {"before", kUnattended, office, 8 * 60 + 59, kOutsideUpdateWindow},
      {"start minute", kUnattended, office, 9 * 60, kSuccess},
      {"no window", kUnattended, std::nullopt, 3 * 60, kSuccess},
      {"a person chooses", kPersonChooses, office, 3 * 60, kSuccess},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.held, UpdateWindowHold(c.plan, c.window, c.now)) << c.what;
  }
}

TEST(UnattendedHoldTest, AnUnattendedDownloadWaitsOnAMeteredLinkUnlessAllowedAndAsksOnlyThen) {
  struct Case { const char* what; InstallPlan plan; int toDownload; bool allowed, metered;
                ResultCode held; bool asked; };
  const Case cases[] = {
      {"metered", kUnattended, 1, false, true, kMeteredConnection, true},
      {"not metered", kUnattended, 1, false, false, kSuccess, true},
      {"allowed", kUnattended, 1, true, true, kSuccess, false},
      {"all downloaded", kUnattended, 0, false, true, kSuccess, false},
      {"a person chooses", kPersonChooses, 1, false, true, kSuccess, false},
  };
  for (const Case& c : cases) {
    bool asked = false;
    EXPECT_EQ(c.held, MeteredDownloadHold(c.plan, {1, c.toDownload}, c.allowed,
                                          [&] { asked = true; return c.metered; })) << c.what;
    EXPECT_EQ(c.asked, asked) << c.what;
  }
}

}  // namespace
}  // namespace updater
