#include "engine/UpdateSession.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "config/RunContext.h"
#include "engine/ConfigurationFetch.h"
#include "engine/SessionEvents.h"
#include "transfer/RememberedCredentials.h"

namespace updater {
namespace {

// The failures and the begun actions a front end is told of.
class RecordedSession : public SessionEvents {
 public:
  void ActionBegun(UpdateAction action, std::uint32_t, const std::wstring&) override {
    begun.push_back(action);
  }
  void Failed(ResultCode code, const std::wstring&) override { failures.push_back(code); }
  std::vector<UpdateAction> begun;
  std::vector<ResultCode> failures;
};

TEST(UpdateSessionTest, LocalCopyIsNamedAfterTheFirstUrl) {
  // Downloads folder, first URL, the local copy (empty: kInvalidClientConfig).
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Dl", L"https://example.com/app/updates.ini", L"C:\\Dl\\updates.ini"},
      {L"C:\\Dl\\", L"https://example.com/u.ini?channel=beta", L"C:\\Dl\\u.ini"},
      {L"C:\\Dl", L"https://example.com/app/", L""},
      {L"C:\\Dl", L"https://example.com/..", L""},
      {L"C:\\Dl", L"not a url", L""},
  };
  for (const auto& [folder, url, expected] : cases) {
    std::wstring path;
    const ResultCode result = LocalConfigurationPath(folder, url, &path);
    EXPECT_EQ(*expected ? kSuccess : kInvalidClientConfig, result) << test::Narrow(url);
    EXPECT_EQ(expected, result == kSuccess ? path : L"") << test::Narrow(url);
  }
  // A check without one fails before any transfer, and says so to whoever shows it.
  test::ScopedClientConfig client(L"NoLocalCopy");
  client.Config().ReplaceFirstUrl(L"https://example.com/app/");
  const RunContext run;
  RecordedSession events;
  UpdateSession session(client.Config(), run, &events);
  AvailabilityCount counts;
  EXPECT_EQ(kInvalidClientConfig, session.Check(&counts));
  EXPECT_EQ(std::vector<ResultCode>{kInvalidClientConfig}, events.failures);
  EXPECT_TRUE(events.begun.empty()) << "a transfer began";
}

TEST(UpdateSessionTest, ConditionNeedsALocalCopyAndAStoredTime) {
  SYSTEMTIME when = {2021, 6, 2, 15, 12, 0, 0, 0};
  FILETIME stored;
  ASSERT_TRUE(SystemTimeToFileTime(&when, &stored));
  EXPECT_EQ(15, ConditionTime(true, true, stored).wDay);
  EXPECT_EQ(0, ConditionTime(false, true, stored).wYear) << "no copy to reuse on 304";
  EXPECT_EQ(0, ConditionTime(true, false, stored).wYear);
  EXPECT_EQ(0, ConditionTime(true, true, FILETIME{}).wYear) << "zero is no time";
}

TEST(UpdateSessionTest, ReadyAndSelectedUpdatesAreTheNeededOnes) {
  const test::ScopedClientConfig client(L"UpdateSession");
  const RunContext run;
  UpdateSession session(client.Config(), run, nullptr);
  UpdateList& list = session.Updates();
  list.updates.resize(3);  // needed and critical, needed, installed and critical
  list.updates[0].evaluated = list.updates[1].evaluated = true;
  list.updates[0].flags = list.updates[2].flags = kUpdateCritical;
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

TEST(UpdateSessionTest, HandedOverCredentialsOpenTheConfiguredServerAndGoOnToACopy) {
  test::ScopedClientConfig client(L"SessionCredentials");
  test::TempFolder folder;
  const std::wstring name = test::UniqueName(L"guarded") + L".ini";
  const std::wstring served = test::ServersFolder() + L"\\www\\auth\\" + name;
  test::WriteTextFile(served, L";qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n",
                      test::TextEncoding::Ansi);
  client.Config().SetDownloadsFolder(folder.Path());
  client.Config().ReplaceFirstUrl(L"http://" + test::ServerAddress(L"http") + L"/auth/" + name);
  // Wine keeps accepted credentials for the host for the rest of the process: refusal first.
  for (const bool handedOver : {false, true}) {
    RunContext run;
    if (handedOver) run.credentials = {L"alice", L"wonderland"};
    UpdateSession session(client.Config(), run, nullptr);
    AvailabilityCount counts;
    EXPECT_EQ(handedOver ? kUpToDate : kCredentialsNeeded, session.Check(&counts)) << handedOver;
    EXPECT_EQ(handedOver ? L"alice" : L"", session.CredentialsForCopy().userName);
  }
  DeleteFileW(served.c_str());
}

TEST(UpdateSessionTest, CopyGetsTheHandedOverCredentialsElseTheFirstRemembered) {
  // remembered users, the handed-over user, the user and password the copy gets
  const struct {
    std::vector<const wchar_t*> remembered;
    const wchar_t* handedOver;
    const wchar_t* user;
    const wchar_t* password;
  } cases[] = {
      {{}, L"", L"", L""},
      {{L"alice", L"bob"}, L"", L"alice", L"alice-pw"},
      {{L"alice", L"bob"}, L"carol", L"carol", L"carol-pw"},
  };
  for (const auto& c : cases) {
    test::ScopedClientConfig client(L"CopyCredentials");
    for (const wchar_t* user : c.remembered) {
      const std::wstring password = user + std::wstring(L"-pw");
      ASSERT_TRUE(RememberCredentials(client.Config().Settings(), user, password));
    }
    RunContext run;
    if (*c.handedOver != L'\0') {
      run.credentials = {c.handedOver, c.handedOver + std::wstring(L"-pw")};
    }
    UpdateSession session(client.Config(), run, nullptr);
    const UserCredentials copy = session.CredentialsForCopy();
    const std::string context =
        std::to_string(c.remembered.size()) + " remembered, " + test::Narrow(c.handedOver);
    EXPECT_EQ(c.user, copy.userName) << context;
    EXPECT_EQ(c.password, copy.password) << context;
  }
}

}  // namespace
}  // namespace updater
