#include "engine/RolloutEvaluator.h"

#include <algorithm>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/RolloutPercent.h"
#include "catalogue/UpdateInfo.h"
#include "engine/HoldBackEvaluator.h"
#include "config/RolloutBucket.h"

namespace updater {

bool RolloutHoldsBack(const UpdateInfo& update, DWORD bucket) {
  return !update.HasFlag(kUpdateCritical) && !IsInRollout(update.rolloutPercent, bucket);
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
  HoldBackEvaluator rollout(evaluator,
                            [bucket](const UpdateInfo& update) { return RolloutHoldsBack(update, bucket); });
  const AvailabilityCount counts = CountAvailable(list, rollout);
  Log(kLogInfo, FormatText(L"Updates held back by staged rollouts: %d (rollout bucket %lu)",
                           rollout.HeldBack(), bucket));
  return counts;
}

}  // namespace updater
