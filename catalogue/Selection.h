#pragma once

#include <vector>

#include "catalogue/DownloadState.h"
#include "catalogue/UpdateEvaluator.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

struct AvailabilityCount {
  int needed = 0;
  int critical = 0;
};

struct SilentSelection {
  int selected = 0;
  int toDownload = 0;
};

// The availability pass of a check: clears Skipped, evaluates the updates from the newest, and
// counts the needed ones. An installed update makes what it replaces and depends on skipped;
// one that replaces all ends the walk.
AvailabilityCount CountAvailable(UpdateList& list, UpdateEvaluator& evaluator);

// The pre-selection of the silent install modes: selects every update not yet selected,
// skipped or absorbed (only critical ones when criticalOnly), with the dependencies of a
// critical one, and skips what a selected update replaces.
SilentSelection SelectForSilentInstall(UpdateList& list, bool criticalOnly,
                                       const DownloadStateQuery& downloadState);

// The selected, completely downloaded updates in installation order: from the end of the list
// to its start, so that dependencies, listed after their dependents, come first.
std::vector<UpdateInfo*> InstallOrder(UpdateList& list, const DownloadStateQuery& downloadState);

}  // namespace updater
