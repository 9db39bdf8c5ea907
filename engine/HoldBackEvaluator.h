#pragma once

#include <functional>
#include <utility>

#include "catalogue/Selection.h"
#include "catalogue/UpdateEvaluator.h"

namespace updater {

// A check's evaluation with some updates kept back by a rule of the publisher's or the
// administrator's: an update this machine needs but that the rule holds counts as not needed, and
// so do the dependencies only it made needed.
class HoldBackEvaluator : public UpdateEvaluator {
 public:
  using Rule = std::function<bool(const UpdateInfo&)>;
  HoldBackEvaluator(UpdateEvaluator& inner, Rule holds) : inner_(inner), holds_(std::move(holds)) {}

  ApplicabilityState Evaluate(UpdateInfo& update) override;
  // How many needed updates the rule held back.
  int HeldBack() const { return heldBack_; }

 private:
  UpdateEvaluator& inner_;
  Rule holds_;
  int heldBack_ = 0;
};

}  // namespace updater
