#include "engine/UpdatePolicy.h"

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "config/ClientConfig.h"
#include "config/ClientFlags.h"
#include "config/RunContext.h"
#include "engine/UpdateSession.h"

namespace updater {
namespace {

constexpr std::optional<DWORD> kNoPolicy;

std::string Name(InstallMode mode, std::optional<DWORD> policy, bool startMinimized) {
  return std::to_string(static_cast<int>(mode)) + " policy " +
         (policy ? std::to_string(*policy) : "none") + (startMinimized ? " minimised" : "");
}

TEST(UpdatePolicyTest, SilentFollowsTheStoredPolicyAndAutomaticModesPreselectAndRunHidden) {
  using K = InstallMode;
  using P = Preselection;
  struct Case { K asked; std::optional<DWORD> policy; bool minimized; K mode; P preselection;
                bool startMinimized; };
  const Case cases[] = {
      {K::CheckNow, 2, false, K::CheckNow, P::None, false},
      {K::CheckNow, kNoPolicy, true, K::CheckNow, P::None, true},
      {K::Silent, kNoPolicy, false, K::Silent, P::None, false},
      {K::Silent, 0, false, K::Silent, P::None, false},
      {K::Silent, 1, true, K::Silent, P::None, true},
      {K::Silent, 2, false, K::SilentAll, P::All, true},
      {K::Silent, 3, false, K::SilentCritical, P::CriticalOnly, true},
      {K::Silent, 7, false, K::Silent, P::None, false},
      {K::SilentAll, 3, false, K::SilentAll, P::All, true},
      {K::SilentCritical, kNoPolicy, false, K::SilentCritical, P::CriticalOnly, true},
  };
  for (const Case& c : cases) {
    const InstallPlan plan = PlanInstall(c.asked, c.policy, c.minimized);
    const std::string name = Name(c.asked, c.policy, c.minimized);
    EXPECT_EQ(c.mode, plan.mode) << name;
    EXPECT_EQ(c.preselection, plan.preselection) << name;
    EXPECT_EQ(c.startMinimized, plan.startMinimized) << name;
  }
}

TEST(UpdatePolicyTest, APreselectionLeavesWorkWhenSomethingIsSelectedAndThereIsWhatTheRunDoes) {
  struct Case { int selected, toDownload; bool justDownload, leavesWork; };
  const Case cases[] = {
      {0, 0, false, false},
      {0, 0, true, false},
      {2, 0, false, true},
      {2, 0, true, false},
      {2, 1, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.leavesWork, PreselectionLeavesWork({c.selected, c.toDownload}, c.justDownload))
        << c.selected << " selected, " << c.toDownload << " to download"
        << (c.justDownload ? ", only downloading" : "");
  }
}

// The session reads the policy the user chose and selects by it, for every front end alike.
TEST(UpdatePolicyTest, TheSessionPlansByTheStoredPolicyAndPreselectsByThePlan) {
  test::ScopedClientConfig client(L"UpdatePolicy");
  const RunContext run;
  UpdateSession session(client.Config(), run, nullptr);
  session.SetDownloadStateQuery([](const UpdateInfo&) { return DownloadState::Downloaded; });
  UpdateList& list = session.Updates();
  list.updates.resize(2);  // critical, plain
  list.updates[0].flags = kUpdateCritical;

  EXPECT_EQ(InstallMode::Silent, session.PlanInstall(InstallMode::Silent, false).mode)
      << "no stored policy";
  client.Config().Settings().WriteDword(SettingsKey::Settings, L"AutoUpdatePolicy",
                                        kAutoUpdatePolicyAutoCritical);
  const InstallPlan plan = session.PlanInstall(InstallMode::Silent, false);
  EXPECT_EQ(InstallMode::SilentCritical, plan.mode);
  EXPECT_FALSE(session.Preselect(plan, true)) << "all is downloaded: nothing to download";
  EXPECT_TRUE(list.updates[0].selectedForInstall);
  EXPECT_FALSE(list.updates[1].selectedForInstall) << "a plain update was preselected";
  list.updates[0].selectedForInstall = false;
  EXPECT_TRUE(session.Preselect(plan, false));

  list.updates[0].selectedForInstall = false;
  list.updates[1].selectedForInstall = true;  // the user's choice stays as it is
  EXPECT_TRUE(session.Preselect(session.PlanInstall(InstallMode::CheckNow, false), true));
  EXPECT_FALSE(list.updates[0].selectedForInstall);
  EXPECT_TRUE(list.updates[1].selectedForInstall);
}

}  // namespace
}  // namespace updater
