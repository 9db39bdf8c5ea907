#include "base/UserTempPath.h"

#include <windows.h>

namespace updater {

std::wstring UserTempPath() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, path);
  return length > 0 && length <= MAX_PATH ? std::wstring(path, length) : std::wstring();
}

}  // namespace updater
