#include "engine/SelectedDownloads.h"

#include <windows.h>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/DownloadedFile.h"
#include "config/ClientConfig.h"
#include "engine/TransferSettings.h"
#include "transfer/ContentCheck.h"
#include "transfer/Downloader.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

// A caller that answers every corrupt download with "download again" (an automation client in a
// loop, a server that keeps sending the wrong bytes) must not keep the batch busy for ever.
constexpr int kMaxDownloadsAfterCorruption = 10;

ResultCode Fetch(Downloader& download, const UpdateInfo& update) {
  ResultCode result = download.Download(update.urls, update.localFilePath);
  if (result == kRequestTimeout) result = download.Download(update.urls, update.localFilePath);
  Log(kLogInfo, L"Update \"" + update.name + L"\" installer downloaded. Return code: " +
                    ResultText(result));
  return result;
}

ResultCode DownloadOne(Downloader& download, const UpdateInfo& update,
                       const SettingsStore& settings, UpdateEvents& events) {
  download.SetExpectedSize(static_cast<DWORD>(update.size));
  const ExpectedContent expected{update.size, update.sha256, update.md5};
  for (int again = 0;; ++again) {
    const ResultCode result = Fetch(download, update);
    if (result == kSizeMismatch) RemoveDownloadedFile(settings, update);
    if (result != kSuccess) return result;
    RecordDownloadedFile(settings, update);
    const ContentCheckOutcome outcome =
        CheckDownloadedContent(update.localFilePath, expected, events,
                               [&] { RemoveDownloadedFile(settings, update); });
    if (!outcome.downloadAgain || again == kMaxDownloadsAfterCorruption) return outcome.state;
  }
}

}  // namespace

ResultCode DownloadSelectedUpdates(UpdateList& list, const ClientConfig& config,
                                   UpdateEvents& events, const DownloadStateQuery& downloadState,
                                   CredentialProvider* credentials) {
  Downloader download(&events, credentials);
  ApplyTransferSettings(config, download);
  events.ActionBegun(UpdateAction::DownloadBatch, 0, std::wstring());
  ResultCode batch = kSuccess;
  for (UpdateInfo& update : list.updates) {
    if (!update.selectedForInstall || downloadState(update) != DownloadState::ToDownload) continue;
    update.state = DownloadOne(download, update, config.Settings(), events);
    if (update.state == kCanceled) {
      batch = kCanceled;
      break;
    }
    if (batch == kSuccess) batch = update.state;
  }
  events.ActionEnded(UpdateAction::DownloadBatch, batch);
  return batch;
}

}  // namespace updater
