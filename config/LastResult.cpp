#include "config/LastResult.h"

#include "config/NextUpdateCheck.h"

namespace updater {

void RecordLastResult(const SettingsStore& settings, ResultCode result) {
  settings.WriteDword(SettingsKey::Settings, L"LastResult", result);
  settings.WriteTime(SettingsKey::Settings, L"LastResultTime", ToFileTime(CurrentFileTime()));
}

}  // namespace updater
