#pragma once

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

class ClientConfig;
class CredentialProvider;
class Downloader;

// Kept installers a delta download copies from: the newest two, which hold the last versions.
constexpr std::size_t kMaxDeltaSources = 2;

// Downloads the installer of an update with a BlockMap key by its map: the blocks that kept
// installers hold are copied, the others fetched as ranges of the installer's URLs, and the file
// is in place only when it has the map's size and SHA-256. The map (at most as long as a map of
// the update's Size can be) must name the update's Size and SHA256 when the section gives them.
// Logs how many bytes came from where. 0, kCanceled, or why the whole file is to be downloaded
// instead (logged); nothing is left behind then. `download` is the batch's, its expected size set.
ResultCode DownloadByBlockMap(Downloader& download, const UpdateInfo& update,
                              const ClientConfig& config, CredentialProvider* credentials);

}  // namespace updater
