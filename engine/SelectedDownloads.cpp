#include "engine/SelectedDownloads.h"

#include <windows.h>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/DownloadedFile.h"
#include "config/ClientConfig.h"
#include "engine/BlockMapDownload.h"
#include "engine/TransferSettings.h"
#include "transfer/ContentCheck.h"
#include "transfer/Downloader.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

// A caller that answers every corrupt download with "download again" (an automation client in a
// loop, a server that keeps sending the wrong bytes) must not keep the batch busy for ever.
constexpr int kMaxDownloadsAfterCorruption = 10;

// What one installer's download needs besides the downloader.
struct DownloadContext {
  const ClientConfig& config;
  UpdateEvents& events;
  CredentialProvider* credentials;
};

// `byBlockMap`: the update's block map is tried first, and the whole file downloaded when it fails.
// `checked`: the file was put together by the map and found to have the SHA-256 of the map, which
// is the section's SHA256; its content check would only hash it again.
ResultCode Fetch(Downloader& download, const UpdateInfo& update, const DownloadContext& context,
                 bool byBlockMap, bool* checked) {
  ResultCode result = byBlockMap ? DownloadByBlockMap(download, update, context.config,
                                                      context.credentials)
                                 : kResumeNotSupported;
  *checked = result == kSuccess && !update.sha256.empty();
  if (result != kSuccess && result != kCanceled) {
    result = download.Download(update.urls, update.localFilePath);
    if (result == kRequestTimeout) result = download.Download(update.urls, update.localFilePath);
  }
  Log(kLogInfo, L"Update \"" + update.name + L"\" installer downloaded. Return code: " +
                    ResultText(result));
  return result;
}

ResultCode DownloadOne(Downloader& download, const UpdateInfo& update,
                       const DownloadContext& context) {
  const SettingsStore& settings = context.config.Settings();
  UpdateEvents& events = context.events;
  download.SetExpectedSize(static_cast<DWORD>(update.size));
  const ExpectedContent expected{update.size, update.sha256, update.md5};
  for (int again = 0;; ++again) {
    // Downloaded again after a failed check: the whole file, from nothing.
    bool checked = false;
    const ResultCode result =
        Fetch(download, update, context, again == 0 && !update.blockMapUrl.empty(), &checked);
    if (result == kSizeMismatch) RemoveDownloadedFile(settings, update);
    if (result != kSuccess) return result;
    RecordDownloadedFile(settings, update);
    if (checked) return kSuccess;
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
  const DownloadContext context{config, events, credentials};
  events.ActionBegun(UpdateAction::DownloadBatch, 0, std::wstring());
  ResultCode batch = kSuccess;
  for (UpdateInfo& update : list.updates) {
    if (!update.selectedForInstall || downloadState(update) != DownloadState::ToDownload) continue;
    update.state = DownloadOne(download, update, context);
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
