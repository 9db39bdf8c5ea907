#pragma once

#include "base/ResultCode.h"
#include "catalogue/DownloadState.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

class ClientConfig;
class CredentialProvider;
class UpdateEvents;

// Downloads the installer of every update selected for installation that is still to be
// downloaded, each with its Size as the expected size, records it in the settings and checks its
// content (SHA256, else MD5, else size). A transfer that ended short is resumed once at once; a
// size mismatch or a failed check removes the update's files and record, and a failed digest check
// that the observer answers with "download again" is downloaded again. Each update's state becomes
// its result. A cancel ends the batch with kCanceled; otherwise the result is 0 or the first
// update's failure, after all were tried. `credentials` (may be null) answers the challenges.
ResultCode DownloadSelectedUpdates(UpdateList& list, const ClientConfig& config,
                                   UpdateEvents& events, const DownloadStateQuery& downloadState,
                                   CredentialProvider* credentials);

}  // namespace updater
