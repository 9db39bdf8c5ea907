#pragma once

#include "catalogue/ApplicabilityState.h"

namespace updater {

struct UpdateInfo;

// Decides whether an update applies and is installed; may mark the update (and its dependency)
// as counted.
class UpdateEvaluator {
 public:
  virtual ~UpdateEvaluator() = default;
  virtual ApplicabilityState Evaluate(UpdateInfo& update) = 0;
};

}  // namespace updater
