#pragma once

#include "config/SettingsStore.h"

namespace updater {

struct UpdateInfo;

// The settings keep, under key kind 1 ("Updates"), the path of each update's downloaded installer
// with the update's section name as the value name, so that /clean finds files of earlier runs.

// Records the update's installer unless that same path is recorded for it already.
void RecordDownloadedFile(const SettingsStore& settings, const UpdateInfo& update);

// Deletes the partial file and the installer, then the folder that held them when it is empty,
// and drops the update's record. An update without a path has nothing on disk.
void RemoveDownloadedFile(const SettingsStore& settings, const UpdateInfo& update);

}  // namespace updater
