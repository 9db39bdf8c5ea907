#pragma once

#include <string>

namespace updater {

// The full path of the running executable, however long.
std::wstring ThisExecutablePath();

}  // namespace updater
