#pragma once

#include <windows.h>

#include "catalogue/Selection.h"
#include "catalogue/UpdateEvaluator.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

class SettingsStore;

// Whose check it is, for the staged rollouts: an installation's own, which its bucket decides; a
// person's who asked for updates, whom every started rollout reaches (a halt, 0, still holds); or
// the support service's server, whose client already decided.
enum class RolloutScope { Installation, PersonAsked, AlreadyDecided };

// Whether the publisher's staged rollouts hold `update` back from the installation in `bucket`.
// Critical updates pass, since security fixes go to all.
bool RolloutHoldsBack(const UpdateInfo& update, DWORD bucket);

// The availability pass of a check (CountAvailable) under the rollouts of `scope`; the bucket is
// read or drawn only when an update has a rollout, and how many were held back is logged.
AvailabilityCount CountAvailableInRollout(UpdateList& list, UpdateEvaluator& evaluator,
                                          RolloutScope scope, const SettingsStore& settings);

}  // namespace updater
