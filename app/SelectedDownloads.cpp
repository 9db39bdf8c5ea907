#include "app/SelectedDownloads.h"

#include <windows.h>

#include "app/Logger.h"
#include "app/ResultText.h"
#include "app/TransferSettings.h"
#include "transfer/AsyncDownloadThread.h"
#include "transfer/UpdaterCallback.h"

namespace updater {
namespace {

ResultCode DownloadOne(AsyncDownloadThread& download, const UpdateInfo& update) {
  download.SetExpectedSize(static_cast<DWORD>(update.size));
  ResultCode result = download.Download(update.urls, update.localFilePath);
  if (result == kRequestTimeout) result = download.Download(update.urls, update.localFilePath);
  Log(kLogInfo, L"Update \"" + update.name + L"\" installer downloaded. Return code: " +
                    ResultText(result));
  if (result == kSizeMismatch) {
    DeleteFileW(update.localFilePath.c_str());
    DeleteFileW((update.localFilePath + L".part").c_str());
  }
  return result;
}

}  // namespace

ResultCode DownloadSelectedUpdates(UpdateList& list, const ClientConfig& config,
                                   UpdaterCallback* callback,
                                   const DownloadStateQuery& downloadState) {
  AsyncDownloadThread download(callback, nullptr);
  ApplyTransferSettings(config, download);
  if (callback != nullptr) callback->BeginAction(kActionDownloadBatch, 0, nullptr);
  ResultCode batch = kSuccess;
  for (const UpdateInfo& update : list.updates) {
    if (!update.selectedForInstall || downloadState(update) != DownloadState::ToDownload) continue;
    const ResultCode result = DownloadOne(download, update);
    if (result == kCanceled) {
      batch = kCanceled;
      break;
    }
    if (batch == kSuccess) batch = result;
  }
  if (callback != nullptr) callback->EndAction(kActionDownloadBatch, batch);
  return batch;
}

}  // namespace updater
