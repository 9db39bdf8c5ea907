#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

class ClientConfig;
class SettingsStore;
class WaitProgress;

// A downloaded update recorded for a configuration: the update's section name and the full path
// of its installer.
struct DownloadRecord {
  std::wstring sectionName;
  std::wstring installerPath;
};

// What /clean deletes: the files first, then the folders, which are empty only after that.
struct CleanTargets {
  std::vector<std::wstring> files;
  std::vector<std::wstring> folders;
};

// `path` as a full path when it lies inside `folder` (not the folder itself); else empty. Both are
// made full paths first (".." resolved, "/" read as "\", a "\\?\" prefix dropped) and compared
// without case, so that a record cannot name a file elsewhere, not even in "folder2".
std::wstring PathInsideFolder(const std::wstring& path, const std::wstring& folder);

// For each record its folder in the downloads folder, its installer and the installer's ".part",
// the downloaded message images, and the local copy of the update configuration file; each only
// when `exists` says it does. A section name that is no plain file name gives no folder, and a
// recorded file outside the downloads folder is logged and left, so that a tampered record cannot
// reach outside the downloads folder.
CleanTargets CollectCleanTargets(const std::vector<DownloadRecord>& records,
                                 const std::vector<std::wstring>& messageImages,
                                 const std::wstring& downloadsFolder,
                                 const std::wstring& updateConfigFileName,
                                 const std::function<bool(const std::wstring&)>& exists);

// The file name in the first URL's path, as the update configuration file is stored locally;
// empty when there is no URL or it names no file.
std::wstring UpdateConfigFileName(const std::vector<std::wstring>& urls);

// The updates recorded under the configuration's "Updates" key.
std::vector<DownloadRecord> ReadDownloadRecords(const SettingsStore& settings);

// The message images recorded under the configuration's messages resources key.
std::vector<std::wstring> ReadMessageImages(const SettingsStore& settings);

// True when fewer than two registered updater executables of this configuration still exist:
// the data is then used by no other installation.
bool CanRunClean(const SettingsStore& settings);

// Deletes what was collected; a failure is logged and the erase goes on. Each deletion advances
// `progress` when given; a cancel there stops the erase.
void DoErase(const CleanTargets& targets, WaitProgress* progress);

// Removes the registry data of the configuration: its key with the client registrations, the
// settings, the download records and the messages. Returns 0 or the Windows error.
ResultCode RemoveConfigurationSettings(const SettingsStore& settings);

// Removes what /clean leaves to other subsystems, such as the link's URL-protocol registration
// that the notifications make; the notification subsystem supplies it.
using CleanExtension = std::function<void(const ClientConfig& config)>;

// /clean: removes the downloads and the registry data of one configuration unless another
// installed updater still uses them.
class Cleaner {
 public:
  explicit Cleaner(const ClientConfig& config, CleanExtension extension = nullptr);

  // Without `silently` the work runs on a worker thread under the "Removing Files" window.
  // The result is always 0: what cannot be removed is logged and left.
  ResultCode Run(bool silently);

  // The cleaning itself; `progress` may be null.
  void Clean(WaitProgress* progress) const;

 private:
  const ClientConfig& config_;
  CleanExtension extension_;
};

}  // namespace updater
