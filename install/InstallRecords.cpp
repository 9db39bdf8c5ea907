#include "install/InstallRecords.h"

namespace updater {

void RecordInstallBatch(const SettingsStore& settings, const std::vector<UpdateInfo*>& batch) {
  for (const UpdateInfo* update : batch) {
    settings.WriteString(SettingsKey::UpdateLocks, update->sectionName, update->localFilePath);
  }
}

void RemoveInstallRecords(const SettingsStore& settings, const std::vector<UpdateInfo*>& batch) {
  for (const UpdateInfo* update : batch) {
    settings.DeleteValue(SettingsKey::UpdateLocks, update->sectionName);
  }
  const std::wstring key = SettingsKeyPath(SettingsKey::UpdateLocks, settings.Id());
  if (!key.empty()) RegDeleteKeyW(settings.Root(), key.c_str());
}

}  // namespace updater
