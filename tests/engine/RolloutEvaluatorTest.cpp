#include "engine/RolloutEvaluator.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "engine/HoldBackEvaluator.h"
#include "catalogue/RolloutPercent.h"
#include "catalogue/Selection.h"
#include "catalogue/UpdateInfo.h"

namespace updater {
namespace {

// Every update is needed, and marks its dependency needed as the real evaluation does.
class NeedAll : public UpdateEvaluator {
 public:
  ApplicabilityState Evaluate(UpdateInfo& update) override {
    if (update.evaluated) return ApplicabilityState::NotApplicable;
    update.evaluated = true;
    if (update.dependsOn != nullptr) Evaluate(*update.dependsOn);
    return ApplicabilityState::Needed;
  }
};

TEST(RolloutEvaluatorTest, AnUpdateIsOfferedBelowItsShareOfBuckets) {
  const struct { const wchar_t* percent; DWORD bucket; bool critical; bool offered; } cases[] = {
      {L"50", 4999, false, true},   {L"50", 5000, false, false}, {L"", 9999, false, true},
      {L"100", 9999, false, true},  {L"0", 0, false, false},     {L"1", 99, false, true},
      {L"1", 100, false, false},    {L" 7 ", 699, false, true},  {L"101", 0, false, false},
      {L"-5", 0, false, false},     {L"12.5", 0, false, false},  {L"ten", 0, false, false},
      {L"0005", 0, false, false},   {L"0", 9999, true, true},    {L"x", 5000, true, true},
  };
  for (const auto& c : cases) {
    UpdateList list;
    UpdateInfo& update = list.updates.emplace_back();
    update.rolloutPercent = ParseRolloutPercent(c.percent);
    if (c.critical) update.flags |= kUpdateCritical;
    NeedAll needAll;
    HoldBackEvaluator evaluator(
        needAll, [&c](const UpdateInfo& u) { return RolloutHoldsBack(u, c.bucket); });
    const AvailabilityCount counts = CountAvailable(list, evaluator);
    EXPECT_EQ(c.offered ? 1 : 0, counts.needed) << c.percent << " " << c.bucket;
    EXPECT_EQ(c.offered, update.evaluated) << c.percent << " " << c.bucket;
    EXPECT_EQ(c.offered ? 0 : 1, evaluator.HeldBack()) << c.percent << " " << c.bucket;
  }
}

TEST(RolloutEvaluatorTest, AHeldBackUpdateLeavesItsDependencyToItsOwnRollout) {
  // A depends on B; A is held back, B is offered by its own percent or not.
  for (const int dependencyPercent : {100, 0}) {
    UpdateList list;
    UpdateInfo& a = list.updates.emplace_back();
    UpdateInfo& b = list.updates.emplace_back();
    a.dependsOn = &b;
    a.rolloutPercent = 10;
    b.rolloutPercent = dependencyPercent;
    NeedAll needAll;
    HoldBackEvaluator evaluator(needAll,
                                [](const UpdateInfo& u) { return RolloutHoldsBack(u, 5000); });
    const AvailabilityCount counts = CountAvailable(list, evaluator);
    EXPECT_FALSE(a.evaluated);
    EXPECT_EQ(dependencyPercent == 100, b.evaluated) << dependencyPercent;
    EXPECT_EQ(dependencyPercent == 100 ? 1 : 0, counts.needed) << dependencyPercent;
  }
}

TEST(RolloutEvaluatorTest, APersonWhoAskedPassesStartedRolloutsAndTheServiceAllOfThem) {
  const test::ScopedClientConfig client(L"RolloutTest");
  const SettingsStore& settings = client.Config().Settings();
  const auto needed = [&](int percent, RolloutScope scope) {
    UpdateList list;
    list.updates.emplace_back().rolloutPercent = percent;
    NeedAll needAll;
    return CountAvailableInRollout(list, needAll, scope, settings).needed;
  };
  // No rollout in the file: no bucket is drawn.
  EXPECT_EQ(1, needed(kRolloutToEveryone, RolloutScope::Installation));
  DWORD bucket = 0;
  EXPECT_FALSE(settings.ReadDword(SettingsKey::Settings, L"RolloutBucket", &bucket));
  ASSERT_EQ(kSuccess, settings.WriteDword(SettingsKey::Settings, L"RolloutBucket", 9999));
  const struct { int percent; RolloutScope scope; int needed; } cases[] = {
      {99, RolloutScope::Installation, 0},   {1, RolloutScope::PersonAsked, 1},
      {0, RolloutScope::PersonAsked, 0},     {kRolloutToNobody, RolloutScope::PersonAsked, 0},
      {0, RolloutScope::AlreadyDecided, 1},  {kRolloutToNobody, RolloutScope::AlreadyDecided, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.needed, needed(c.percent, c.scope)) << c.percent << " " << static_cast<int>(c.scope);
  }
}

}  // namespace
}  // namespace updater
