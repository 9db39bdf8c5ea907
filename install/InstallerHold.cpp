#include "install/InstallerHold.h"

#include <windows.h>

#include "catalogue/DownloadLocation.h"
#include "transfer/ContentCheck.h"

namespace updater {

ResultCode HoldInstaller(const UpdateInfo& update, FileHandle* held) {
  FileHandle file(CreateFileW(update.localFilePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  // Looked at once the file is open: a folder that holds an open file cannot be renamed away.
  if (const ResultCode linked = CheckDownloadFolders(update.localFilePath)) return linked;
  const ExpectedContent expected{update.size, update.sha256, update.md5};
  if (const ResultCode checked = CheckContent(file.Get(), expected)) return checked;
  *held = std::move(file);
  return kSuccess;
}

}  // namespace updater
