#include "config/RolloutBucket.h"

#include <bcrypt.h>

#include "base/Logger.h"
#include "base/ResultText.h"
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
    const NTSTATUS status = BCryptGenRandom(nullptr, reinterpret_cast<UCHAR*>(&draw),
                                            sizeof(draw), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (!BCRYPT_SUCCESS(status)) return static_cast<ResultCode>(status);
  }
  *bucket = draw % kRolloutBuckets;
  if (const ResultCode written =
          settings.WriteDword(SettingsKey::Settings, L"RolloutBucket", *bucket)) {
    Log(kLogError, L"Cannot keep the rollout bucket: " + ResultText(written));
  }
  return kSuccess;
}

}  // namespace updater
