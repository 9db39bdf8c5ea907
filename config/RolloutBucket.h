#pragma once

#include <windows.h>

#include "base/ResultCode.h"

namespace updater {

class SettingsStore;

constexpr DWORD kRolloutBuckets = 10000;

// This installation's staged-rollout bucket, 0-9999: RolloutBucket in the settings, drawn from
// the system's cryptographic random source the first time it is needed (and again when the stored
// one is out of range). It never leaves the machine. 0, or the failure of the random source;
// a bucket that cannot be stored still serves this run.
ResultCode ReadOrDrawRolloutBucket(const SettingsStore& settings, DWORD* bucket);

}  // namespace updater
