#include "catalogue/OsFacts.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(OsFactsTest, ComputesVersionFromRegistryValues) {
  struct Case {
    const char* what;
    OsVersionValues values;
    int major, minor, build;
  };
  const Case cases[] = {
      {"Windows 10 numbers", {10, 0, L"6.3", L"19045", L"vb_release"}, 10, 0, 19045},
      {"Windows 11 co_release", {10, 0, L"6.3", L"22000", L"co_release"}, 11, 0, 22000},
      {"other branch stays 10", {10, 0, L"6.3", L"22000", L"vb_release"}, 10, 0, 22000},
      {"rs_prerelease in any case", {10, 0, L"6.3", L"25000", L"RS_PreRelease"}, 11, 0, 25000},
      {"build 21999 stays 10", {10, 0, L"6.3", L"21999", L"co_release"}, 10, 0, 21999},
      {"branch only counts on 10", {6, 3, L"6.3", L"22000", L"co_release"}, 6, 3, 22000},
      {"older system: text gives both", {0, 5, L"6.1", L"7601", L""}, 6, 1, 7601},
      {"text of other length ignored", {0, 2, L"10.0", L"7601", L""}, 0, 2, 7601},
      {"text without digits ignored", {0, 0, L"a.b", L"7601", L""}, 0, 0, 7601},
      {"build with suffix", {10, 0, L"", L"19041 ", L""}, 10, 0, 19041},
      {"nothing readable", {0, 0, L"", L"", L""}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const OsFacts facts = ComputeOsFacts(c.values, true);
    EXPECT_EQ(c.major, facts.major) << c.what;
    EXPECT_EQ(c.minor, facts.minor) << c.what;
    EXPECT_EQ(c.build, facts.build) << c.what;
    EXPECT_TRUE(facts.is64Bit) << c.what;
  }
  const VersionNumber version = ComputeOsFacts(cases[1].values, false).Version();
  EXPECT_EQ(L"11.0.22000", version.ToString());
}

TEST(OsFactsTest, MatchesWhatTheSystemReportsAndIsReadOnce) {
  // RtlGetVersion is not subject to the compatibility shims that GetVersionEx applies.
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(nullptr, rtlGetVersion);
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_EQ(0, rtlGetVersion(&info));

  const OsFacts& facts = CurrentOsFacts();
  EXPECT_EQ(&facts, &CurrentOsFacts());
  EXPECT_EQ(static_cast<int>(info.dwBuildNumber), facts.build);
  EXPECT_EQ(static_cast<int>(info.dwMinorVersion), facts.minor);
  if (facts.major != 11) {
    EXPECT_EQ(static_cast<int>(info.dwMajorVersion), facts.major);
  }
  wchar_t wow64Folder[MAX_PATH];
  EXPECT_EQ(GetSystemWow64DirectoryW(wow64Folder, MAX_PATH) != 0, facts.is64Bit);
}

}  // namespace
}  // namespace updater
