#include "engine/TransferSettings.h"

#include "config/ClientConfig.h"
#include "config/ClientFlags.h"
#include "transfer/Downloader.h"

namespace updater {

void ApplyTransferSettings(const ClientConfig& config, Downloader& download) {
  if (config.RetryAttempts() >= 0) download.SetRetryAttempts(config.RetryAttempts());
  download.SetSharedFileAccess(config.HasFlag(kFlagPerMachine));
  if (!config.Proxy().empty()) download.SetProxy(config.Proxy());
}

}  // namespace updater
