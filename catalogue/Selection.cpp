#include "catalogue/Selection.h"

namespace updater {
namespace {

// The update's dependency, that one's dependency, and so on. The loader does not rule out a
// cycle of Depends links, so the walk stops at the first update met twice.
std::vector<UpdateInfo*> DependsChain(const UpdateInfo& update) {
  std::vector<UpdateInfo*> chain;
  for (UpdateInfo* next = update.dependsOn; next != nullptr && next != &update;
       next = next->dependsOn) {
    for (const UpdateInfo* seen : chain) {
      if (seen == next) return chain;
    }
    chain.push_back(next);
  }
  return chain;
}

// Selects an update once: a dependency shared by two critical updates counts once.
void Select(UpdateInfo& update, const DownloadStateQuery& downloadState,
            SilentSelection* selection) {
  if (update.selectedForInstall) return;
  update.selectedForInstall = true;
  ++selection->selected;
  if (downloadState(update) != DownloadState::Downloaded) ++selection->toDownload;
}

}  // namespace

AvailabilityCount CountAvailable(UpdateList& list, UpdateEvaluator& evaluator) {
  for (UpdateInfo& update : list.updates) update.skipped = false;
  AvailabilityCount count;
  for (UpdateInfo& update : list.updates) {
    if (update.skipped) continue;
    const ApplicabilityState state = evaluator.Evaluate(update);
    if (state == ApplicabilityState::Installed) {
      for (UpdateInfo* replaced : update.replacedUpdates) replaced->skipped = true;
      for (UpdateInfo* dependency : DependsChain(update)) dependency->skipped = true;
      if (update.replacesAll) break;
    } else if (state == ApplicabilityState::Needed) {
      ++count.needed;
      if (update.HasFlag(kUpdateCritical)) ++count.critical;
    }
  }
  return count;
}

SilentSelection SelectForSilentInstall(UpdateList& list, bool criticalOnly,
                                       const DownloadStateQuery& downloadState) {
  SilentSelection selection;
  for (auto it = list.updates.begin(); it != list.updates.end(); ++it) {
    UpdateInfo& update = *it;
    const bool critical = update.HasFlag(kUpdateCritical);
    if (update.selectedForInstall || update.skipped || update.isAbsorbed ||
        (criticalOnly && !critical)) {
      continue;
    }
    Select(update, downloadState, &selection);
    if (critical) {
      for (UpdateInfo* dependency : DependsChain(update)) {
        Select(*dependency, downloadState, &selection);
      }
    }
    for (UpdateInfo* replaced : update.replacedUpdates) replaced->skipped = true;
    if (update.replacesAll) {
      for (auto later = it + 1; later != list.updates.end(); ++later) later->skipped = true;
    }
  }
  return selection;
}

std::vector<UpdateInfo*> InstallOrder(UpdateList& list, const DownloadStateQuery& downloadState) {
  std::vector<UpdateInfo*> order;
  for (auto it = list.updates.rbegin(); it != list.updates.rend(); ++it) {
    if (it->selectedForInstall && downloadState(*it) == DownloadState::Downloaded) {
      order.push_back(&*it);
    }
  }
  return order;
}

}  // namespace updater
