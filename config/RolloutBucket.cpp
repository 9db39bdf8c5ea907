#include "config/RolloutBucket.h"

#include "base/Logger.h"
#include "base/ResultText.h"
#include "base/SystemRandom.h"
#include "config/SettingsStore.h"

namespace updater {

ResultCode ReadOrDrawRolloutBucket(const SettingsStore& settings, DWORD* bucket) {
  if (settings.ReadDword(SettingsKey::Settings, L"RolloutBucket", bucket) &&
      *bucket < kRolloutBuckets) {
    return kSuccess;
  }
  // Draws at or above the last whole multiple of the bucket count are drawn again, so that every
  // bucket is equally likely.
  constexpr DWORD kLimit = 0xFFFFFFFFu - 0xFFFFFFFFu % kRolloutBuckets;
  DWORD draw = kLimit;
  while (draw >= kLimit) {
    if (const ResultCode drawn = FillRandom(&draw, sizeof(draw))) return drawn;
  }
  *bucket = draw % kRolloutBuckets;
  if (const ResultCode written =
          settings.WriteDword(SettingsKey::Settings, L"RolloutBucket", *bucket)) {
    Log(kLogError, L"Cannot keep the rollout bucket: " + ResultText(written));
  }
  return kSuccess;
}

}  // namespace updater
