#pragma once

#include <string>

#include "base/ResultCode.h"
#include "config/RunSwitches.h"

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

// Replaces the file at `path` by a UTF-16LE one with a byte-order mark, so that the private-profile
// functions keep paths outside the ANSI code page, then writes the texts that are not empty and
// the booleans that are set, as "true". Returns 0 or the Windows error; a file whose byte-order
// mark could not be written is deleted.
ResultCode WriteHandOverFile(const std::wstring& path, const HandOverFile& values);

}  // namespace updater
