#include "app/UpdateCheck.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(UpdateCheckTest, LocalCopyIsNamedAfterTheFirstUrl) {
  struct Case {
    const wchar_t* folder;
    const wchar_t* url;
    ResultCode result;
    const wchar_t* path;
  };
  const Case cases[] = {
      {L"C:\\Dl", L"https://example.com/app/updates.ini", kSuccess, L"C:\\Dl\\updates.ini"},
      {L"C:\\Dl\\", L"https://example.com/u.ini?channel=beta", kSuccess, L"C:\\Dl\\u.ini"},
      {L"C:\\Dl", L"https://example.com/app/", kInvalidClientConfig, L""},
      {L"C:\\Dl", L"https://example.com/..", kInvalidClientConfig, L""},
      {L"C:\\Dl", L"not a url", kInvalidClientConfig, L""},
  };
  for (const Case& c : cases) {
    std::wstring path;
    EXPECT_EQ(c.result, LocalConfigurationPath(c.folder, c.url, &path)) << test::Narrow(c.url);
    if (c.result == kSuccess) {
      EXPECT_EQ(c.path, path) << test::Narrow(c.url);
    }
  }
}

TEST(UpdateCheckTest, ConditionNeedsALocalCopyAndAStoredTime) {
  SYSTEMTIME when = {2021, 6, 2, 15, 12, 0, 0, 0};
  FILETIME stored;
  ASSERT_TRUE(SystemTimeToFileTime(&when, &stored));
  EXPECT_EQ(2021, ConditionTime(true, true, stored).wYear);
  EXPECT_EQ(15, ConditionTime(true, true, stored).wDay);
  EXPECT_EQ(0, ConditionTime(false, true, stored).wYear) << "no copy to reuse on 304";
  EXPECT_EQ(0, ConditionTime(true, false, stored).wYear);
  EXPECT_EQ(0, ConditionTime(true, true, FILETIME{}).wYear) << "zero is no time";
}

TEST(UpdateCheckTest, ReportDependsOnModeAndReadiness) {
  struct Case {
    RunMode mode;
    AvailabilityCount counts;
    bool installReady;
    int ready;
    ResultCode result;
  };
  const Case cases[] = {
      {RunMode::JustCheck, {0, 0}, false, 0, kUpToDate},
      {RunMode::JustCheck, {2, 0}, false, 0, kSuccess},
      {RunMode::JustCheckCritical, {2, 0}, false, 0, kUpToDate},
      {RunMode::JustCheckCritical, {2, 1}, false, 0, kSuccess},
      {RunMode::JustCheck, {2, 0}, true, 0, kUpToDate},
      {RunMode::JustCheck, {2, 0}, true, 1, kSuccess},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, CheckReport(c.mode, c.counts, c.installReady, c.ready))
        << static_cast<int>(c.mode) << " needed " << c.counts.needed << " critical "
        << c.counts.critical << " ready " << c.ready;
  }
}

TEST(UpdateCheckTest, ReadyAndHandedOverUpdatesAreTheNeededOnes) {
  UpdateList list;
  const auto add = [&list](const wchar_t* name, bool evaluated, std::uint32_t flags) {
    UpdateInfo update;
    update.sectionName = name;
    update.evaluated = evaluated;
    update.flags = flags;
    list.updates.push_back(update);
  };
  add(L"NeededCritical", true, kUpdateCritical);
  add(L"Needed", true, 0);
  add(L"Installed", false, kUpdateCritical);
  const DownloadStateQuery allDownloaded = [](const UpdateInfo&) {
    return DownloadState::Downloaded;
  };
  EXPECT_EQ(2, CountInstallReady(list, false, allDownloaded));
  EXPECT_EQ(1, CountInstallReady(list, true, allDownloaded));
  EXPECT_EQ(0, CountInstallReady(list, false, [](const UpdateInfo&) {
              return DownloadState::ToDownload;
            }));

  list.updates[2].selectedForInstall = true;
  EXPECT_EQ(2, MarkNeededForHandOver(list));
  EXPECT_TRUE(list.updates[0].selectedForInstall);
  EXPECT_TRUE(list.updates[1].selectedForInstall);
  EXPECT_FALSE(list.updates[2].selectedForInstall) << "an update not needed was handed over";
}

}  // namespace
}  // namespace updater
