#include "catalogue/DownloadedFile.h"

#include <windows.h>

#include <string>

#include "catalogue/UpdateInfo.h"
#include "config/SettingsStore.h"

namespace updater {

void RecordDownloadedFile(const SettingsStore& settings, const UpdateInfo& update) {
  std::wstring recorded;
  if (settings.ReadString(SettingsKey::Updates, update.sectionName, &recorded) &&
      recorded == update.localFilePath) {
    return;
  }
  settings.WriteString(SettingsKey::Updates, update.sectionName, update.localFilePath);
}

void RemoveDownloadedFile(const SettingsStore& settings, const UpdateInfo& update) {
  // ".part" alone would name a file in the current folder.
  if (!update.localFilePath.empty()) {
    // With a block map fetched for a delta download, should the run have ended while it was.
    for (const wchar_t* suffix : {L".part", L".blockmap", L".blockmap.part"}) {
      DeleteFileW((update.localFilePath + suffix).c_str());
    }
    DeleteFileW(update.localFilePath.c_str());
    const std::size_t slash = update.localFilePath.find_last_of(L"\\/");
    // Fails while anything else is in the folder, which is what keeps it then.
    if (slash != std::wstring::npos) {
      RemoveDirectoryW(update.localFilePath.substr(0, slash).c_str());
    }
  }
  settings.DeleteValue(SettingsKey::Updates, update.sectionName);
}

}  // namespace updater
