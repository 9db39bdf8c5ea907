#include "catalogue/Applicability.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

VersionNumber Version(const wchar_t* text) {
  VersionNumber version;
  version.Parse(text);
  return version;
}

TEST(ApplicabilityTest, ParsesApplicationVersionItems) {
  struct Case {
    const wchar_t* text;
    bool valid;
    VersionComparison comparison;
    const wchar_t* version;
  };
  const Case cases[] = {
      {L">= 2.0", true, VersionComparison::AtLeast, L"2.0"},
      {L"<=1.5", true, VersionComparison::AtMost, L"1.5"},
      {L"<1.5.2", true, VersionComparison::Less, L"1.5.2"},
      {L">1.5", true, VersionComparison::Greater, L"1.5"},
      {L" = 3 ", true, VersionComparison::Equal, L"3.0"},
      {L"2.0", false, VersionComparison::Equal, L""},
      {L"=>2.0", false, VersionComparison::Equal, L""},
      {L"~2.0", false, VersionComparison::Equal, L""},
      {L">=", false, VersionComparison::Equal, L""},
      {L">= 2.0 beta", false, VersionComparison::Equal, L""},
      {L">= 1.2.3.4.5", false, VersionComparison::Equal, L""},
      {L">= 70000.1", false, VersionComparison::Equal, L""},
  };
  for (const Case& c : cases) {
    ApplicationVersionItem item;
    item.comparison = VersionComparison::Less;
    item.version = Version(L"9.9.9.9");
    ASSERT_EQ(c.valid, ParseApplicationVersionItem(c.text, &item)) << Narrow(c.text);
    if (!c.valid) {
      EXPECT_EQ(VersionComparison::Less, item.comparison) << Narrow(c.text) << " changed the item";
      continue;
    }
    EXPECT_EQ(c.comparison, item.comparison) << Narrow(c.text);
    EXPECT_EQ(c.version, item.version.ToString()) << Narrow(c.text);
  }
}

TEST(ApplicabilityTest, MatchesApplicationVersionWhenOneValidItemHolds) {
  struct Case {
    std::vector<std::wstring> items;
    const wchar_t* applicationVersion;
    bool matches;
  };
  const Case cases[] = {
      {{}, L"1.0", true},
      {{L">= 2.0"}, L"2.0.0.1", true},
      {{L">= 2.0"}, L"1.9", false},
      {{L"> 2.0"}, L"2.0", false},
      {{L"> 2.0"}, L"2.0.0.1", true},
      {{L"< 2.0"}, L"1.9.9", true},
      {{L"< 2.0"}, L"2.0", false},
      {{L"<= 2.0"}, L"2.0", true},
      {{L"<= 2.0"}, L"2.0.1", false},
      {{L"= 2.0"}, L"2.0.0.0", true},
      {{L"= 2.0"}, L"2.0.1", false},
      // An item without operator is ignored, so with only such items nothing matches.
      {{L"2.0"}, L"2.0", false},
      {{L"2.0", L"< 3"}, L"2.0", true},
      // An unreadable application version compares as 0.0.0.0.
      {{L">= 2.0"}, L"", false},
      {{L"<= 1.0"}, L"", true},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.updatedApplicationVersions = c.items;
    const std::wstring items = c.items.empty() ? L"(none)" : c.items.front();
    EXPECT_EQ(c.matches, MatchesApplicationVersion(update, c.applicationVersion))
        << Narrow(items) << " with " << Narrow(c.applicationVersion);
  }
}

TEST(ApplicabilityTest, MatchesApplicationByNameAndInterval) {
  struct Case {
    std::vector<std::wstring> items;
    const wchar_t* name;
    const wchar_t* version;
    bool matches;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    UpdateInfo update;
    update.updatedApplications = c.items;
    const std::wstring items = c.items.empty() ? L"(none)" : c.items.back();
    EXPECT_EQ(c.matches, MatchesApplication(update, c.name, c.version))
        << Narrow(items) << " with " << Narrow(c.name) << " " << Narrow(c.version);
  }
}

TEST(ApplicabilityTest, ChecksOsVersionBoundsWhenGiven) {
  const OsVersionValues windows11 = {10, 0, L"6.3", L"22000", L"co_release"};
  const OsVersionValues windows10 = {10, 0, L"6.3", L"19045", L"vb_release"};
  const OsVersionValues windows7 = {0, 0, L"6.1", L"7601", L""};
  struct Case {
    const char* what;
    const OsVersionValues& os;
    const wchar_t* min;
    const wchar_t* max;
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
