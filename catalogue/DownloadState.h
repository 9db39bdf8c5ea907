#pragma once

#include <cstdint>
#include <functional>

namespace updater {

class SettingsStore;
struct UpdateInfo;

// Whether an update's installer still has to be fetched, with the values the rest of the
// program stores and compares.
enum class DownloadState : int { ToDownload = 1, Downloaded = 2 };

// What is on disk for one update: the installer and its partial download (path + ".part").
struct DownloadFiles {
  bool fileExists = false;
  std::int64_t fileSize = 0;
  bool partExists = false;
  std::int64_t partSize = 0;
};

struct DownloadDecision {
  DownloadState state;
  // A partial file that cannot be resumed or a complete file of the wrong size: both files go.
  bool removeFiles;
};

DownloadDecision DecideDownloadState(const DownloadFiles& files, std::int64_t expectedSize);

// Looks at the update's installer and partial file and removes them, with their record in
// `settings` (RemoveDownloadedFile), when they cannot be used.
DownloadState GetDownloadState(const SettingsStore& settings, const UpdateInfo& update);

// The download-state lookup, replaceable where the files are not the point.
using DownloadStateQuery = std::function<DownloadState(const UpdateInfo&)>;

}  // namespace updater
