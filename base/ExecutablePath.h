#pragma once

#include <string>

namespace updater {

// The full path of the running executable, however long.
std::wstring ThisExecutablePath();

// The file name of `path` without its folder and its extension.
std::wstring ExecutableBaseName(const std::wstring& path);

}  // namespace updater
