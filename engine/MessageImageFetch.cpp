#include "engine/MessageImageFetch.h"

#include "base/UniqueHandle.h"
#include "config/ClientConfig.h"
#include "engine/TransferSettings.h"
#include "transfer/Downloader.h"

namespace updater {

ResultCode FetchMessageImage(const ClientConfig& config, const std::wstring& url,
                             const std::wstring& path, DWORD maxBytes) {
  CreateDirectoryW(config.DownloadsFolder().c_str(), nullptr);
  Downloader download(nullptr, nullptr);
  ApplyTransferSettings(config, download);
  download.SetQueryLastModified(true);
  download.SetMaxSize(maxBytes);
  if (const ResultCode result = download.Download(url, path)) return result;
  const SYSTEMTIME modified = download.GetLastModified();
  FILETIME time;
  if (modified.wYear == 0 || !SystemTimeToFileTime(&modified, &time)) return kSuccess;
  const FileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  if (file) SetFileTime(file.Get(), nullptr, nullptr, &time);
  return kSuccess;
}

}  // namespace updater
