#include "engine/HoldBackEvaluator.h"

#include <algorithm>
#include <vector>

#include "catalogue/UpdateInfo.h"

namespace updater {

ApplicabilityState HoldBackEvaluator::Evaluate(UpdateInfo& update) {
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
  if (state != ApplicabilityState::Needed || !holds_(update)) return state;
  update.evaluated = false;
  for (UpdateInfo* dependency : unmarked) dependency->evaluated = false;
  ++heldBack_;
  return ApplicabilityState::NotApplicable;
}

}  // namespace updater
