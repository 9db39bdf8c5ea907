#pragma once

#include <functional>
#include <string>

#include "catalogue/UpdateInfo.h"

namespace updater {

// The text of one key of an update's settings; empty when it is missing.
using KeyText = std::function<std::wstring(const wchar_t* key)>;

// The detection keys of an update: FilePath (with FileSize), else RegistryKey, else
// CustomDetection, else AppIdName picks the detection kind; CustomDetectionParams, the other AppId
// keys and Version go with any. Paths are expanded against `appDir`; one that does not expand is
// kept as written and marked unresolved. Any detection the update had is replaced.
void ReadDetectionKeys(const KeyText& text, const std::wstring& appDir, UpdateInfo* update);

}  // namespace updater
