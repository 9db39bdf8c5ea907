#pragma once

#include <functional>

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"
#include "config/SettingsStore.h"

namespace updater {

class UpdateEvents;

// What the installation of a batch works with.
struct InstallContext {
  // Where the downloads and the batch are recorded.
  const SettingsStore& settings;
  // Runs one installer to its end and gives the installation's result.
  std::function<ResultCode(const UpdateInfo& update)> runInstaller;
  // Each installer must carry a valid signature of this updater's publisher.
  bool verifySignature = false;
  // The batch is announced as an action of its own (NoUpdaterInstallGUI).
  bool announceBatch = false;
};

// Installs every update selected for installation whose installer is downloaded, oldest first
// (InstallOrder), each with InstallUpdate; a failure does not stop the others. Reports the batch
// (when announced) and each installation as actions. When all succeeded, restarts the applications
// closed for them. The result is 0 or the code of the last installation that failed.
ResultCode InstallSelectedUpdates(UpdateList& list, const InstallContext& context,
                                  UpdateEvents& events);

// Installs one downloaded update: the installer held and checked again as at its download
// (HoldInstaller; a changed one is removed), signature check, dependency, closing its
// applications, the installer, redetection and, with NoCache, removal of the installer. The
// result is also stored as the update's state.
ResultCode InstallUpdate(UpdateInfo& update, const InstallContext& context);

}  // namespace updater
