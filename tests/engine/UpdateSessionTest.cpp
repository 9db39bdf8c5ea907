#include "engine/UpdateSession.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/RunContext.h"
#include "engine/ConfigurationFetch.h"

namespace updater {
namespace {

TEST(UpdateSessionTest, LocalCopyIsNamedAfterTheFirstUrl) {
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

TEST(UpdateSessionTest, ConditionNeedsALocalCopyAndAStoredTime) {
  SYSTEMTIME when = {2021, 6, 2, 15, 12, 0, 0, 0};
  FILETIME stored;
  ASSERT_TRUE(SystemTimeToFileTime(&when, &stored));
  EXPECT_EQ(2021, ConditionTime(true, true, stored).wYear);
  EXPECT_EQ(15, ConditionTime(true, true, stored).wDay);
  EXPECT_EQ(0, ConditionTime(false, true, stored).wYear) << "no copy to reuse on 304";
  EXPECT_EQ(0, ConditionTime(true, false, stored).wYear);
  EXPECT_EQ(0, ConditionTime(true, true, FILETIME{}).wYear) << "zero is no time";
}

TEST(UpdateSessionTest, ReportDependsOnModeAndReadiness) {
  struct Case {
    bool criticalOnly;
    AvailabilityCount counts;
    bool installReady;
    int ready;
    ResultCode result;
  };
  const Case cases[] = {
      {false, {0, 0}, false, 0, kUpToDate},
      {false, {2, 0}, false, 0, kSuccess},
      {true, {2, 0}, false, 0, kUpToDate},
      {true, {2, 1}, false, 0, kSuccess},
      {false, {2, 0}, true, 0, kUpToDate},
      {false, {2, 0}, true, 1, kSuccess},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, CheckReport(c.criticalOnly, c.counts, c.installReady, c.ready))
        << c.criticalOnly << " needed " << c.counts.needed << " critical "
        << c.counts.critical << " ready " << c.ready;
  }
}

TEST(UpdateSessionTest, ReadyAndSelectedUpdatesAreTheNeededOnes) {
  const test::ScopedClientConfig client(L"UpdateSession");
  const RunContext run;
  UpdateSession session(client.Config(), run, nullptr);
  UpdateList& list = session.Updates();
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
  session.SetDownloadStateQuery([](const UpdateInfo&) { return DownloadState::Downloaded; });
  EXPECT_EQ(2, session.CountInstallReady(false));
  EXPECT_EQ(1, session.CountInstallReady(true));
  session.SetDownloadStateQuery([](const UpdateInfo&) { return DownloadState::ToDownload; });
  EXPECT_EQ(0, session.CountInstallReady(false));

  list.updates[2].selectedForInstall = true;
  EXPECT_EQ(2, session.SelectNeeded());
  EXPECT_TRUE(list.updates[0].selectedForInstall);
  EXPECT_TRUE(list.updates[1].selectedForInstall);
  EXPECT_FALSE(list.updates[2].selectedForInstall) << "an update not needed was selected";
}

}  // namespace
}  // namespace updater
