#pragma once

#include <vector>

#include "catalogue/UpdateInfo.h"
#include "config/SettingsStore.h"

namespace updater {

// While a batch of installations runs, the settings hold one record per update of the batch
// under key kind 2 ("Updates\Locks"): the update's section name with its installer's path, so
// that a run that died mid-batch can be recognised afterwards.
void RecordInstallBatch(const SettingsStore& settings, const std::vector<UpdateInfo*>& batch);

// Removes the records of the batch, in the batch's order, and then their key.
void RemoveInstallRecords(const SettingsStore& settings, const std::vector<UpdateInfo*>& batch);

}  // namespace updater
