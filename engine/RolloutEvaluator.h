#pragma once

#include <windows.h>

#include "catalogue/Selection.h"
#include "catalogue/UpdateEvaluator.h"

namespace updater {

class SettingsStore;

// Whose check it is, for the staged rollouts: an installation's own, which its bucket decides; a
// person's who asked for updates, whom every started rollout reaches (a halt, 0, still holds); or
// the support service's server, whose client already decided.
enum class RolloutScope { Installation, PersonAsked, AlreadyDecided };

// A check's evaluation under the publisher's staged rollouts: an update this machine needs but
// whose RolloutPercent leaves this installation's bucket out counts as not needed, and so do the
// dependencies only it made needed. Critical updates pass, since security fixes go to all.
class RolloutEvaluator : public UpdateEvaluator {
 public:
  RolloutEvaluator(UpdateEvaluator& inner, DWORD bucket) : inner_(inner), bucket_(bucket) {}

  ApplicabilityState Evaluate(UpdateInfo& update) override;
  // How many needed updates the rollouts held back.
  int HeldBack() const { return heldBack_; }

 private:
  UpdateEvaluator& inner_;
  DWORD bucket_;
  int heldBack_ = 0;
};

// The availability pass of a check (CountAvailable) under the rollouts of `scope`; the bucket is
// read or drawn only when an update has a rollout, and how many were held back is logged.
AvailabilityCount CountAvailableInRollout(UpdateList& list, UpdateEvaluator& evaluator,
                                          RolloutScope scope, const SettingsStore& settings);

}  // namespace updater
