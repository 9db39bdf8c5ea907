#pragma once

#include <windows.h>

#include <string>

#include "config/RolloutBucket.h"

namespace updater {

// Staged rollout: an update's RolloutPercent offers it to that share of installations, each of
// which draws a bucket 0-9999 once (RolloutBucket in its settings) and takes the update when its
// bucket is below percent x 100. Raising the percent widens the rollout; 0 halts it.
constexpr int kRolloutToEveryone = 100;
// What a value that is not a whole number 0-100 stands for: no installation is offered the update,
// so that a typo cannot ship a release to everybody.
constexpr int kRolloutToNobody = -1;

// The percent of a RolloutPercent= value: kRolloutToEveryone when absent, else 0-100 or
// kRolloutToNobody.
int ParseRolloutPercent(const std::wstring& text);

// Whether the installation of `bucket` is offered an update of `percent`.
bool IsInRollout(int percent, DWORD bucket);

}  // namespace updater
