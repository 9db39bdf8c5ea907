#pragma once

#include "app/ResultCode.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

class ClientConfig;
class UpdaterCallback;

// Installs every update selected for installation whose installer is downloaded, oldest first
// (InstallOrder), each with InstallUpdate; a failure does not stop the others. Reports action 3
// for the batch (with NoUpdaterInstallGUI) and action 2 per update when a callback is attached.
// When all succeeded, restarts the applications closed for them. The result is 0 or the code of
// the last installation that failed.
ResultCode InstallSelectedUpdates(UpdateList& list, const ClientConfig& config,
                                  UpdaterCallback* callback);

// Installs one downloaded update: signature check (with VerifyDigitalSignature), dependency,
// closing its applications, the installer, redetection and, with NoCache, removal of the
// installer. The result is also stored as the update's state.
ResultCode InstallUpdate(UpdateInfo& update, const ClientConfig& config);

}  // namespace updater
