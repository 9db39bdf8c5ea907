#pragma once

#include <string>

#include "app/RunSwitches.h"

namespace updater {

// What the installed updater hands to its temporary copy (/install) and what the support service
// hands to its IPC server (/runserver), read from the [General] section of an INI file.
struct HandOverFile {
  std::wstring clientConfigPath;
  std::wstring serverConfigPath;
  std::wstring uninstallFilePath;
  std::wstring realUpdaterPath;
  std::wstring url;
  std::wstring ipcObjectNameBase;
  RunSwitches switches;
};

// Booleans are true only for the exact text "true"; missing keys read as empty.
HandOverFile ReadHandOverFile(const std::wstring& path);

}  // namespace updater
