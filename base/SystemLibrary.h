#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"

namespace updater {

// Makes every later load of a DLL by bare name, this program's own and those of the system DLLs it
// uses, look in the system folder only: the temporary copy runs from a folder in the user's
// temporary folder, where a DLL placed beside it would otherwise be loaded first. Returns 0, or
// the Windows error where the system cannot restrict the search (Windows 7 without KB2533623).
ResultCode RestrictDllSearchToSystemFolder();

// Loads the system DLL `name` by its full path in the system folder; null with the Windows error.
HMODULE LoadSystemLibrary(const std::wstring& name);

}  // namespace updater
