#include "engine/RolloutEvaluator.h"

#include <algorithm>
#include <vector>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/RolloutPercent.h"
#include "catalogue/UpdateInfo.h"
#include "config/RolloutBucket.h"

namespace updater {

ApplicabilityState RolloutEvaluator::Evaluate(UpdateInfo& update) {
  // The dependencies not yet marked needed, which evaluating the update may mark; the walk stops
  // at the first one met twice, since the loader does not rule out a cycle of Depends links.
  std::vector<UpdateInfo*> unmarked;
  for (UpdateInfo* next = update.dependsOn; next != nullptr && next != &update && !next->evaluated &&
                                            std::find(unmarked.begin(), unmarked.end(), next) ==
                                                unmarked.end();
       next = next->dependsOn) {
    unmarked.push_back(next);
  }
  const ApplicabilityState state = inner_.Evaluate(update);
  if (state != ApplicabilityState::Needed || update.HasFlag(kUpdateCritical) ||
      IsInRollout(update.rolloutPercent, bucket_)) {
    return state;
  }
  update.evaluated = false;
  for (UpdateInfo* dependency : unmarked) dependency->evaluated = false;
  ++heldBack_;
  return ApplicabilityState::NotApplicable;
}

AvailabilityCount CountAvailableInRollout(UpdateList& list, UpdateEvaluator& evaluator,
                                          RolloutScope scope, const SettingsStore& settings) {
  const bool staged = std::any_of(list.updates.begin(), list.updates.end(), [](const UpdateInfo& u) {
    return u.rolloutPercent != kRolloutToEveryone;
  });
  if (scope == RolloutScope::AlreadyDecided || !staged) return CountAvailable(list, evaluator);
  DWORD bucket = 0;
  if (scope == RolloutScope::Installation) {
    if (const ResultCode drawn = ReadOrDrawRolloutBucket(settings, &bucket)) {
      // The last bucket: without a bucket of its own, only a finished rollout reaches it.
      bucket = kRolloutBuckets - 1;
      Log(kLogError, L"Cannot draw the rollout bucket: " + ResultText(drawn));
    }
  }
  RolloutEvaluator rollout(evaluator, bucket);
  const AvailabilityCount counts = CountAvailable(list, rollout);
  Log(kLogInfo, FormatText(L"Updates held back by staged rollouts: %d (rollout bucket %lu)",
                           rollout.HeldBack(), bucket));
  return counts;
}

}  // namespace updater
