#pragma once

namespace updater {

// The outcome of evaluating one update on this machine.
enum class ApplicabilityState : int {
  Installed = 0,
  Needed = 1,
  // Does not apply here, or was already counted as needed.
  NotApplicable = 2,
};

}  // namespace updater
