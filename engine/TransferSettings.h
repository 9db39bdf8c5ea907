#pragma once

namespace updater {

class Downloader;
class ClientConfig;

// What every download of a run takes from the configuration: the retry attempts when set, shared
// file access for a per-machine installation, and the proxy when one is configured.
void ApplyTransferSettings(const ClientConfig& config, Downloader& download);

}  // namespace updater
