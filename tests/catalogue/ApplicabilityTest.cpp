#include "catalogue/Applicability.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

TEST(ApplicabilityTest, ParsesApplicationVersionItems) {
  using C = VersionComparison;
  const std::tuple<const wchar_t*, C, const wchar_t*> valid[] = {
      {L">= 2.0", C::AtLeast, L"2.0"}, {L"<=1.5", C::AtMost, L"1.5"},
      {L"<1.5.2", C::Less, L"1.5.2"},
      {L">1.5", C::Greater, L"1.5"}, {L" = 3 ", C::Equal, L"3.0"},
  };
  for (const auto& [text, comparison, version] : valid) {
    ApplicationVersionItem item;
    ASSERT_TRUE(ParseApplicationVersionItem(text, &item)) << Narrow(text);
    EXPECT_EQ(comparison, item.comparison) << Narrow(text);
    EXPECT_EQ(version, item.version.ToString()) << Narrow(text);
  }
  for (const wchar_t* text :
       {L"2.0", L"=>2.0", L"~2.0", L">=", L">= 2.0 beta", L">= 1.2.3.4.5", L">= 70000.1"}) {
    ApplicationVersionItem item;
    item.comparison = VersionComparison::Less;
    EXPECT_FALSE(ParseApplicationVersionItem(text, &item)) << Narrow(text);
    EXPECT_EQ(VersionComparison::Less, item.comparison) << Narrow(text) << " changed the item";
  }
}

TEST(ApplicabilityTest, MatchesApplicationVersionWhenOneValidItemHolds) {
  const std::tuple<std::vector<std::wstring>, const wchar_t*, bool> cases[] = {
      {{}, L"1.0", true},
      {{L">= 2.0"}, L"2.0.0.1", true}, {{L">= 2.0"}, L"1.9", false},
      {{L"> 2.0"}, L"2.0", false},     {{L"> 2.0"}, L"2.0.0.1", true},
      {{L"< 2.0"}, L"1.9.9", true},    {{L"< 2.0"}, L"2.0", false},
      {{L"<= 2.0"}, L"2.0", true},     {{L"<= 2.0"}, L"2.0.1", false},
      {{L"= 2.0"}, L"2.0.0.0", true},  {{L"= 2.0"}, L"2.0.1", false},
      // An item without operator is ignored, so with only such items nothing matches.
      {{L"2.0"}, L"2.0", false},       {{L"2.0", L"< 3"}, L"2.0", true},
      // An unreadable application version compares as 0.0.0.0.
      {{L">= 2.0"}, L"", false},       {{L"<= 1.0"}, L"", true},
  };
  for (const auto& [items, applicationVersion, matches] : cases) {
    UpdateInfo update;
    update.updatedApplicationVersions = items;
    EXPECT_EQ(matches, MatchesApplicationVersion(update, applicationVersion))
        << Narrow(items.empty() ? L"(none)" : items.front()) << " with "
        << Narrow(applicationVersion);
  }
}

TEST(ApplicabilityTest, MatchesApplicationByNameAndInterval) {
  const std::tuple<std::vector<std::wstring>, const wchar_t*, const wchar_t*, bool> cases[] = {
      {{}, L"Viewer", L"1.0", true},
      {{L"Viewer[1.0-2.0)"}, L"Viewer", L"2.0", false},
      {{L"Viewer[1.0-2.0)"}, L"Viewer", L"1.9.9", true},
      {{L"Viewer[1.0-2.0]"}, L"Viewer", L"2.0", true},
      {{L"Viewer(1.0-2.0]"}, L"Viewer", L"1.0", false},
      {{L"Viewer(1.0-2.0]"}, L"Viewer", L"1.0.0.1", true},
      {{L"Viewer[1.0-2.0]"}, L"Viewer", L"0.9", false},
      {{L"Viewer[3.1]"}, L"Viewer", L"3.1", true},
      {{L"Viewer[3.1]"}, L"Viewer", L"3.1.0.1", false},
      {{L" Viewer (x64) [ 1.0 - 2.0 ] "}, L"Viewer (x64)", L"1.5", true},
      {{L"Editor[1.0-2.0]"}, L"Viewer", L"1.5", false},
      {{L"viewer[1.0-2.0]"}, L"Viewer", L"1.5", false},
      {{L"Editor[1.0-2.0]"}, L"", L"1.5", true},
      {{L"Editor[1.0-2.0]", L"Viewer[1.0-2.0]"}, L"Viewer", L"1.5", true},
      // Items that cannot be read make the update apply.
      {{L"Viewer"}, L"Other", L"9.0", true},
      {{L"Editor[1.0-2.0]", L"Viewer 1.0"}, L"Viewer", L"1.5", true},
      {{L"Viewer[1.0-x]"}, L"Other", L"9.0", true},
      {{L"Viewer[-2.0]"}, L"Other", L"9.0", true},
      {{L"Viewer[1.0-2.0] beta"}, L"Other", L"9.0", true},
      {{L"Viewer[]"}, L"Other", L"9.0", true},
  };
  for (const auto& [items, name, version, matches] : cases) {
    UpdateInfo update;
    update.updatedApplications = items;
    EXPECT_EQ(matches, MatchesApplication(update, name, version))
        << Narrow(items.empty() ? L"(none)" : items.back()) << " with " << Narrow(name) << " "
        << Narrow(version);
  }
}

TEST(ApplicabilityTest, ChecksOsVersionBoundsWhenGiven) {
  const OsVersionValues windows11 = {10, 0, L"6.3", L"22000", L"co_release"};
  const OsVersionValues windows10 = {10, 0, L"6.3", L"19045", L"vb_release"};
  const OsVersionValues windows7 = {0, 0, L"6.1", L"7601", L""};
  struct Case {
    const char* what;
    const OsVersionValues& os;
    const wchar_t *min, *max;
    bool inRange;
  };
  const Case cases[] = {
      {"no bounds", windows7, L"", L"", true},
      {"11.0 minimum on build 22000 co_release", windows11, L"11.0", L"", true},
      {"11.0 minimum on Windows 10", windows10, L"11.0", L"", false},
      {"maximum 6.1 is below 6.1.7601", windows7, L"", L"6.1", false},
      {"maximum equal to the build", windows7, L"", L"6.1.7601", true},
      {"between the bounds", windows10, L"6.1", L"10.0.19045", true},
      {"above the maximum", windows11, L"6.1", L"10.0.19045", false},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.targetOsMinVersion.Parse(c.min);
    update.targetOsMaxVersion.Parse(c.max);
    EXPECT_EQ(c.inRange, IsOsVersionInRange(update, ComputeOsFacts(c.os, false))) << c.what;
  }
}

}  // namespace
}  // namespace updater
