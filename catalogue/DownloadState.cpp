#include "catalogue/DownloadState.h"

#include <windows.h>

#include <string>

#include "catalogue/DownloadedFile.h"
#include "catalogue/UpdateInfo.h"

namespace updater {
namespace {

bool StatFile(const std::wstring& path, std::int64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  *size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

}  // namespace

DownloadDecision DecideDownloadState(const DownloadFiles& files, std::int64_t expectedSize) {
  if (files.partExists) {
    return {DownloadState::ToDownload, files.partSize >= expectedSize};
  }
  if (!files.fileExists) return {DownloadState::ToDownload, false};
  if (files.fileSize == expectedSize) return {DownloadState::Downloaded, false};
  return {DownloadState::ToDownload, true};
}

DownloadState GetDownloadState(const SettingsStore& settings, const UpdateInfo& update) {
  // Without a path there is nothing to look at, and ".part" alone would name a file in the
  // current folder.
  if (update.localFilePath.empty()) return DownloadState::ToDownload;
  DownloadFiles files;
  files.fileExists = StatFile(update.localFilePath, &files.fileSize);
  files.partExists = StatFile(update.localFilePath + L".part", &files.partSize);
  const DownloadDecision decision = DecideDownloadState(files, update.size);
  if (decision.removeFiles) RemoveDownloadedFile(settings, update);
  return decision.state;
}

}  // namespace updater
